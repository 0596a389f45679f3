#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QTest>
#include <QTextStream>
#include <memory>
#include <vector>

#include "fakes/FakePasteboard.h"
#include "fakes/FakeRemoteDesktopPortal.h"
#include "fakes/ManualClock.h"
#include "paste/PasteActionService.h"
#include "platform/portal/PortalRegistration.h"
#include "platform/portal/PortalRemoteKeyboard.h"
#include "support/Wait.h"

// Runs on a private session bus (dbus-run-session, from CTest): the portal is a fake that owns
// the portal's name on a second connection of this process.
namespace quillet {
namespace {

using namespace std::chrono_literals;

using test::FakeRemoteDesktopPortal;
using State = PortalRemoteKeyboard::State;
using Key = FakeRemoteDesktopPortal::KeyEvent;

// Evdev codes of the paste chord's keys.
constexpr int ctrl = 29;
constexpr int v = 47;

class PortalRemoteKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()); }

    // The backend under the paste service the program puts over it; the restore token lives
    // in `storedToken`, as the settings file keeps it.
    void start(PortalRemoteKeyboard::Timeouts timeouts = {}) {
        paste.reset();
        keyboard = std::make_unique<PortalRemoteKeyboard>(
            QDBusConnection::sessionBus(),
            std::make_shared<PortalRegistration>(QDBusConnection::sessionBus(),
                                                 QStringLiteral("quillet")),
            RestoreTokenStore{[this] { return storedToken; },
                              [this](const QString& token) { storedToken = token; }},
            timeouts);
        paste = std::make_unique<PasteActionService>(*keyboard, pasteboard, clock, log);
        paste->setManualPasteNotice([this] { ++notices; });
    }

    bool settlesTo(State state, int ms = 3000) {
        return test::waitFor([&] { return keyboard->state() == state; },
                             std::chrono::milliseconds(ms));
    }

    test::ManualClock clock;
    test::FakePasteboard pasteboard;
    QString logText;
    QTextStream log{&logText};
    QString storedToken;
    int notices = 0;
    std::unique_ptr<PortalRemoteKeyboard> keyboard;
    std::unique_ptr<PasteActionService> paste;
};

TEST_F(PortalRemoteKeyboardTest, AnAllowedSessionTypesThePasteChordInOrder) {
    FakeRemoteDesktopPortal desktop(QStringLiteral("remote-allowed"));
    ASSERT_TRUE(desktop.registered);
    start();
    EXPECT_FALSE(keyboard->isTrusted()) << "nothing is allowed before the desktop says so";
    ASSERT_TRUE(settlesTo(State::ready));
    EXPECT_TRUE(keyboard->isTrusted());
    ASSERT_FALSE(desktop.calls.empty());
    EXPECT_EQ(desktop.calls.front(), "Register");
    EXPECT_EQ(desktop.registeredAppId, "quillet");
    ASSERT_EQ(desktop.sessions.size(), 1u);
    ASSERT_EQ(desktop.selectOptions.size(), 1u);
    EXPECT_EQ(desktop.selectOptions[0].value("types").toUInt(), 1u) << "the keyboard alone";
    EXPECT_FALSE(desktop.selectOptions[0].contains("persist_mode")) << "version 1 cannot";
    EXPECT_TRUE(keyboard->statusText().contains("Ctrl+V"));

    paste->performPaste();
    ASSERT_TRUE(test::waitFor([&] { return desktop.keys.size() >= 4; }, 3s));
    const QString session = desktop.sessions.front();
    EXPECT_EQ(desktop.keys,
              (std::vector<Key>{
                  {session, ctrl, 1}, {session, v, 1}, {session, v, 0}, {session, ctrl, 0}}));
    EXPECT_EQ(notices, 0);

    // A terminal's chord holds Shift too, released in the reverse order.
    desktop.keys.clear();
    keyboard->postKey(9, true, EventFlag::pasteModifier | EventFlag::shift);
    keyboard->postKey(9, false, EventFlag::pasteModifier | EventFlag::shift);
    ASSERT_TRUE(test::waitFor([&] { return desktop.keys.size() >= 6; }, 3s));
    std::vector<int> codes;
    for (const Key& key : desktop.keys) codes.push_back(key.keycode * (key.state ? 1 : -1));
    EXPECT_EQ(codes, (std::vector<int>{ctrl, 42, v, -v, -42, -ctrl}));
    EXPECT_EQ(desktop.sessions.size(), 1u) << "one session serves every paste";

    // The desktop ends the session: pastes fall back to the clipboard and the notice.
    desktop.closeSession();
    ASSERT_TRUE(settlesTo(State::ended));
    EXPECT_TRUE(keyboard->statusText().contains("ended"));
    desktop.keys.clear();
    paste->performPaste();
    EXPECT_EQ(notices, 1);
    QTest::qWait(50);
    EXPECT_TRUE(desktop.keys.empty());
}

