#include <gtest/gtest.h>

#include <optional>

#include "hotkeys/HotkeyConfig.h"
#include "platform/KeyCodes.h"
#include "platform/KeyboardEvents.h"

namespace quillet {
namespace {

using KeyCodes::eventFlagsFromQt;
using KeyCodes::macKeyCodeFromQtKey;
using KeyCodes::macKeyCodeFromX11;
using KeyCodes::x11KeycodeFromMac;

constexpr quint32 x11(quint32 evdev) {
    return evdev + 8;
}

bool isNamed(quint32 macKeyCode) {
    return !HotkeyConfig::keyName(macKeyCode).startsWith(QLatin1String("Key "));
}

TEST(KeyCodesTable, EveryNamedKeyHasAnX11KeycodeThatMapsBack) {
    int named = 0;
    for (quint32 mac = 0; mac <= 126; ++mac) {
        if (!isNamed(mac)) continue;
        ++named;
        const std::optional<quint32> x = x11KeycodeFromMac(mac);
        ASSERT_TRUE(x.has_value()) << "mac " << mac;
        EXPECT_EQ(macKeyCodeFromX11(*x), mac) << "mac " << mac;
    }
    EXPECT_EQ(named, 75);
}

TEST(KeyCodesTable, FunctionKeysMapToTheirEvdevCodes) {
    const quint32 macF1toF12[] = {122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111};
    const quint32 evdevF1toF12[] = {59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 87, 88};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(x11KeycodeFromMac(macF1toF12[i]), x11(evdevF1toF12[i])) << "F" << i + 1;
        EXPECT_EQ(macKeyCodeFromX11(x11(evdevF1toF12[i])), macF1toF12[i]) << "F" << i + 1;
    }
}

TEST(KeyCodesTable, ModifierAndLockKeysAreRecognised) {
    // right Super, left Super, left shift, caps lock, left Alt, left Ctrl, right shift,
    // right Alt, right Ctrl
    const quint32 evdev[] = {126, 125, 42, 58, 56, 29, 54, 100, 97};
    for (quint32 mac = 54; mac <= 62; ++mac) {
        EXPECT_EQ(macKeyCodeFromX11(x11(evdev[mac - 54])), mac) << "mac " << mac;
        EXPECT_EQ(x11KeycodeFromMac(mac), x11(evdev[mac - 54])) << "mac " << mac;
    }
    // The function key has no X keycode.
    EXPECT_FALSE(x11KeycodeFromMac(63).has_value());
}

TEST(KeyCodesTable, KnownPhysicalKeys) {
    struct Case {
        quint32 evdev;
        quint32 mac;
    };
    const Case cases[] = {
        {30, 0},                                         // A
        {47, 9},                                         // V
        {46, 8},                                         // C
        {1, 53},                                         // Escape
        {28, 36},                                        // Return
        {57, 49},                                        // Space
        {14, 51},                                        // Backspace
        {15, 48},                                        // Tab
        {41, 50},                                        // grave
        {86, 10},                                        // the ISO key
        {2, 18},                                         // 1
        {11, 29},                                        // 0
        {69, 71},                                        // Num Lock as keypad Clear
        {96, 76},                                        // keypad Enter
        {117, 81},                                       // keypad =
        {79, 83},                                        // keypad 1
        {98, 75},                                        // keypad /
        {103, 126}, {108, 125}, {105, 123}, {106, 124},  // arrows
    };
    for (const Case& c : cases) {
        EXPECT_EQ(macKeyCodeFromX11(x11(c.evdev)), c.mac) << "evdev " << c.evdev;
        EXPECT_EQ(x11KeycodeFromMac(c.mac), x11(c.evdev)) << "mac " << c.mac;
    }
    EXPECT_EQ(macKeyCodeFromX11(38), 0u);
    EXPECT_EQ(macKeyCodeFromX11(55), 9u);
    EXPECT_EQ(macKeyCodeFromX11(9), 53u);
    EXPECT_EQ(macKeyCodeFromX11(36), 36u);
}

TEST(KeyCodesTable, BothDirectionsAreInverse) {
    int mapped = 0;
    for (quint32 x = 0; x < 300; ++x) {
        if (const auto mac = macKeyCodeFromX11(x)) {
            ++mapped;
            EXPECT_EQ(x11KeycodeFromMac(*mac), x) << "X keycode " << x;
        }
    }
    for (quint32 mac = 0; mac < 300; ++mac) {
        if (const auto x = x11KeycodeFromMac(mac)) {
            --mapped;
            EXPECT_EQ(macKeyCodeFromX11(*x), mac) << "mac " << mac;
        }
    }
    EXPECT_EQ(mapped, 0);
}

TEST(KeyCodesTable, UnknownCodesHaveNoCounterpart) {
    for (quint32 x : {0u, 7u, 8u, 256u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(macKeyCodeFromX11(x).has_value()) << x;
    }
    for (quint32 mac : {52u, 66u, 127u, 255u, 1000u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(x11KeycodeFromMac(mac).has_value()) << mac;
    }
}

QString nameOfQtKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const auto mac = macKeyCodeFromQtKey(key, modifiers);
    return mac ? HotkeyConfig::keyName(*mac) : QStringLiteral("<none>");
}

TEST(KeyCodesQtKeys, LettersAndDigitsFindTheirKeys) {
    for (int key = Qt::Key_A; key <= Qt::Key_Z; ++key) {
        EXPECT_EQ(nameOfQtKey(key), QString(QChar(key))) << key;
    }
    for (int key = Qt::Key_0; key <= Qt::Key_9; ++key) {
        EXPECT_EQ(nameOfQtKey(key), QString(QChar(key))) << key;
        // Same text, but the keypad's own code.
        const auto keypad = macKeyCodeFromQtKey(key, Qt::KeypadModifier);
        ASSERT_TRUE(keypad.has_value());
        EXPECT_NE(keypad, macKeyCodeFromQtKey(key, Qt::NoModifier));
        EXPECT_EQ(HotkeyConfig::keyName(*keypad), QString(QChar(key)));
    }
}

TEST(KeyCodesQtKeys, SpecialKeys) {
    EXPECT_EQ(macKeyCodeFromQtKey(Qt::Key_Space, Qt::NoModifier), 49u);
    EXPECT_EQ(macKeyCodeFromQtKey(Qt::Key_Escape, Qt::ShiftModifier), 53u);
    EXPECT_EQ(macKeyCodeFromQtKey(Qt::Key_Return, Qt::NoModifier), 36u);
    EXPECT_EQ(macKeyCodeFromQtKey(Qt::Key_Enter, Qt::KeypadModifier), 76u);
    EXPECT_EQ(macKeyCodeFromQtKey(Qt::Key_Slash, Qt::NoModifier), 44u);
    EXPECT_EQ(macKeyCodeFromQtKey(Qt::Key_Slash, Qt::KeypadModifier), 75u);
    EXPECT_EQ(macKeyCodeFromQtKey(Qt::Key_Backtab, Qt::ShiftModifier), 48u);
    EXPECT_EQ(macKeyCodeFromQtKey(Qt::Key_F1, Qt::NoModifier), 122u);
    EXPECT_EQ(macKeyCodeFromQtKey(Qt::Key_F12, Qt::NoModifier), 111u);
    EXPECT_EQ(macKeyCodeFromQtKey(Qt::Key_Up, Qt::KeypadModifier), 126u);
    EXPECT_EQ(macKeyCodeFromQtKey(Qt::Key_Shift, Qt::ShiftModifier), 56u);
    EXPECT_FALSE(macKeyCodeFromQtKey(Qt::Key_unknown, Qt::NoModifier).has_value());
    EXPECT_FALSE(macKeyCodeFromQtKey(Qt::Key_VolumeUp, Qt::NoModifier).has_value());
}

TEST(KeyCodesModifiers, QtModifiersBecomeEventFlags) {
    EXPECT_EQ(eventFlagsFromQt(Qt::NoModifier), 0u);
    EXPECT_EQ(eventFlagsFromQt(Qt::MetaModifier), EventFlag::command);
    EXPECT_EQ(eventFlagsFromQt(Qt::ShiftModifier), EventFlag::shift);
    EXPECT_EQ(eventFlagsFromQt(Qt::AltModifier), EventFlag::option);
    EXPECT_EQ(eventFlagsFromQt(Qt::ControlModifier), EventFlag::control);
    EXPECT_EQ(eventFlagsFromQt(Qt::KeypadModifier | Qt::GroupSwitchModifier), 0u);
    const quint64 all = eventFlagsFromQt(Qt::MetaModifier | Qt::ShiftModifier | Qt::AltModifier |
                                         Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(HotkeyConfig::carbonModifiers(all), 0x1B00u);
    EXPECT_EQ(HotkeyConfig::carbonModifiers(eventFlagsFromQt(Qt::ShiftModifier | Qt::MetaModifier)),
              0x0300u);
}

}  // namespace
}  // namespace quillet
