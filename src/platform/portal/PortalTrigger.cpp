#include "platform/portal/PortalTrigger.h"

#include <QStringList>
#include <array>

#include "platform/SystemHotkeys.h"

namespace quillet {

namespace {

// Keysym names of the macOS virtual key codes 0...126 (the unshifted symbol: the modifiers
// are named separately); nullptr where a code has none.
constexpr std::array<const char*, 127> keysymNames = [] {
    std::array<const char*, 127> names{};
    // clang-format off
    const char* const mainKeys[] = {
        "a", "s", "d", "f", "h", "g", "z", "x", "c", "v",                        // 0-9
        "section", "b", "q", "w", "e", "r", "y", "t",                            // 10-17
        "1", "2", "3", "4", "6", "5", "equal", "9", "7", "minus", "8", "0",      // 18-29
        "bracketright", "o", "u", "bracketleft", "i", "p", "Return", "l", "j",   // 30-38
        "apostrophe", "k", "semicolon", "backslash", "comma", "slash", "n", "m", // 39-46
        "period", "Tab", "space", "grave", "BackSpace", nullptr, "Escape",       // 47-53
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(mainKeys); ++i) names[i] = mainKeys[i];
    names[65] = "KP_Decimal";
    names[67] = "KP_Multiply";
    names[69] = "KP_Add";
    names[71] = "Num_Lock";
    names[75] = "KP_Divide";
    names[76] = "KP_Enter";
    names[78] = "KP_Subtract";
    names[81] = "KP_Equal";
    const char* const keypadDigits[] = {"KP_0", "KP_1", "KP_2", "KP_3",
                                        "KP_4", "KP_5", "KP_6", "KP_7"};
    for (std::size_t i = 0; i < std::size(keypadDigits); ++i) names[82 + i] = keypadDigits[i];
    names[91] = "KP_8";
    names[92] = "KP_9";
    names[93] = "yen";
    names[94] = "underscore";
    names[95] = "KP_Separator";
    // Function keys as the Mac keyboard numbers them.
    names[122] = "F1";
    names[120] = "F2";
    names[99] = "F3";
    names[118] = "F4";
    names[96] = "F5";
    names[97] = "F6";
    names[98] = "F7";
    names[100] = "F8";
    names[101] = "F9";
    names[109] = "F10";
    names[103] = "F11";
    names[111] = "F12";
    names[105] = "F13";
    names[107] = "F14";
    names[113] = "F15";
    names[106] = "F16";
    names[64] = "F17";
    names[79] = "F18";
    names[80] = "F19";
    names[90] = "F20";
    names[114] = "Insert";
    names[115] = "Home";
    names[116] = "Prior";
    names[117] = "Delete";
    names[119] = "End";
    names[121] = "Next";
    names[123] = "Left";
    names[124] = "Right";
    names[125] = "Down";
    names[126] = "Up";
    return names;
}();

}  // namespace

std::optional<QString> portalTrigger(quint32 macKeyCode, quint32 modifiers) {
    if (macKeyCode >= keysymNames.size() || keysymNames[macKeyCode] == nullptr) return std::nullopt;
    QStringList parts;
    if (modifiers & HotkeyModifier::control) parts << QStringLiteral("CTRL");
    if (modifiers & HotkeyModifier::option) parts << QStringLiteral("ALT");
    if (modifiers & HotkeyModifier::shift) parts << QStringLiteral("SHIFT");
    if (modifiers & HotkeyModifier::command) parts << QStringLiteral("LOGO");
    parts << QLatin1String(keysymNames[macKeyCode]);
    return parts.join(u'+');
}

}  // namespace quillet
