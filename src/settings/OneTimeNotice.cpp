#include "settings/OneTimeNotice.h"

#include <QSettings>

#include "platform/Notifications.h"

namespace quillet {

void OneTimeNotice::show(const QString& key, const QString& title, const QString& body) {
    if (m_settings.value(key).toBool()) return;
    m_notifications.notify(title, body, [this, key](bool shown) {
        if (!shown) return;
        m_settings.setValue(key, true);
        m_settings.sync();
    });
}

}  // namespace quillet
