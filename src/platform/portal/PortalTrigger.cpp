#include "platform/portal/PortalTrigger.h"

#include <QStringList>

#include "base/KeyTable.h"

namespace quillet {

std::optional<QString> portalTrigger(quint32 keyCode, quint32 modifiers) {
    const PhysicalKey* key = KeyTable::shortcutKey(keyCode);
    if (!key || !key->keysymName) return std::nullopt;
    QStringList parts;
    for (const KeyModifier& modifier : KeyTable::modifiers()) {
        if (modifiers & modifier.hotkeyBit) parts << QLatin1String(modifier.triggerName);
    }
    parts << QLatin1String(key->keysymName);
    return parts.join(u'+');
}

}  // namespace quillet
