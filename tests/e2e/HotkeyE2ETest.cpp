#include <gtest/gtest.h>

#include <QFile>
#include <xcb/xcb.h>

#include "e2e/E2EEnvironment.h"
#include "e2e/QuilletDriver.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

// Global hot keys through the real X11 grabs, pressed with xdotool (XTest).
class HotkeyE2E : public ::testing::Test {
protected:
    void SetUp() override {
        const QByteArray extensions = runCommand({"xdpyinfo", "-queryExtensions"}, 5s).output;
        ASSERT_TRUE(extensions.contains("XTEST")) << "xdotool needs XTest";
    }

    void startAll() {
        QString error;
        ASSERT_TRUE(quillet.start(&error)) << qPrintable(error);
        ChildProcess::Options options;
        options.environment = {x.displayVariable(), "QT_QPA_PLATFORM=xcb"};
        options.captureOutput = false;
        ASSERT_TRUE(target.start({targetBinary(), targetFile}, options));
        ASSERT_TRUE(waitFor(
            [&] { return targetIsActive(x); },
            10s));
    }
    QString targetText() const {
        QFile file(targetFile);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    bool menuOpens(const QString& chord) {
        xdotool(x, {"key", chord});
        return waitFor([&] { return quilletWindowVisible(x); }, 3s);
    }

    const XvfbSession& x = *e2eDisplay;
    QuilletDriver quillet{x};
    ChildProcess target;
    QString targetFile = quillet.home().file("target.txt");
};

TEST_F(HotkeyE2E, DefaultHotKeysOpenBothMenusAndPaste) {
    startAll();
    quillet.addPhraseCategory("Sign-offs", 0, {{"Regards", "Best regards,\nQ"}});
    for (const QString text : {"one", "two"}) {
        copyWithXclip(x, text);
        ASSERT_TRUE(waitFor([&] { return quillet.clips().value(0) == text; }, 5s));
    }
    ASSERT_TRUE(menuOpens("super+shift+v")) << "the history menu opened";
    xdotool(x, {"key", "2"});
    ASSERT_TRUE(waitFor([&] { return targetText() == "one"; }, 5s)) << qPrintable(targetText());

    ASSERT_TRUE(menuOpens("super+shift+c")) << "the phrase menu opened";
    chooseInFirstSubmenu(x, {"Return"});
    ASSERT_TRUE(waitFor([&] { return targetText() == "oneBest regards,\nQ"; }, 5s))
        << qPrintable(targetText());
}

TEST_F(HotkeyE2E, AStoredHotKeyReplacesTheDefault) {
    quillet.storeSetting("historyHotkey", R"({"keyCode":3,"modifierFlags":4352})");
    startAll();
    copyWithXclip(x, "stored key");
    ASSERT_TRUE(waitFor([&] { return quillet.clips().value(0) == "stored key"; }, 5s));
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
    startAll();
    quillet.addPhraseCategory("Only", 0, {{"p", "phrase body"}});
    EXPECT_TRUE(quillet.process().isRunning()) << "a refused key is not fatal";
    EXPECT_FALSE(menuOpens("super+shift+v"));
    ASSERT_TRUE(menuOpens("super+shift+c")) << "the other hot key still works";
    chooseInFirstSubmenu(x, {"Return"});
    EXPECT_TRUE(waitFor([&] { return targetText() == "phrase body"; }, 5s)) << qPrintable(targetText());
    xcb_disconnect(other);
}

}  // namespace
}  // namespace quillet::test
