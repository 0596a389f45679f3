#include <gtest/gtest.h>

#include <map>
#include <string>

#include "hotkeys/HotkeyConfig.h"
#include "hotkeys/HotkeyConfigPrinter.h"
#include "platform/KeyboardEvents.h"

namespace quillet {
namespace {

std::string display(quint32 keyCode, quint32 modifiers) {
    return HotkeyConfig(keyCode, modifiers).displayString().toStdString();
}

std::string name(quint32 keyCode) {
    return HotkeyConfig::keyName(keyCode).toStdString();
}

TEST(HotkeyConfigDisplay, ModifierSymbolsPrecedeTheKeyInFixedOrder) {
    EXPECT_EQ(display(9, 0x0300), "⇧⌘V");
    EXPECT_EQ(display(8, 0x1900), "⌃⌥⌘C");
    EXPECT_EQ(display(0, 0x1B00), "⌃⌥⇧⌘A");
    EXPECT_EQ(display(0, 0x1200), "⌃⇧A");
    EXPECT_EQ(display(0, 0x0800), "⌥A");
}

TEST(HotkeyConfigDisplay, UnnamedKeysAndBareKeys) {
    EXPECT_EQ(display(122, 0x0100), "⌘Key 122");
    EXPECT_EQ(display(49, 0), "Space");
    EXPECT_EQ(display(53, 0x1000), "⌃⎋");
}

TEST(HotkeyConfigDisplay, BitsOutsideTheFourModifiersShowNothing) {
    EXPECT_EQ(display(9, 0x0300 | 0x0400 | 0x0001), "⇧⌘V");
}

TEST(HotkeyConfigKeyName, KeypadKeysReadLikeTheirMainKeyboardTwins) {
    EXPECT_EQ(name(18), "1");
    EXPECT_EQ(name(83), "1");
    EXPECT_EQ(name(44), "/");
    EXPECT_EQ(name(75), "/");
    EXPECT_EQ(name(24), "=");
    EXPECT_EQ(name(81), "=");
}

TEST(HotkeyConfigKeyName, EveryCodeHasItsNameOrTheGenericForm) {
    const std::map<quint32, std::string> named = {
        {0, "A"},      {1, "S"},   {2, "D"},      {3, "F"},   {4, "H"},   {5, "G"},  {6, "Z"},
        {7, "X"},      {8, "C"},   {9, "V"},      {10, "§"},  {11, "B"},  {12, "Q"}, {13, "W"},
        {14, "E"},     {15, "R"},  {16, "Y"},     {17, "T"},  {18, "1"},  {19, "2"}, {20, "3"},
        {21, "4"},     {22, "6"},  {23, "5"},     {24, "="},  {25, "9"},  {26, "7"}, {27, "-"},
        {28, "8"},     {29, "0"},  {30, "]"},     {31, "O"},  {32, "U"},  {33, "["}, {34, "I"},
        {35, "P"},     {36, "⏎"},  {37, "L"},     {38, "J"},  {39, "'"},  {40, "K"}, {41, ";"},
        {42, "\\"},    {43, ","},  {44, "/"},     {45, "N"},  {46, "M"},  {47, "."}, {48, "⇥"},
        {49, "Space"}, {50, "`"},  {51, "⌫"},     {53, "⎋"},  {65, "."},  {67, "*"}, {69, "+"},
        {71, "Clear"}, {75, "/"},  {76, "Enter"}, {78, "-"},  {81, "="},  {82, "0"}, {83, "1"},
        {84, "2"},     {85, "3"},  {86, "4"},     {87, "5"},  {88, "6"},  {89, "7"}, {91, "8"},
        {92, "9"},     {123, "←"}, {124, "→"},    {125, "↓"}, {126, "↑"},
    };
    for (quint32 code = 0; code <= 300; ++code) {
        const auto it = named.find(code);
        const std::string expected = it != named.end() ? it->second : "Key " + std::to_string(code);
        EXPECT_EQ(name(code), expected) << "code " << code;
    }
    EXPECT_EQ(name(4294967295u), "Key 4294967295");
}

TEST(HotkeyConfigKeyName, SingleCharacterNamesAreOneCharacter) {
    for (quint32 code = 0; code <= 126; ++code) {
        const QString text = HotkeyConfig::keyName(code);
        if (text.startsWith(QLatin1String("Key ")) || text == QLatin1String("Space") ||
            text == QLatin1String("Clear") || text == QLatin1String("Enter")) {
            continue;
        }
        EXPECT_EQ(text.size(), 1) << "code " << code;
        EXPECT_EQ(text, text.toUpper()) << "code " << code;
    }
}

TEST(HotkeyConfigCarbonModifiers, ConvertsEachFlag) {
    EXPECT_EQ(HotkeyConfig::carbonModifiers(EventFlag::command), 0x0100u);
    EXPECT_EQ(HotkeyConfig::carbonModifiers(EventFlag::shift), 0x0200u);
    EXPECT_EQ(HotkeyConfig::carbonModifiers(EventFlag::option), 0x0800u);
    EXPECT_EQ(HotkeyConfig::carbonModifiers(EventFlag::control), 0x1000u);
    EXPECT_EQ(HotkeyConfig::carbonModifiers(EventFlag::shift | EventFlag::command), 768u);
}

TEST(HotkeyConfigCarbonModifiers, IgnoresLockPadHelpFunctionAndDeviceBits) {
    const quint64 capsLock = 0x10000, numericPad = 0x200000, help = 0x400000, function = 0x800000,
                  deviceBits = 0x1FF;
    EXPECT_EQ(HotkeyConfig::carbonModifiers(capsLock), 0u);
    EXPECT_EQ(HotkeyConfig::carbonModifiers(capsLock | numericPad | help | function | deviceBits),
              0u);
    EXPECT_EQ(
        HotkeyConfig::carbonModifiers(capsLock | function | EventFlag::control | EventFlag::option |
                                      EventFlag::shift | EventFlag::command),
        0x1B00u);
}

TEST(HotkeyConfigValue, EqualOnlyWhenBothFieldsMatch) {
    EXPECT_EQ(HotkeyConfig(9, 0x0300), HotkeyConfig(9, 0x0300));
    EXPECT_NE(HotkeyConfig(9, 0x0300), HotkeyConfig(9, 0x0100));
    EXPECT_NE(HotkeyConfig(9, 0x0300), HotkeyConfig(8, 0x0300));
}

TEST(HotkeyConfigJson, EncodesCompactlyWithKeyCodeFirst) {
    EXPECT_EQ(HotkeyConfig(9, 768).toJson(), QByteArray(R"({"keyCode":9,"modifierFlags":768})"));
    EXPECT_EQ(HotkeyConfig(4294967295u, 0).toJson(),
              QByteArray(R"({"keyCode":4294967295,"modifierFlags":0})"));
}

TEST(HotkeyConfigJson, RoundTripsBoundaryValues) {
    for (const HotkeyConfig config :
         {HotkeyConfig(0, 0), HotkeyConfig(9, 0x0300), HotkeyConfig(4294967295u, 4294967295u)}) {
        EXPECT_EQ(HotkeyConfig::fromJson(config.toJson()), config);
    }
}

TEST(HotkeyConfigJson, AcceptsAnyMemberOrderAndIgnoresExtraMembers) {
    EXPECT_EQ(HotkeyConfig::fromJson(R"({"modifierFlags":768,"keyCode":9,"extra":true})"),
              HotkeyConfig(9, 0x0300));
    EXPECT_EQ(HotkeyConfig::fromJson(R"( { "keyCode" : 3 , "modifierFlags" : 4352 } )"),
              HotkeyConfig(3, 4352));
}

TEST(HotkeyConfigJson, RejectsMissingOrInvalidMembers) {
    const char* const rejected[] = {
        R"({"keyCode":9})",
        R"({"modifierFlags":768})",
        R"({})",
        R"({"keyCode":-1,"modifierFlags":0})",
        R"({"keyCode":9,"modifierFlags":-768})",
        R"({"keyCode":9.5,"modifierFlags":768})",
        R"({"keyCode":9,"modifierFlags":0.25})",
        R"({"keyCode":4294967296,"modifierFlags":768})",
        R"({"keyCode":9,"modifierFlags":4294967295.5})",
        R"({"keyCode":1e20,"modifierFlags":768})",
        R"({"keyCode":18446744073709551616,"modifierFlags":768})",
        R"({"keyCode":"9","modifierFlags":768})",
        R"({"keyCode":null,"modifierFlags":768})",
        R"({"keyCode":true,"modifierFlags":768})",
        R"({"keyCode":[9],"modifierFlags":768})",
        R"({"keyCode":{"value":9},"modifierFlags":768})",
        R"([9,768])",
        R"(9)",
        R"({"keyCode":9,"modifierFlags":768)",
        "",
        "not json",
    };
    for (const char* json : rejected) {
        EXPECT_FALSE(HotkeyConfig::fromJson(json).has_value()) << json;
    }
}

}  // namespace
}  // namespace quillet
