#include "settings/UpdateCheckFailure.h"

namespace quillet {

namespace {

// A message from the network stack or the parser is outside text: one short line of it.
QString oneLine(const QString& text) {
    constexpr qsizetype maxLength = 200;
    QString line = text.simplified();
    if (line.size() > maxLength) line = line.left(maxLength - 1) + u'\u2026';
    return line;
}

}  // namespace

QString updateFailureReason(const UpdateCheckError& error, const QUrl& feed) {
    switch (error.kind()) {
        case UpdateCheckError::Kind::networkError:
            //% "No connection to %1: %2"
            return qtTrId("UPDATE_FAILURE_NO_CONNECTION")
                .arg(feed.host(), oneLine(error.description()));
        case UpdateCheckError::Kind::badStatusCode:
            //% "The server answered %1."
            return qtTrId("UPDATE_FAILURE_STATUS").arg(error.statusCode());
        case UpdateCheckError::Kind::parseError:
            //% "The feed is not valid: %1"
            return qtTrId("UPDATE_FAILURE_INVALID_FEED").arg(oneLine(error.description()));
        case UpdateCheckError::Kind::invalidURL:
            //% "The feed address is not a valid HTTPS address: %1"
            return qtTrId("UPDATE_FAILURE_BAD_ADDRESS").arg(oneLine(feed.toDisplayString()));
        case UpdateCheckError::Kind::noUpdateFound:
            //% "The feed names no version."
            return qtTrId("UPDATE_FAILURE_NO_VERSION");
    }
    return QString();
}

}  // namespace quillet
