#include "settings/UpdateInfo.h"

namespace quillet {

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
