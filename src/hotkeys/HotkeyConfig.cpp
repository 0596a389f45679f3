#include "hotkeys/HotkeyConfig.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <cmath>

#include "base/KeyTable.h"

namespace quillet {

namespace {

constexpr double maxUnsigned32 = 4294967295.0;

std::optional<quint32> unsigned32Member(const QJsonObject& object, const char* name) {
    const QJsonValue value = object.value(QLatin1String(name));
    if (!value.isDouble()) return std::nullopt;  // also covers a missing member
    const double number = value.toDouble();
    // Exact on the parsed double: every integer up to 2^32 is representable.
    if (!std::isfinite(number) || number < 0.0 || number > maxUnsigned32 ||
        std::trunc(number) != number) {
        return std::nullopt;
    }
    return static_cast<quint32>(number);
}

}  // namespace

QString HotkeyConfig::displayString() const {
    // Words and order as the Linux desktops' shortcut settings show them (Shift+Super+V).
    QStringList parts;
    for (const quint32 bit : {HotkeyModifier::shift, HotkeyModifier::control, HotkeyModifier::alt,
                              HotkeyModifier::super}) {
        if (modifierFlags & bit)
            parts << QLatin1String(KeyTable::modifierByHotkeyBit(bit).displayName);
    }
    parts << keyName(keyCode);
    return parts.join(u'+');
}

QString HotkeyConfig::keyName(quint32 keyCode) {
    const PhysicalKey* key = KeyTable::byCode(keyCode);
    if (key && key->displayName) return QString::fromUtf8(key->displayName);
    return QStringLiteral("Key %1").arg(keyCode);
}

quint32 HotkeyConfig::carbonModifiers(quint64 eventFlags) {
    quint32 mask = 0;
    for (const KeyModifier& modifier : KeyTable::modifiers()) {
        if (eventFlags & modifier.eventFlag) mask |= modifier.hotkeyBit;
    }
    return mask;
}

QByteArray HotkeyConfig::toJson() const {
    // Written by hand: the member order is part of the stored form.
    return QByteArrayLiteral("{\"keyCode\":") + QByteArray::number(keyCode) +
           QByteArrayLiteral(",\"modifierFlags\":") + QByteArray::number(modifierFlags) + '}';
}

std::optional<HotkeyConfig> HotkeyConfig::fromJson(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
    const QJsonObject object = document.object();
    const auto code = unsigned32Member(object, "keyCode");
    const auto flags = unsigned32Member(object, "modifierFlags");
    if (!code || !flags) return std::nullopt;
    return HotkeyConfig(*code, *flags);
}

}  // namespace quillet
