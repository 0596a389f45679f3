#include "base/KeyCodes.h"

#include <array>

#include "base/KeyCodes.h"

namespace quillet::KeyCodes {

namespace {

struct KeyPair {
    quint32 evdev;  // Linux input event code
    quint32 mac;    // macOS virtual key code
};

// One row per physical key; both columns are unique, so the table reads both ways.
constexpr KeyPair keyPairs[] = {
    // Letters
    {30, 0},   // A
    {31, 1},   // S
    {32, 2},   // D
    {33, 3},   // F
    {35, 4},   // H
    {34, 5},   // G
    {44, 6},   // Z
    {45, 7},   // X
    {46, 8},   // C
    {47, 9},   // V
    {48, 11},  // B
    {16, 12},  // Q
    {17, 13},  // W
    {18, 14},  // E
    {19, 15},  // R
    {21, 16},  // Y
    {20, 17},  // T
    {24, 31},  // O
    {22, 32},  // U
    {23, 34},  // I
    {25, 35},  // P
    {38, 37},  // L
    {36, 38},  // J
    {37, 40},  // K
    {49, 45},  // N
    {50, 46},  // M
    // Digit row
    {2, 18},   // 1
    {3, 19},   // 2
    {4, 20},   // 3
    {5, 21},   // 4
    {7, 22},   // 6
    {6, 23},   // 5
    {10, 25},  // 9
    {8, 26},   // 7
    {9, 28},   // 8
    {11, 29},  // 0
    // Punctuation
    {86, 10},  // § on the ISO key next to left shift (KEY_102ND)
    {13, 24},  // =
    {12, 27},  // -
    {27, 30},  // ]
    {26, 33},  // [
    {40, 39},  // '
    {39, 41},  // ;
    {43, 42},  // backslash
    {51, 43},  // ,
    {53, 44},  // /
    {52, 47},  // .
    {41, 50},  // `
    // Editing and whitespace
    {28, 36},  // Return
    {15, 48},  // Tab
    {57, 49},  // Space
    {14, 51},  // Backspace
    {1, 53},   // Escape
    // Modifier and lock keys
    {126, 54},  // right command (Super)
    {125, 55},  // command (Super)
    {42, 56},   // shift
    {58, 57},   // caps lock
    {56, 58},   // option (Alt)
    {29, 59},   // control
    {54, 60},   // right shift
    {100, 61},  // right option (AltGr)
    {97, 62},   // right control
    // The function key (63) has no X keycode: its evdev code is beyond 247.
    // Keypad; Num Lock sits where the Mac keypad has Clear.
    {83, 65},   // .
    {55, 67},   // *
    {78, 69},   // +
    {69, 71},   // Clear
    {98, 75},   // /
    {96, 76},   // Enter
    {74, 78},   // -
    {117, 81},  // =
    {82, 82},   // 0
    {79, 83},   // 1
    {80, 84},   // 2
    {81, 85},   // 3
    {75, 86},   // 4
    {76, 87},   // 5
    {77, 88},   // 6
    {71, 89},   // 7
    {72, 91},   // 8
    {73, 92},   // 9
    {95, 95},   // JIS keypad comma
    // JIS main keyboard
    {124, 93},  // yen
    {89, 94},   // ro (underscore)
    // Function keys
    {59, 122},   // F1
    {60, 120},   // F2
    {61, 99},    // F3
    {62, 118},   // F4
    {63, 96},    // F5
    {64, 97},    // F6
    {65, 98},    // F7
    {66, 100},   // F8
    {67, 101},   // F9
    {68, 109},   // F10
    {87, 103},   // F11
    {88, 111},   // F12
    {183, 105},  // F13
    {184, 107},  // F14
    {185, 113},  // F15
    {186, 106},  // F16
    {187, 64},   // F17
    {188, 79},   // F18
    {189, 80},   // F19
    {190, 90},   // F20
    // Navigation; Insert sits where the Mac extended keyboard has Help.
    {110, 114},  // Help / Insert
    {102, 115},  // Home
    {104, 116},  // Page Up
    {111, 117},  // forward delete
    {107, 119},  // End
    {109, 121},  // Page Down
    {105, 123},  // left
    {106, 124},  // right
    {108, 125},  // down
    {103, 126},  // up
};

constexpr quint32 x11Offset = 8;
constexpr quint32 noCode = 0xFFFFFFFF;

template <typename Key, typename Value>
constexpr auto buildIndex(Key key, Value value) {
    std::array<quint32, 256> index{};
    index.fill(noCode);
    for (const KeyPair& pair : keyPairs) index[key(pair)] = value(pair);
    return index;
}

// Each column must be unique, or one direction would lose keys.
constexpr bool columnsAreUnique() {
    for (std::size_t i = 0; i < std::size(keyPairs); ++i) {
        for (std::size_t j = i + 1; j < std::size(keyPairs); ++j) {
            if (keyPairs[i].evdev == keyPairs[j].evdev || keyPairs[i].mac == keyPairs[j].mac) {
                return false;
            }
        }
        if (keyPairs[i].evdev + x11Offset > 255 || keyPairs[i].mac > 255) return false;
    }
    return true;
}
static_assert(columnsAreUnique());

constexpr auto macByX11 = buildIndex([](const KeyPair& p) { return p.evdev + x11Offset; },
                                     [](const KeyPair& p) { return p.mac; });
constexpr auto x11ByMac = buildIndex([](const KeyPair& p) { return p.mac; },
                                     [](const KeyPair& p) { return p.evdev + x11Offset; });

std::optional<quint32> lookUp(const std::array<quint32, 256>& index, quint32 code) {
    if (code >= index.size() || index[code] == noCode) return std::nullopt;
    return index[code];
}

std::optional<quint32> keypadKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Period:
            return 65;
        case Qt::Key_Asterisk:
            return 67;
        case Qt::Key_Plus:
            return 69;
        case Qt::Key_Clear:
            return 71;
        case Qt::Key_Slash:
            return 75;
        case Qt::Key_Enter:
            return 76;
        case Qt::Key_Minus:
            return 78;
        case Qt::Key_Equal:
            return 81;
        case Qt::Key_0:
            return 82;
        case Qt::Key_1:
            return 83;
        case Qt::Key_2:
            return 84;
        case Qt::Key_3:
            return 85;
        case Qt::Key_4:
            return 86;
        case Qt::Key_5:
            return 87;
        case Qt::Key_6:
            return 88;
        case Qt::Key_7:
            return 89;
        case Qt::Key_8:
            return 91;
        case Qt::Key_9:
            return 92;
        default:
            return std::nullopt;
    }
}