TEST_F(PortalRemoteKeyboardTest, APortalThatEndsTakesTheSessionWithIt) {
    auto desktop = std::make_unique<FakeRemoteDesktopPortal>(QStringLiteral("remote-ending"));
    start();
    ASSERT_TRUE(settlesTo(State::ready));
    desktop->stop();
    ASSERT_TRUE(settlesTo(State::ended));
    paste->performPaste();
    EXPECT_EQ(notices, 1) << "no key is sent into a session that is gone";
}

TEST_F(PortalRemoteKeyboardTest, ARefusalSendsNoKeysAndTheStatusSaysSo) {
    for (const uint code : {1u, 2u}) {
        SCOPED_TRACE(code);
        FakeRemoteDesktopPortal desktop(QStringLiteral("remote-refused-%1").arg(code));
        desktop.startCode = code;
        start();
        ASSERT_TRUE(settlesTo(code == 1 ? State::refused : State::unavailable));
        EXPECT_FALSE(keyboard->isTrusted());
        paste->performPaste();
        EXPECT_EQ(notices, int(code)) << "the text stays on the clipboard, with the notice";
        QTest::qWait(50);
        EXPECT_TRUE(desktop.keys.empty());
        if (code == 1) {
            EXPECT_TRUE(keyboard->statusText().contains("not allowed"));
        }
        keyboard.reset();
        ASSERT_TRUE(test::waitFor([&] { return !desktop.closed.empty(); }, 3s))
            << "the session is closed with the program";
    }
}

TEST_F(PortalRemoteKeyboardTest, AnUnansweredDialogWaitsBoundedAndAPasteMeanwhileFallsBack) {
    FakeRemoteDesktopPortal desktop(QStringLiteral("remote-silent"));
    desktop.unanswered.insert(QStringLiteral("Start"));  // the dialog stays open
    start({.callMs = 300, .stepMs = 300, .approvalMs = 300});
    ASSERT_TRUE(settlesTo(State::awaitingUser));
    EXPECT_TRUE(keyboard->statusText().contains("waiting for you"));
    paste->performPaste();
    EXPECT_EQ(notices, 1);
    ASSERT_TRUE(settlesTo(State::unanswered, 3000)) << "the wait is bounded";
    EXPECT_TRUE(keyboard->statusText().contains("waiting for you"));
    EXPECT_FALSE(keyboard->isTrusted());
    EXPECT_TRUE(desktop.keys.empty());
}

TEST_F(PortalRemoteKeyboardTest, APersistingPortalGetsBackItsTokenOnTheNextStart) {
    FakeRemoteDesktopPortal desktop(QStringLiteral("remote-persisting"));
    desktop.version = 2;
    desktop.tokenToHandOut = QStringLiteral("token-one");
    start();
    ASSERT_TRUE(settlesTo(State::ready));
    ASSERT_EQ(desktop.selectOptions.size(), 1u);
    EXPECT_EQ(desktop.selectOptions[0].value("persist_mode").toUInt(), 2u);
    EXPECT_FALSE(desktop.selectOptions[0].contains("restore_token")) << "none kept yet";
    EXPECT_EQ(storedToken, "token-one");

    // The next run hands the token back; the desktop answers with a new one to keep.
    desktop.tokenToHandOut = QStringLiteral("token-two");
    start();
    ASSERT_TRUE(test::waitFor([&] { return desktop.selectOptions.size() == 2; }, 3s));
    ASSERT_TRUE(settlesTo(State::ready));
    EXPECT_EQ(desktop.selectOptions[1].value("restore_token").toString(), "token-one");
    EXPECT_EQ(storedToken, "token-two");

    // A token no portal would give is not sent.
    storedToken = QString(PortalRemoteKeyboard::maxTokenLength + 1, u'x');
    start();
    ASSERT_TRUE(test::waitFor([&] { return desktop.selectOptions.size() == 3; }, 3s));
    EXPECT_FALSE(desktop.selectOptions[2].contains("restore_token"));
}

TEST_F(PortalRemoteKeyboardTest, WithoutAUsablePortalTheTextStaysOnTheClipboard) {
    for (const int variant : {0, 1, 2}) {
        SCOPED_TRACE(variant);
        std::unique_ptr<FakeRemoteDesktopPortal> desktop;
        if (variant > 0)
            desktop = std::make_unique<FakeRemoteDesktopPortal>(
                QStringLiteral("remote-incomplete-%1").arg(variant));
        if (variant == 1) desktop->version.reset();       // no RemoteDesktop interface
        if (variant == 2) desktop->availableDevices = 2;  // a pointer only
        start();
        ASSERT_TRUE(settlesTo(State::unavailable));
        EXPECT_TRUE(keyboard->statusText().contains("none"));
        paste->performPaste();
        EXPECT_EQ(notices, variant + 1);
        EXPECT_TRUE(desktop == nullptr || desktop->sessions.empty());
    }
}

}  // namespace
}  // namespace quillet
