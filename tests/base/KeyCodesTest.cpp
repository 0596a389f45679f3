#include <gtest/gtest.h>

#include <optional>

#include "hotkeys/HotkeyConfig.h"
#include "base/KeyCodes.h"
#include "platform/KeyboardEvents.h"

namespace quillet {
namespace {

using KeyCodes::eventFlagsFromQt;
using KeyCodes::macKeyCodeFromQtKey;
using KeyCodes::macKeyCodeFromX11;
using KeyCodes::x11KeycodeFromMac;

TEST(KeyCodesTable, BothDirectionsAreInverseAndEveryNamedKeyHasAnX11Key) {
    for (quint32 x = 0; x < 300; ++x) {
        if (const auto mac = macKeyCodeFromX11(x)) {
            EXPECT_EQ(x11KeycodeFromMac(*mac), x) << x;
        }
    }
    for (quint32 mac = 0; mac < 300; ++mac) {
        const auto x = x11KeycodeFromMac(mac);
        if (x) {
            EXPECT_EQ(macKeyCodeFromX11(*x), mac) << "mac " << mac;
        } else if (mac != 63) {
            EXPECT_TRUE(HotkeyConfig::keyName(mac).startsWith(QLatin1String("Key ")))
                << "named key " << mac << " cannot be grabbed";
        }
    }
    for (quint32 x : {0u, 7u, 256u, 0xFFFFFFFFu}) EXPECT_FALSE(macKeyCodeFromX11(x)) << x;
    EXPECT_FALSE(x11KeycodeFromMac(63)) << "the function key has no X keycode";
}

TEST(KeyCodesTable, TheSamePhysicalKeysAsAPcKeyboard) {
    // X keycodes of a PC keyboard under Xvfb's evdev rules: the default hot keys (V, C), and
    // one key of each block where a shifted row would go unnoticed.
    EXPECT_EQ(macKeyCodeFromX11(55), 9u);     // V
    EXPECT_EQ(macKeyCodeFromX11(54), 8u);     // C
    EXPECT_EQ(macKeyCodeFromX11(38), 0u);     // A
    EXPECT_EQ(macKeyCodeFromX11(9), 53u);     // Escape
    EXPECT_EQ(macKeyCodeFromX11(36), 36u);    // Return
    EXPECT_EQ(macKeyCodeFromX11(67), 122u);   // F1
    EXPECT_EQ(macKeyCodeFromX11(96), 111u);   // F12
    EXPECT_EQ(macKeyCodeFromX11(87), 83u);    // keypad 1
    EXPECT_EQ(macKeyCodeFromX11(111), 126u);  // Up
    EXPECT_EQ(macKeyCodeFromX11(133), 55u);   // left Super
}

TEST(KeyCodesQtKeys, KeysWithoutScanCodeFollowTheirMeaning) {
    for (int key = Qt::Key_A; key <= Qt::Key_Z; ++key) {
        const auto mac = macKeyCodeFromQtKey(key, Qt::NoModifier);
        ASSERT_TRUE(mac) << key;
        EXPECT_EQ(HotkeyConfig::keyName(*mac), QString(QChar(key)));
    }
    for (int key = Qt::Key_0; key <= Qt::Key_9; ++key) {
        const auto main = macKeyCodeFromQtKey(key, Qt::NoModifier);
        const auto keypad = macKeyCodeFromQtKey(key, Qt::KeypadModifier);
        ASSERT_TRUE(main && keypad) << key;
        EXPECT_NE(*main, *keypad) << "the keypad has keys of its own";
        EXPECT_EQ(HotkeyConfig::keyName(*main), QString(QChar(key)));
        EXPECT_EQ(HotkeyConfig::keyName(*keypad), QString(QChar(key)));
    }
    EXPECT_EQ(macKeyCodeFromQtKey(Qt::Key_Backtab, Qt::ShiftModifier), 48u) << "Shift+Tab is Tab";
    EXPECT_EQ(macKeyCodeFromQtKey(Qt::Key_Up, Qt::KeypadModifier), 126u) << "arrows are flagged";
    EXPECT_FALSE(macKeyCodeFromQtKey(Qt::Key_VolumeUp, Qt::NoModifier));
}

TEST(KeyCodesModifiers, SuperIsCommandAndKeypadIsNoModifier) {
    EXPECT_EQ(eventFlagsFromQt(Qt::MetaModifier), EventFlag::command);
    EXPECT_EQ(eventFlagsFromQt(Qt::AltModifier), EventFlag::option);
    EXPECT_EQ(eventFlagsFromQt(Qt::KeypadModifier | Qt::GroupSwitchModifier), 0u);
    const quint64 all = eventFlagsFromQt(Qt::MetaModifier | Qt::ShiftModifier | Qt::AltModifier |
                                         Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(HotkeyConfig::carbonModifiers(all), 0x1B00u);
}

}  // namespace
}  // namespace quillet
