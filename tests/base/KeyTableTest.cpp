#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "base/KeyTable.h"
#include "hotkeys/HotkeyConfig.h"

namespace quillet {
namespace {

Qt::KeyboardModifiers qtModifiersOf(const PhysicalKey& key) {
    return key.group == KeyGroup::keypad ? Qt::KeypadModifier : Qt::NoModifier;
}

// Fails for every value of `column` that two keys share; keys without a value are skipped.
void expectUnique(const char* what,
                  const std::function<std::optional<std::string>(const PhysicalKey&)>& column) {
    std::map<std::string, quint32> seen;
    for (const PhysicalKey& key : KeyTable::keys()) {
        const auto value = column(key);
        if (!value) continue;
        const auto [it, inserted] = seen.emplace(*value, key.code);
        EXPECT_TRUE(inserted) << what << " of key " << key.code << " is key " << it->second
                              << "'s too";
    }
}

TEST(KeyTable, NoTwoKeysShareACodeOrAName) {
    using Value = std::optional<std::string>;
    auto text = [](auto number) { return Value(std::to_string(number)); };
    expectUnique("the stored code", [&](const PhysicalKey& k) { return text(k.code); });
    expectUnique("the evdev code",
                 [&](const PhysicalKey& k) { return k.evdev ? text(k.evdev) : Value(); });
    expectUnique("the keysym",
                 [&](const PhysicalKey& k) { return k.keysym ? text(k.keysym) : Value(); });
    expectUnique("the keysym name",
                 [](const PhysicalKey& k) { return k.keysymName ? Value(k.keysymName) : Value(); });
    expectUnique("the Qt key", [&](const PhysicalKey& k) {
        return k.qtKey ? Value(std::to_string(k.qtKey) + (k.group == KeyGroup::keypad ? "kp" : ""))
                       : Value();
    });
    for (const PhysicalKey& key : KeyTable::keys()) {
        EXPECT_EQ(key.keysym != 0, key.keysymName != nullptr) << key.code;
    }
}

TEST(KeyTable, EveryKeyRoundTripsThroughEachLookup) {
    for (const PhysicalKey& key : KeyTable::keys()) {
        SCOPED_TRACE(key.code);
        EXPECT_EQ(KeyTable::byCode(key.code), &key);
        if (key.evdev != 0) {
            EXPECT_EQ(KeyTable::evdevCode(key.code), key.evdev);
        }
        if (const auto x = KeyTable::x11Keycode(key.code)) {
            EXPECT_EQ(*x, key.evdev + 8u);
            EXPECT_EQ(KeyTable::byX11Keycode(*x), &key);
        } else {
            EXPECT_GT(key.evdev + 8u, 255u) << "only codes beyond X's keycodes have none";
        }
        if (key.qtKey != 0) {
            EXPECT_EQ(KeyTable::byQtKey(key.qtKey, qtModifiersOf(key)), &key);
        }
        // Every key the settings can show by name can be grabbed on X11.
        if (key.displayName) {
            EXPECT_TRUE(KeyTable::x11Keycode(key.code));
        }
    }
    // No lookup finds a key under a value it does not have.
    for (quint32 value = 0; value < 300; ++value) {
        if (const PhysicalKey* key = KeyTable::byCode(value)) {
            EXPECT_EQ(key->code, value);
        }
        if (const PhysicalKey* key = KeyTable::byX11Keycode(value)) {
            EXPECT_EQ(KeyTable::x11Keycode(key->code), value);
        }
    }
    for (quint32 x : {0u, 7u, 256u, 0xFFFFFFFFu}) EXPECT_FALSE(KeyTable::byX11Keycode(x)) << x;
    EXPECT_FALSE(KeyTable::byCode(52)) << "a gap in the stored codes";
}

TEST(KeyTable, DisplayNamesAreUniqueButForKeypadKeysThatReadLikeTheirTwins) {
    std::map<std::string, const PhysicalKey*> byName;
    for (const PhysicalKey& key : KeyTable::keys()) {
        if (!key.displayName) continue;
        const auto [it, inserted] = byName.emplace(key.displayName, &key);
        if (inserted) continue;
        const PhysicalKey* main = it->second->group == KeyGroup::keypad ? &key : it->second;
        const PhysicalKey* keypad = main == &key ? it->second : &key;
        EXPECT_TRUE(main->group == KeyGroup::main && keypad->group == KeyGroup::keypad &&
                    main->qtKey == keypad->qtKey)
            << key.code << " and " << it->second->code << " are both \"" << key.displayName << "\"";
    }
    for (const PhysicalKey& key : KeyTable::keys()) {
        if (key.group == KeyGroup::modifier) {
            EXPECT_EQ(key.displayName, nullptr) << key.code;
        }
    }
}

TEST(KeyTable, TheSamePhysicalKeysAsAPcKeyboard) {
    // X keycodes of a PC keyboard under Xvfb's evdev rules: the default hot keys (V, C), and
    // one key of each block where a shifted row would go unnoticed.
    const std::pair<quint32, quint32> xToCode[] = {
        {55, 9},     // V
        {54, 8},     // C
        {38, 0},     // A
        {9, 53},     // Escape
        {36, 36},    // Return
        {67, 122},   // F1
        {96, 111},   // F12
        {87, 83},    // keypad 1
        {111, 126},  // Up
        {133, 55},   // left Super
    };
    for (const auto& [x, code] : xToCode) {
        const PhysicalKey* key = KeyTable::byX11Keycode(x);
        ASSERT_TRUE(key) << x;
        EXPECT_EQ(key->code, code) << x;
    }
}

TEST(KeyTable, QtKeysWithoutScanCodeFollowTheirMeaning) {
    auto code = [](int qtKey, Qt::KeyboardModifiers modifiers) -> std::optional<quint32> {
        const PhysicalKey* key = KeyTable::byQtKey(qtKey, modifiers);
        return key ? std::optional(quint32(key->code)) : std::nullopt;
    };
    for (int key = Qt::Key_A; key <= Qt::Key_Z; ++key) {
        const auto found = code(key, Qt::NoModifier);
        ASSERT_TRUE(found) << key;
        EXPECT_EQ(HotkeyConfig::keyName(*found), QString(QChar(key)));
    }
    for (int key = Qt::Key_0; key <= Qt::Key_9; ++key) {
        const auto main = code(key, Qt::NoModifier);
        const auto keypad = code(key, Qt::KeypadModifier);
        ASSERT_TRUE(main && keypad) << key;
        EXPECT_NE(*main, *keypad) << "the keypad has keys of its own";
        EXPECT_EQ(HotkeyConfig::keyName(*main), QString(QChar(key)));
        EXPECT_EQ(HotkeyConfig::keyName(*keypad), QString(QChar(key)));
    }
    EXPECT_EQ(code(Qt::Key_Backtab, Qt::ShiftModifier), 48u) << "Shift+Tab is Tab";
    EXPECT_EQ(code(Qt::Key_Up, Qt::KeypadModifier), 126u) << "arrows are flagged";
    EXPECT_EQ(code(Qt::Key_Enter, Qt::NoModifier), 76u) << "a key only the keypad has";
    EXPECT_FALSE(code(Qt::Key_Asterisk, Qt::NoModifier)) << "Shift+8 is not the keypad's *";
    EXPECT_FALSE(code(Qt::Key_VolumeUp, Qt::NoModifier));
    EXPECT_FALSE(code(0, Qt::NoModifier));
}

TEST(KeyTable, ModifiersAreDistinctInEverySystemAndHeldByTheirOwnKeys) {
    quint32 hotkeyBits = 0;
    quint64 eventFlags = 0;
    quint32 xMasks = 0;
    std::map<std::string, int> names[4];
    for (const KeyModifier& modifier : KeyTable::modifiers()) {
        SCOPED_TRACE(modifier.displayName);
        EXPECT_EQ(hotkeyBits & modifier.hotkeyBit, 0u);
        EXPECT_EQ(eventFlags & modifier.eventFlag, 0u);
        EXPECT_EQ(xMasks & modifier.xMask, 0u);
        hotkeyBits |= modifier.hotkeyBit;
        eventFlags |= modifier.eventFlag;
        xMasks |= modifier.xMask;
        const char* const systemNames[] = {modifier.displayName, modifier.triggerName,
                                           modifier.gtkName, modifier.xkbName};
        for (int system = 0; system < 4; ++system)
            EXPECT_EQ(++names[system][systemNames[system]], 1) << systemNames[system];

        EXPECT_EQ(KeyTable::eventFlagsFromQt(modifier.qtModifier), modifier.eventFlag);
        EXPECT_EQ(HotkeyConfig::carbonModifiers(modifier.eventFlag), modifier.hotkeyBit);
        EXPECT_EQ(&KeyTable::modifierByHotkeyBit(modifier.hotkeyBit), &modifier);
        const PhysicalKey& key = KeyTable::modifierKey(modifier);
        EXPECT_EQ(key.group, KeyGroup::modifier);
        EXPECT_TRUE(KeyTable::x11Keycode(key.code)) << "a paste can press it";
    }
    EXPECT_EQ(hotkeyBits, 0x1B00u) << "the stored mask's four bits";
    EXPECT_EQ(KeyTable::eventFlagsFromQt(Qt::KeypadModifier | Qt::GroupSwitchModifier), 0u);
}

TEST(KeyTable, PastesHoldControlWhileHotKeysUseSuper) {
    const auto paste = KeyTable::modifiersIn(EventFlag::pasteModifier);
    ASSERT_EQ(paste.size(), 1);
    EXPECT_EQ(paste.front()->xkbName, std::string("Control"));
    EXPECT_EQ(KeyTable::modifierKey(*paste.front()).keysymName, std::string("Control_L"));
    // The recorder's Super is the stored mask's Super, shown as such.
    const quint32 mask = HotkeyConfig::carbonModifiers(
        KeyTable::eventFlagsFromQt(Qt::MetaModifier | Qt::ShiftModifier));
    EXPECT_EQ(HotkeyConfig(KeyCode::v, mask).displayString(), "Shift+Super+V");
    // Pressed in the order the desktops list them: Control before Shift.
    const auto chord = KeyTable::modifiersIn(EventFlag::shift | EventFlag::pasteModifier);
    ASSERT_EQ(chord.size(), 2);
    EXPECT_EQ(chord[0], paste.front());
    EXPECT_EQ(chord[1]->eventFlag, EventFlag::shift);
}

}  // namespace
}  // namespace quillet
