#include "base/KeyTable.h"

#include <array>

namespace quillet::KeyTable {

namespace {

constexpr KeyGroup main = KeyGroup::main;
constexpr KeyGroup keypad = KeyGroup::keypad;
constexpr KeyGroup modifier = KeyGroup::modifier;

// clang-format off
constexpr PhysicalKey table[] = {
    // code evdev keysym  keysym name      Qt key              group     display name
    {0,   30, 0x61,   "a",            Qt::Key_A,            main,     "A"},
    {1,   31, 0x73,   "s",            Qt::Key_S,            main,     "S"},
    {2,   32, 0x64,   "d",            Qt::Key_D,            main,     "D"},
    {3,   33, 0x66,   "f",            Qt::Key_F,            main,     "F"},
    {4,   35, 0x68,   "h",            Qt::Key_H,            main,     "H"},
    {5,   34, 0x67,   "g",            Qt::Key_G,            main,     "G"},
    {6,   44, 0x7a,   "z",            Qt::Key_Z,            main,     "Z"},
    {7,   45, 0x78,   "x",            Qt::Key_X,            main,     "X"},
    {8,   46, 0x63,   "c",            Qt::Key_C,            main,     "C"},
    {9,   47, 0x76,   "v",            Qt::Key_V,            main,     "V"},
    {10,  86, 0xa7,   "section",      Qt::Key_section,      main,     "\u00A7"},  // ISO key by left Shift
    {11,  48, 0x62,   "b",            Qt::Key_B,            main,     "B"},
    {12,  16, 0x71,   "q",            Qt::Key_Q,            main,     "Q"},
    {13,  17, 0x77,   "w",            Qt::Key_W,            main,     "W"},
    {14,  18, 0x65,   "e",            Qt::Key_E,            main,     "E"},
    {15,  19, 0x72,   "r",            Qt::Key_R,            main,     "R"},
    {16,  21, 0x79,   "y",            Qt::Key_Y,            main,     "Y"},
    {17,  20, 0x74,   "t",            Qt::Key_T,            main,     "T"},
    {18,   2, 0x31,   "1",            Qt::Key_1,            main,     "1"},
    {19,   3, 0x32,   "2",            Qt::Key_2,            main,     "2"},
    {20,   4, 0x33,   "3",            Qt::Key_3,            main,     "3"},
    {21,   5, 0x34,   "4",            Qt::Key_4,            main,     "4"},
    {22,   7, 0x36,   "6",            Qt::Key_6,            main,     "6"},
    {23,   6, 0x35,   "5",            Qt::Key_5,            main,     "5"},
    {24,  13, 0x3d,   "equal",        Qt::Key_Equal,        main,     "="},
    {25,  10, 0x39,   "9",            Qt::Key_9,            main,     "9"},
    {26,   8, 0x37,   "7",            Qt::Key_7,            main,     "7"},
    {27,  12, 0x2d,   "minus",        Qt::Key_Minus,        main,     "-"},
    {28,   9, 0x38,   "8",            Qt::Key_8,            main,     "8"},
    {29,  11, 0x30,   "0",            Qt::Key_0,            main,     "0"},
    {30,  27, 0x5d,   "bracketright", Qt::Key_BracketRight, main,     "]"},
    {31,  24, 0x6f,   "o",            Qt::Key_O,            main,     "O"},
    {32,  22, 0x75,   "u",            Qt::Key_U,            main,     "U"},
    {33,  26, 0x5b,   "bracketleft",  Qt::Key_BracketLeft,  main,     "["},
    {34,  23, 0x69,   "i",            Qt::Key_I,            main,     "I"},
    {35,  25, 0x70,   "p",            Qt::Key_P,            main,     "P"},
    {36,  28, 0xff0d, "Return",       Qt::Key_Return,       main,     "Return"},
    {37,  38, 0x6c,   "l",            Qt::Key_L,            main,     "L"},
    {38,  36, 0x6a,   "j",            Qt::Key_J,            main,     "J"},
    {39,  40, 0x27,   "apostrophe",   Qt::Key_Apostrophe,   main,     "'"},
    {40,  37, 0x6b,   "k",            Qt::Key_K,            main,     "K"},
    {41,  39, 0x3b,   "semicolon",    Qt::Key_Semicolon,    main,     ";"},
    {42,  43, 0x5c,   "backslash",    Qt::Key_Backslash,    main,     "\\"},
    {43,  51, 0x2c,   "comma",        Qt::Key_Comma,        main,     ","},
    {44,  53, 0x2f,   "slash",        Qt::Key_Slash,        main,     "/"},
    {45,  49, 0x6e,   "n",            Qt::Key_N,            main,     "N"},
    {46,  50, 0x6d,   "m",            Qt::Key_M,            main,     "M"},
    {47,  52, 0x2e,   "period",       Qt::Key_Period,       main,     "."},
    {48,  15, 0xff09, "Tab",          Qt::Key_Tab,          main,     "Tab"},
    {49,  57, 0x20,   "space",        Qt::Key_Space,        main,     "Space"},
    {50,  41, 0x60,   "grave",        Qt::Key_QuoteLeft,    main,     "`"},
    {51,  14, 0xff08, "BackSpace",    Qt::Key_Backspace,    main,     "Backspace"},
    {53,   1, 0xff1b, "Escape",       Qt::Key_Escape,       main,     "Escape"},
    // Modifier and lock keys; the function key's evdev code is beyond any X keycode.
    {54, 126, 0xffec, "Super_R",      Qt::Key_Super_R,      modifier, nullptr},
    {55, 125, 0xffeb, "Super_L",      Qt::Key_Meta,         modifier, nullptr},
    {56,  42, 0xffe1, "Shift_L",      Qt::Key_Shift,        modifier, nullptr},
    {57,  58, 0xffe5, "Caps_Lock",    Qt::Key_CapsLock,     modifier, nullptr},
    {58,  56, 0xffe9, "Alt_L",        Qt::Key_Alt,          modifier, nullptr},
    {59,  29, 0xffe3, "Control_L",    Qt::Key_Control,      modifier, nullptr},
    {60,  54, 0xffe2, "Shift_R",      0,                    modifier, nullptr},
    {61, 100, 0xffea, "Alt_R",        Qt::Key_AltGr,        modifier, nullptr},
    {62,  97, 0xffe4, "Control_R",    0,                    modifier, nullptr},
    {63, 464, 0,      nullptr,        0,                    modifier, nullptr},
    // Keypad; Num Lock takes the stored code of Clear.
    {65,  83, 0xffae, "KP_Decimal",   Qt::Key_Period,       keypad,   "."},
    {67,  55, 0xffaa, "KP_Multiply",  Qt::Key_Asterisk,     keypad,   "*"},
    {69,  78, 0xffab, "KP_Add",       Qt::Key_Plus,         keypad,   "+"},
    {71,  69, 0xff7f, "Num_Lock",     Qt::Key_Clear,        keypad,   "Clear"},
    {75,  98, 0xffaf, "KP_Divide",    Qt::Key_Slash,        keypad,   "/"},
    {76,  96, 0xff8d, "KP_Enter",     Qt::Key_Enter,        keypad,   "Enter"},
    {78,  74, 0xffad, "KP_Subtract",  Qt::Key_Minus,        keypad,   "-"},
    {81, 117, 0xffbd, "KP_Equal",     Qt::Key_Equal,        keypad,   "="},
    {82,  82, 0xffb0, "KP_0",         Qt::Key_0,            keypad,   "0"},
    {83,  79, 0xffb1, "KP_1",         Qt::Key_1,            keypad,   "1"},
    {84,  80, 0xffb2, "KP_2",         Qt::Key_2,            keypad,   "2"},
    {85,  81, 0xffb3, "KP_3",         Qt::Key_3,            keypad,   "3"},
    {86,  75, 0xffb4, "KP_4",         Qt::Key_4,            keypad,   "4"},
    {87,  76, 0xffb5, "KP_5",         Qt::Key_5,            keypad,   "5"},
    {88,  77, 0xffb6, "KP_6",         Qt::Key_6,            keypad,   "6"},
    {89,  71, 0xffb7, "KP_7",         Qt::Key_7,            keypad,   "7"},
    {91,  72, 0xffb8, "KP_8",         Qt::Key_8,            keypad,   "8"},
    {92,  73, 0xffb9, "KP_9",         Qt::Key_9,            keypad,   "9"},
    {95,  95, 0xffac, "KP_Separator", 0,                    keypad,   nullptr},  // JIS keypad comma
    // JIS main keyboard
    {93, 124, 0xa5,   "yen",          0,                    main,     nullptr},
    {94,  89, 0x5f,   "underscore",   0,                    main,     nullptr},  // ro
    // Function keys
    {122, 59, 0xffbe, "F1",           Qt::Key_F1,           main,     nullptr},
    {120, 60, 0xffbf, "F2",           Qt::Key_F2,           main,     nullptr},
    {99,  61, 0xffc0, "F3",           Qt::Key_F3,           main,     nullptr},
    {118, 62, 0xffc1, "F4",           Qt::Key_F4,           main,     nullptr},
    {96,  63, 0xffc2, "F5",           Qt::Key_F5,           main,     nullptr},
    {97,  64, 0xffc3, "F6",           Qt::Key_F6,           main,     nullptr},
    {98,  65, 0xffc4, "F7",           Qt::Key_F7,           main,     nullptr},
    {100, 66, 0xffc5, "F8",           Qt::Key_F8,           main,     nullptr},
    {101, 67, 0xffc6, "F9",           Qt::Key_F9,           main,     nullptr},
    {109, 68, 0xffc7, "F10",          Qt::Key_F10,          main,     nullptr},
    {103, 87, 0xffc8, "F11",          Qt::Key_F11,          main,     nullptr},
    {111, 88, 0xffc9, "F12",          Qt::Key_F12,          main,     nullptr},
    {105, 183, 0xffca, "F13",         Qt::Key_F13,          main,     nullptr},
    {107, 184, 0xffcb, "F14",         Qt::Key_F14,          main,     nullptr},
    {113, 185, 0xffcc, "F15",         Qt::Key_F15,          main,     nullptr},
    {106, 186, 0xffcd, "F16",         Qt::Key_F16,          main,     nullptr},
    {64,  187, 0xffce, "F17",         Qt::Key_F17,          main,     nullptr},
    {79,  188, 0xffcf, "F18",         Qt::Key_F18,          main,     nullptr},
    {80,  189, 0xffd0, "F19",         Qt::Key_F19,          main,     nullptr},
    {90,  190, 0xffd1, "F20",         Qt::Key_F20,          main,     nullptr},
    // Navigation; Insert takes the stored code of Help.
    {114, 110, 0xff63, "Insert",      Qt::Key_Insert,       main,     nullptr},
    {115, 102, 0xff50, "Home",        Qt::Key_Home,         main,     nullptr},
    {116, 104, 0xff55, "Prior",       Qt::Key_PageUp,       main,     nullptr},
    {117, 111, 0xffff, "Delete",      Qt::Key_Delete,       main,     nullptr},
    {119, 107, 0xff57, "End",         Qt::Key_End,          main,     nullptr},
    {121, 109, 0xff56, "Next",        Qt::Key_PageDown,     main,     nullptr},
    {123, 105, 0xff51, "Left",        Qt::Key_Left,         main,     "Left"},
    {124, 106, 0xff53, "Right",       Qt::Key_Right,        main,     "Right"},
    {125, 108, 0xff54, "Down",        Qt::Key_Down,         main,     "Down"},
    {126, 103, 0xff52, "Up",          Qt::Key_Up,           main,     "Up"},
};

constexpr KeyModifier modifierTable[] = {
    // hot-key bit, event flag, Qt modifier, X mask, xkb name;
    //     the key that holds it, display name, portal name, GTK name
    {HotkeyModifier::control, EventFlag::control, Qt::ControlModifier,   0x04,  "Control",
     59, "Ctrl",  "CTRL",  "<Control>"},
    {HotkeyModifier::alt,     EventFlag::alt,     Qt::AltModifier,       0x08,  "Mod1",
     58, "Alt",   "ALT",   "<Alt>"},
    {HotkeyModifier::shift,   EventFlag::shift,   Qt::ShiftModifier,     0x01,  "Shift",
     56, "Shift", "SHIFT", "<Shift>"},
    {HotkeyModifier::super,   EventFlag::super,   Qt::MetaModifier,      0x40,  "Mod4",
     55, "Super", "LOGO",  "<Super>"},
};
// clang-format on

// Other Qt keys for keys of the table.
constexpr std::pair<int, quint8> qtAliases[] = {
    {Qt::Key_Backtab, 48},  // Shift+Tab arrives as Backtab
    {Qt::Key_Super_L, 55},
    {Qt::Key_NumLock, 71},
    {Qt::Key_Help, 114},
};

constexpr quint32 x11Offset = 8;
constexpr quint8 none = 0xFF;

// Row numbers by stored code and by X keycode.
template <typename Column>
constexpr std::array<quint8, 256> buildIndex(Column column) {
    std::array<quint8, 256> index{};
    index.fill(none);
    for (std::size_t row = 0; row < std::size(table); ++row) {
        if (const auto at = column(table[row])) index[*at] = static_cast<quint8>(row);
    }
    return index;
}

constexpr std::optional<quint32> x11Column(const PhysicalKey& key) {
    if (key.evdev == 0 || key.evdev + x11Offset > 255) return std::nullopt;
    return key.evdev + x11Offset;
}

constexpr auto rowByCode =
    buildIndex([](const PhysicalKey& key) -> std::optional<quint32> { return key.code; });
constexpr auto rowByX11 = buildIndex(x11Column);

static_assert(std::size(table) < none);

const PhysicalKey* at(const std::array<quint8, 256>& index, quint32 value) {
    if (value >= index.size() || index[value] == none) return nullptr;
    return &table[index[value]];
}

const PhysicalKey* firstWithQtKey(int qtKey, bool onKeypad) {
    for (const PhysicalKey& key : table) {
        if (key.qtKey == qtKey && (key.group == KeyGroup::keypad) == onKeypad) return &key;
    }
    return nullptr;
}

}  // namespace

std::span<const PhysicalKey> keys() {
    return table;
}

std::span<const KeyModifier> modifiers() {
    return modifierTable;
}

const PhysicalKey* byCode(quint32 code) {
    return at(rowByCode, code);
}

const PhysicalKey* shortcutKey(quint32 code) {
    const PhysicalKey* key = byCode(code);
    return key && key->group != KeyGroup::modifier ? key : nullptr;
}

const PhysicalKey* byX11Keycode(quint32 keycode) {
    return at(rowByX11, keycode);
}

const PhysicalKey* byQtKey(int qtKey, Qt::KeyboardModifiers modifiers) {
    for (const auto& [alias, code] : qtAliases) {
        if (alias == qtKey) return byCode(code);
    }
    if (qtKey == 0) return nullptr;
    const bool onKeypad = modifiers.testFlag(Qt::KeypadModifier);
    if (const PhysicalKey* key = firstWithQtKey(qtKey, onKeypad)) return key;
    // Keys outside the keypad arrive flagged too (arrows, Home with Num Lock off), and keys
    // that only the keypad has (Enter, Clear) without the flag; a printable key without it is
    // the main keyboard's.
    if (onKeypad || qtKey >= Qt::Key_Escape) return firstWithQtKey(qtKey, !onKeypad);
    return nullptr;
}

std::optional<quint32> x11Keycode(quint32 code) {
    const PhysicalKey* key = byCode(code);
    return key ? x11Column(*key) : std::nullopt;
}

std::optional<quint32> evdevCode(quint32 code) {
    const PhysicalKey* key = byCode(code);
    if (!key || key->evdev == 0) return std::nullopt;
    return key->evdev;
}

const KeyModifier& modifierByHotkeyBit(quint32 bit) {
    for (const KeyModifier& modifier : modifierTable) {
        if (modifier.hotkeyBit == bit) return modifier;
    }
    Q_UNREACHABLE();
}

const PhysicalKey& modifierKey(const KeyModifier& modifier) {
    return *byCode(modifier.leftKey);
}

QList<const KeyModifier*> modifiersIn(quint64 eventFlags) {
    QList<const KeyModifier*> held;
    for (const KeyModifier& modifier : modifierTable) {
        if (eventFlags & modifier.eventFlag) held.append(&modifier);
    }
    return held;
}

quint64 eventFlagsFromQt(Qt::KeyboardModifiers modifiers) {
    quint64 flags = 0;
    for (const KeyModifier& modifier : modifierTable) {
        if (modifiers.testFlag(modifier.qtModifier)) flags |= modifier.eventFlag;
    }
    return flags;
}

}  // namespace quillet::KeyTable
