#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon-names.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <map>

#include "base/KeyTable.h"
#include "platform/wayland/VirtualKeymap.h"

namespace quillet {
namespace {

// The chord's keys are found by the symbol they type in the layout we announce, not by their
// place on a US keyboard: on Dvorak, V is where a US keyboard has the full stop.
TEST(VirtualKeymap, FindsKeysBySymbolInTheAnnouncedLayout) {
    constexpr quint32 evdevV = 47, evdevDot = 52, evdevInsert = 110;
    const auto us = VirtualKeymap::compile("us", "");
    const auto dvorak = VirtualKeymap::compile("us", "dvorak");
    ASSERT_TRUE(us && dvorak) << "xkeyboard-config (xkb-data) is missing";
    EXPECT_EQ(us->evdevCodeFor(XKB_KEY_v), evdevV);
    EXPECT_EQ(dvorak->evdevCodeFor(XKB_KEY_v), evdevDot);
    EXPECT_EQ(dvorak->evdevCodeFor(XKB_KEY_Insert), evdevInsert);
    // A symbol the layout cannot type at its first level is not found under another one.
    EXPECT_FALSE(us->evdevCodeFor(XKB_KEY_V));

    // The text is what the compositor maps: a whole keymap, its terminator counted.
    EXPECT_TRUE(us->text().startsWith("xkb_keymap {"));
    EXPECT_EQ(us->text().back(), '\0');
    EXPECT_NE(us->modifierMask(XKB_MOD_NAME_CTRL), 0u);
    EXPECT_NE(us->modifierMask(XKB_MOD_NAME_CTRL), us->modifierMask(XKB_MOD_NAME_SHIFT));
    EXPECT_EQ(us->modifierMask("NoSuchModifier"), 0u);
}

// Every symbol a US and a Japanese (JIS) keyboard type, with the X keycodes that type it.
std::multimap<xkb_keysym_t, xkb_keycode_t> typedSymbols() {
    std::multimap<xkb_keysym_t, xkb_keycode_t> typed;
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const xkb_rule_names names{"evdev", "pc105", "us,jp", ",OADG109A", ""};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap) {
        for (xkb_keycode_t code = xkb_keymap_min_keycode(keymap);
             code <= xkb_keymap_max_keycode(keymap); ++code) {
            for (xkb_layout_index_t layout = 0; layout < 2; ++layout) {
                const xkb_level_index_t levels =
                    xkb_keymap_num_levels_for_key(keymap, code, layout);
                for (xkb_level_index_t level = 0; level < levels; ++level) {
                    const xkb_keysym_t* syms = nullptr;
                    const int count =
                        xkb_keymap_key_get_syms_by_level(keymap, code, layout, level, &syms);
                    for (int i = 0; i < count; ++i) typed.emplace(syms[i], code);
                }
            }
        }
        xkb_keymap_unref(keymap);
    }
    xkb_context_unref(context);
    return typed;
}

// The key table's keysyms and evdev codes against xkbcommon's own names and layouts: each
// symbol is the one its name stands for, and a symbol the keyboards type is typed by its key.
TEST(VirtualKeymap, AgreesWithTheKeyTable) {
    const auto typed = typedSymbols();
    ASSERT_FALSE(typed.empty()) << "xkeyboard-config (xkb-data) is missing";
    const auto us = VirtualKeymap::compile("us", "");
    ASSERT_TRUE(us);
    for (const PhysicalKey& key : KeyTable::keys()) {
        if (!key.keysymName) continue;
        SCOPED_TRACE(key.keysymName);
        EXPECT_EQ(xkb_keysym_from_name(key.keysymName, XKB_KEYSYM_NO_FLAGS), key.keysym);
        const auto [first, last] = typed.equal_range(key.keysym);
        if (first == last) continue;  // no layout here has it (F13, the ISO key's section)
        EXPECT_TRUE(
            std::any_of(first, last, [&](const auto& at) { return at.second == key.evdev + 8u; }))
            << "typed elsewhere, not by evdev code " << key.evdev;
        const bool letterOrDigit = (key.qtKey >= Qt::Key_A && key.qtKey <= Qt::Key_Z) ||
                                   (key.qtKey >= Qt::Key_0 && key.qtKey <= Qt::Key_9);
        if (letterOrDigit && key.group == KeyGroup::main) {
            EXPECT_EQ(us->evdevCodeFor(key.keysym), key.evdev) << "without modifiers";
        }
    }
    quint32 masks = 0;
    for (const KeyModifier& modifier : KeyTable::modifiers()) {
        const quint32 mask = us->modifierMask(modifier.xkbName);
        EXPECT_NE(mask, 0u) << modifier.xkbName;
        EXPECT_EQ(masks & mask, 0u) << modifier.xkbName;
        masks |= mask;
    }
}

TEST(VirtualKeymap, ALayoutThatDoesNotExistGivesNoKeymap) {
    EXPECT_FALSE(VirtualKeymap::compile("no-such-layout", ""));
}

}  // namespace
}  // namespace quillet
