#include "hotkeys/HotkeyConfig.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <array>
#include <cmath>

#include "platform/KeyboardEvents.h"

namespace quillet {

namespace {

// Names of the virtual key codes 0...126; nullptr where a code has no name of its own.
constexpr std::array<const char*, 127> keyNames = [] {
    std::array<const char*, 127> names{};
    // clang-format off
    const char* const mainKeys[] = {
        "A", "S", "D", "F", "H", "G", "Z", "X", "C", "V",             // 0-9
        "\u00A7",                                                      // 10
        "B", "Q", "W", "E", "R", "Y", "T",                             // 11-17
        "1", "2", "3", "4", "6", "5", "=", "9", "7", "-", "8", "0",   // 18-29
        "]", "O", "U", "[", "I", "P", "Return", "L", "J", "'", "K",    // 30-40
        ";", "\\", ",", "/", "N", "M", ".", "Tab", "Space", "`",     // 41-50
        "Backspace",                                                   // 51
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(mainKeys); ++i) names[i] = mainKeys[i];
    names[53] = "Escape";
    names[65] = ".";
    names[67] = "*";
    names[69] = "+";
    names[71] = "Clear";
    names[75] = "/";
    names[76] = "Enter";
    names[78] = "-";
    names[81] = "=";
    const char* const keypadDigits[] = {"0", "1", "2", "3", "4", "5", "6", "7"};
    for (std::size_t i = 0; i < std::size(keypadDigits); ++i) names[82 + i] = keypadDigits[i];
    names[91] = "8";
    names[92] = "9";
    names[123] = "Left";
    names[124] = "Right";
    names[125] = "Down";
    names[126] = "Up";
    return names;
}();

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
    if (modifierFlags & HotkeyModifier::shift) parts << QStringLiteral("Shift");
    if (modifierFlags & HotkeyModifier::control) parts << QStringLiteral("Ctrl");
    if (modifierFlags & HotkeyModifier::option) parts << QStringLiteral("Alt");
    if (modifierFlags & HotkeyModifier::command) parts << QStringLiteral("Super");
    parts << keyName(keyCode);
    return parts.join(u'+');
}

QString HotkeyConfig::keyName(quint32 keyCode) {
    if (keyCode < keyNames.size() && keyNames[keyCode] != nullptr) {
        return QString::fromUtf8(keyNames[keyCode]);
    }
    return QStringLiteral("Key %1").arg(keyCode);
}

quint32 HotkeyConfig::carbonModifiers(quint64 eventFlags) {
    quint32 mask = 0;
    if (eventFlags & EventFlag::command) mask |= HotkeyModifier::command;
    if (eventFlags & EventFlag::shift) mask |= HotkeyModifier::shift;
    if (eventFlags & EventFlag::option) mask |= HotkeyModifier::option;
    if (eventFlags & EventFlag::control) mask |= HotkeyModifier::control;
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