std::optional<quint32> mainKey(int qtKey) {
    // Letters and digits go through the physical table: Qt::Key_A..Z and Key_0..9 follow
    // the evdev order of a US layout.
    constexpr quint32 letterEvdev[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                         49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        return macKeyCodeFromX11(letterEvdev[qtKey - Qt::Key_A] + x11Offset);
    }
    if (qtKey >= Qt::Key_1 && qtKey <= Qt::Key_9) {
        return macKeyCodeFromX11(static_cast<quint32>(qtKey - Qt::Key_1) + 2 + x11Offset);
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F20) {
        const quint32 n = static_cast<quint32>(qtKey - Qt::Key_F1);
        const quint32 evdev = n < 10 ? 59 + n : n < 12 ? 87 + (n - 10) : 183 + (n - 12);
        return macKeyCodeFromX11(evdev + x11Offset);
    }
    switch (qtKey) {
        case Qt::Key_0:
            return 29;
        case Qt::Key_Equal:
            return 24;
        case Qt::Key_Minus:
            return 27;
        case Qt::Key_BracketRight:
            return 30;
        case Qt::Key_BracketLeft:
            return 33;
        case Qt::Key_Apostrophe:
            return 39;
        case Qt::Key_Semicolon:
            return 41;
        case Qt::Key_Backslash:
            return 42;
        case Qt::Key_Comma:
            return 43;
        case Qt::Key_Slash:
            return 44;
        case Qt::Key_Period:
            return 47;
        case Qt::Key_QuoteLeft:
            return 50;
        case Qt::Key_section:
            return 10;
        case Qt::Key_Return:
            return 36;
        case Qt::Key_Enter:
            return 76;
        case Qt::Key_Tab:
            return 48;
        case Qt::Key_Backtab:
            return 48;  // shift+Tab arrives as Backtab
        case Qt::Key_Space:
            return 49;
        case Qt::Key_Backspace:
            return 51;
        case Qt::Key_Escape:
            return 53;
        case Qt::Key_Meta:
            return 55;
        case Qt::Key_Super_L:
            return 55;
        case Qt::Key_Super_R:
            return 54;
        case Qt::Key_Shift:
            return 56;
        case Qt::Key_CapsLock:
            return 57;
        case Qt::Key_Alt:
            return 58;
        case Qt::Key_Control:
            return 59;
        case Qt::Key_AltGr:
            return 61;
        case Qt::Key_NumLock:
            return 71;
        case Qt::Key_Clear:
            return 71;
        case Qt::Key_Help:
            return 114;
        case Qt::Key_Insert:
            return 114;
        case Qt::Key_Home:
            return 115;
        case Qt::Key_PageUp:
            return 116;
        case Qt::Key_Delete:
            return 117;
        case Qt::Key_End:
            return 119;
        case Qt::Key_PageDown:
            return 121;
        case Qt::Key_Left:
            return 123;
        case Qt::Key_Right:
            return 124;
        case Qt::Key_Down:
            return 125;
        case Qt::Key_Up:
            return 126;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<quint32> macKeyCodeFromX11(quint32 xKeycode) {
    return lookUp(macByX11, xKeycode);
}

std::optional<quint32> x11KeycodeFromMac(quint32 macKeyCode) {
    return lookUp(x11ByMac, macKeyCode);
}

std::optional<quint32> macKeyCodeFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        if (auto code = keypadKey(qtKey)) return code;
    }
    return mainKey(qtKey);
}

quint64 eventFlagsFromQt(Qt::KeyboardModifiers modifiers) {
    quint64 flags = 0;
    if (modifiers.testFlag(Qt::ShiftModifier)) flags |= EventFlag::shift;
    if (modifiers.testFlag(Qt::ControlModifier)) flags |= EventFlag::control;
    if (modifiers.testFlag(Qt::AltModifier)) flags |= EventFlag::option;
    if (modifiers.testFlag(Qt::MetaModifier)) flags |= EventFlag::command;
    return flags;
}

}  // namespace quillet::KeyCodes
