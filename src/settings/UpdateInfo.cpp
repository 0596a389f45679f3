#include "settings/UpdateInfo.h"

#include <algorithm>

namespace quillet {

NotesExcerpt releaseNotesExcerpt(QStringView notes) {
    qsizetype end = std::min(notes.size(), NotesExcerpt::maxLength);
    int lines = 1;
    for (qsizetype i = 0; i < end; ++i) {
        if (notes[i] == u'\n' && ++lines > NotesExcerpt::maxLines) {
            end = i;
            break;
        }
    }
    if (end == notes.size()) return {notes.toString(), false};
    // Never half a surrogate pair.
    if (end > 0 && notes[end - 1].isHighSurrogate()) --end;
    QString text = notes.left(end).trimmed().toString();
    text += u'\u2026';
    return {std::move(text), true};
}

QString UpdateCheckError::description() const {
    switch (m_kind) {
        case Kind::networkError:
            return m_underlying;
        case Kind::badStatusCode:
            return QStringLiteral("Server returned status code: %1").arg(m_status);
        case Kind::parseError:
            return m_underlying.isEmpty() ? QStringLiteral("Failed to parse update information")
                                          : m_underlying;
        case Kind::invalidURL:
            return QStringLiteral("Invalid Appcast URL");
        case Kind::noUpdateFound:
            return QStringLiteral("No update information found in feed");
    }
    return {};
}

}  // namespace quillet
