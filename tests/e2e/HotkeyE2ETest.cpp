#include <xcb/xcb.h>

#include "e2e/PasteTargetFixture.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

// Global hot keys through the real X11 grabs, pressed with xdotool (XTest).
class HotkeyE2E : public PasteTargetFixture {
protected:
    bool menuOpens(const QString& chord) {
        xdotool(x, {"key", chord});
        return waitFor([&] { return quilletWindowVisible(x); }, 3s);
    }
};

TEST_F(HotkeyE2E, DefaultHotKeysOpenBothMenusAndPaste) {
    startQuilletAndTarget();
    quillet.addPhraseCategory("Sign-offs", 0, {{"Regards", "Best regards,\nQ"}});
    copyAll({"one", "two"});
    ASSERT_TRUE(menuOpens("super+shift+v")) << "the history menu opened";
    xdotool(x, {"key", "2"});
    ASSERT_TRUE(targetReceives("one")) << qPrintable(targetText());

    ASSERT_TRUE(menuOpens("super+shift+c")) << "the phrase menu opened";
    chooseInFirstSubmenu(x, {"Return"});
    ASSERT_TRUE(targetReceives("oneBest regards,\nQ")) << qPrintable(targetText());
}

TEST_F(HotkeyE2E, AStoredHotKeyReplacesTheDefault) {
    quillet.storeSetting("historyHotkey", R"({"keyCode":3,"modifierFlags":4352})");
    startQuilletAndTarget();
    copyAll({"stored key"});
    EXPECT_FALSE(menuOpens("super+shift+v")) << "the default is no longer grabbed";
    xdotool(x, {"key", "Escape"});
    ASSERT_TRUE(menuOpens("ctrl+super+f"));
    xdotool(x, {"key", "1"});
    ASSERT_TRUE(waitFor([&] { return targetText().endsWith("stored key"); }, 5s));
}

TEST_F(HotkeyE2E, AKeyGrabbedByAnotherClientIsRefusedWhileTheOtherWorks) {
    // Another program holds Shift+Super+V (X keycode 55 is V) in every lock variant.
    xcb_connection_t* other = xcb_connect(qPrintable(x.display()), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(other));
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
    for (uint16_t locks : {0u, unsigned(XCB_MOD_MASK_LOCK), unsigned(XCB_MOD_MASK_2),
                           unsigned(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2)})
        xcb_grab_key(other, 1, root, uint16_t(XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4 | locks), 55,
                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_flush(other);
    startQuilletAndTarget();
    quillet.addPhraseCategory("Only", 0, {{"p", "phrase body"}});
    EXPECT_TRUE(quillet.process().isRunning()) << "a refused key is not fatal";
    EXPECT_FALSE(menuOpens("super+shift+v"));
    ASSERT_TRUE(menuOpens("super+shift+c")) << "the other hot key still works";
    chooseInFirstSubmenu(x, {"Return"});
    EXPECT_TRUE(targetReceives("phrase body")) << qPrintable(targetText());
    xcb_disconnect(other);
}

}  // namespace
}  // namespace quillet::test
