#include <gtest/gtest.h>

#include <string>

#include "base/KeyTable.h"
#include "hotkeys/HotkeyConfig.h"
#include "hotkeys/HotkeyConfigPrinter.h"

namespace quillet {
namespace {

std::string display(quint32 keyCode, quint32 modifiers) {
    return HotkeyConfig(keyCode, modifiers).displayString().toStdString();
}

TEST(HotkeyConfigDisplay, ModifierNamesPrecedeTheKeyAsLinuxDesktopsWriteThem) {
    EXPECT_EQ(display(9, 0x0300), "Shift+Super+V");
    EXPECT_EQ(display(0, 0x1B00), "Shift+Ctrl+Alt+Super+A");
    EXPECT_EQ(display(4, 0x1800), "Ctrl+Alt+H");
    EXPECT_EQ(display(9, 0x0300 | 0x0400 | 0x0001), "Shift+Super+V") << "other bits show nothing";
    EXPECT_EQ(display(122, 0x0100), "Super+Key 122") << "unnamed codes";
    EXPECT_EQ(display(49, 0), "Space");
    EXPECT_EQ(display(36, 0x1000), "Ctrl+Return");
    EXPECT_EQ(display(53, 0x0800), "Alt+Escape");
    EXPECT_EQ(display(126, 0x0200), "Shift+Up");
}

TEST(HotkeyConfigDisplay, KeypadKeysReadLikeTheirMainKeyboardTwins) {
    for (auto [main, keypad] : {std::pair{18u, 83u}, {44u, 75u}, {24u, 81u}})
        EXPECT_EQ(HotkeyConfig::keyName(main), HotkeyConfig::keyName(keypad)) << main;
    EXPECT_EQ(HotkeyConfig::keyName(4294967295u), "Key 4294967295");
}

TEST(HotkeyConfigCarbonModifiers, KeepsTheFourModifiersAndDropsLockPadAndDeviceBits) {
    const quint64 capsLock = 0x10000, numericPad = 0x200000, help = 0x400000, function = 0x800000,
                  deviceBits = 0x1FF;
    EXPECT_EQ(
        HotkeyConfig::carbonModifiers(capsLock | function | EventFlag::shift | EventFlag::super),
        0x0300u);
    EXPECT_EQ(HotkeyConfig::carbonModifiers(capsLock | numericPad | help | function | deviceBits),
              0u);
}

TEST(HotkeyConfigJson, CompactKeyCodeFirstAndRoundTripsBoundaryValues) {
    EXPECT_EQ(HotkeyConfig(9, 768).toJson(), QByteArray(R"({"keyCode":9,"modifierFlags":768})"));
    for (const HotkeyConfig config :
         {HotkeyConfig(0, 0), HotkeyConfig(9, 0x0300), HotkeyConfig(4294967295u, 4294967295u)}) {
        EXPECT_EQ(HotkeyConfig::fromJson(config.toJson()), config);
    }
    EXPECT_EQ(HotkeyConfig::fromJson(R"( { "modifierFlags" : 768, "keyCode" : 9, "x": true } )"),
              HotkeyConfig(9, 0x0300))
        << "any member order, extra members ignored";
}

TEST(HotkeyConfigJson, RejectsMissingOrInvalidMembers) {
    const char* const rejected[] = {
        R"({"keyCode":9})",
        R"({"keyCode":-1,"modifierFlags":0})",
        R"({"keyCode":9.5,"modifierFlags":768})",
        R"({"keyCode":4294967296,"modifierFlags":768})",
        R"({"keyCode":1e20,"modifierFlags":768})",
        R"({"keyCode":"9","modifierFlags":768})",
        R"({"keyCode":null,"modifierFlags":768})",
        R"([9,768])",
        R"({"keyCode":9,"modifierFlags":768)",
        "",
    };
    for (const char* json : rejected) EXPECT_FALSE(HotkeyConfig::fromJson(json)) << json;
}

}  // namespace
}  // namespace quillet
