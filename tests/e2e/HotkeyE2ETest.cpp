#include "e2e/PasteTargetFixture.h"
#include "support/Wait.h"

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
    EXPECT_TRUE(staysTrue([&] { return quillet.clips().size() == 2; }, kUnrecordedWindow))
        << "our own clipboard write is not recorded";

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

    // --status tells which way each key works.
    QByteArray status;
    ASSERT_EQ(quillet.command("--status", &status), 0);
    EXPECT_TRUE(status.contains("History menu key Ctrl+Super+F: X11 key grab"))
        << status.constData();
    EXPECT_TRUE(status.contains("Desktop: X11")) << status.constData();
}

}  // namespace
}  // namespace quillet::test
