#include "settings/LaunchAtLoginService.h"

#include "base/Logging.h"
#include "platform/LoginItem.h"

namespace quillet {

bool LaunchAtLoginService::isEnabled() const {
    return m_item.status() == LoginItem::Status::enabled;
}

bool LaunchAtLoginService::setEnabled(bool enabled, QString* error) {
    QString message;
    const bool done = m_item.setEnabled(enabled, &message);
    if (!done) qCWarning(lcApp) << "the login item could not be changed:" << message;
    if (error) *error = message;
    return done;
}

}  // namespace quillet
