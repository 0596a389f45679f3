#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon-names.h>

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

TEST(VirtualKeymap, ALayoutThatDoesNotExistGivesNoKeymap) {
    EXPECT_FALSE(VirtualKeymap::compile("no-such-layout", ""));
}

}  // namespace
}  // namespace quillet
