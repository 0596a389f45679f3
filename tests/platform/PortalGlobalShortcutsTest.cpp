#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <memory>
#include <vector>

#include "fakes/FakeShortcutsPortal.h"
#include "platform/DesktopHotkeysFixture.h"
#include "platform/portal/PortalGlobalShortcuts.h"
#include "platform/portal/PortalRegistration.h"
#include "settings/HotkeySettingRow.h"
#include "support/Wait.h"

// Runs on a private session bus (dbus-run-session, from CTest): the portal here is a fake
// that owns the portal's name on a second connection of this process.
namespace quillet {
namespace {

using namespace std::chrono_literals;

using test::FakeShortcutsPortal;
using test::controlOptionF5;
using test::shiftCommandC;
using test::shiftCommandV;

// The portal backend, its requests timed out after `timeouts` (short for the cases that
// wait for one).
class PortalGlobalShortcutsTest
    : public test::DesktopHotkeysFixture<PortalGlobalShortcuts> {
protected:
    void start(PortalGlobalShortcuts::Timeouts timeouts = {}) {
        attach(std::make_unique<PortalGlobalShortcuts>(
            QDBusConnection::sessionBus(),
            std::make_shared<PortalRegistration>(QDBusConnection::sessionBus(),
                                                 QStringLiteral("quillet")),
            shortcuts(), timeouts));
    }
};

TEST_F(PortalGlobalShortcutsTest, BoundKeysOpenTheirMenusAndAChangeRebindsTheOneSession) {
    FakeShortcutsPortal desktop(QStringLiteral("portal-bound"));
    ASSERT_TRUE(desktop.registered);
    start();
    ASSERT_TRUE(menus->registerPair(shiftCommandV, shiftCommandC));
    EXPECT_EQ(service->state(MenuHotkeys::historyId), HotkeyState::pending);
    EXPECT_FALSE(notice("historyHotkeyRow").isEmpty()) << "says it waits for the desktop";

    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::active));
    EXPECT_TRUE(notice("historyHotkeyRow").isEmpty());
    EXPECT_TRUE(notice("phraseHotkeyRow").isEmpty());
    // The program says who it is before anything else: the portal files its keys under it.
    ASSERT_FALSE(desktop.calls.empty());
    EXPECT_EQ(desktop.calls.front(), "Register");
    EXPECT_EQ(desktop.registeredAppId, "quillet");
    ASSERT_EQ(desktop.sessions.size(), 1u) << "both keys in one session";
    EXPECT_EQ(desktop.shortcuts["history-menu"].value("preferred_trigger"), "SHIFT+LOGO+v");
    EXPECT_EQ(desktop.shortcuts["phrase-menu"].value("preferred_trigger"), "SHIFT+LOGO+c");
    EXPECT_EQ(desktop.shortcuts["phrase-menu"].value("description"), "Phrase menu");

    desktop.activate(QStringLiteral("phrase-menu"));
    desktop.activate(QStringLiteral("unknown"));
    desktop.activate(QStringLiteral("history-menu"), QStringLiteral("/some/other/session"));
    desktop.activate(QStringLiteral("history-menu"));
    ASSERT_TRUE(test::waitFor([&] { return opened.size() >= 2; }, 3s));
    QTest::qWait(50);  // anything wrongly delivered arrives by now
    EXPECT_EQ(opened, (std::vector<QString>{"phrase", "history"}));

    // A changed key is bound again in the same session: the desktop keeps one entry for us.
    ASSERT_TRUE(menus->replacePair(shiftCommandV, shiftCommandC, controlOptionF5, shiftCommandC));
    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::active));
    EXPECT_EQ(desktop.sessions.size(), 1u);
    EXPECT_EQ(desktop.bindsPerSession[desktop.sessions.front()], 2);
    EXPECT_TRUE(desktop.closed.empty());
    EXPECT_EQ(desktop.shortcuts["history-menu"].value("preferred_trigger"), "CTRL+ALT+F5");
    opened.clear();
    desktop.activate(QStringLiteral("history-menu"));
    ASSERT_TRUE(test::waitFor([&] { return !opened.empty(); }, 3s));
    EXPECT_EQ(opened, std::vector<QString>{"history"});
}

TEST_F(PortalGlobalShortcutsTest, KeysRegisteredAfterThePortalAnsweredStillOpenOneSession) {
    FakeShortcutsPortal desktop(QStringLiteral("portal-late-keys"));
    start();
    // The program builds its windows before it registers the keys; the portal's answer to
    // the version query is waiting in the queue by then, ahead of the keys' binding.
    ASSERT_TRUE(test::waitFor([&] { return desktop.calls.size() >= 2; }, 3s));
    QThread::msleep(100);  // the reply reaches our queue; not processed yet
    ASSERT_TRUE(menus->registerPair(shiftCommandV, shiftCommandC));
    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::active));
    QTest::qWait(100);  // a second session would have been asked for by now
    EXPECT_EQ(desktop.sessions.size(), 1u);
    EXPECT_TRUE(desktop.closed.empty());
}

TEST_F(PortalGlobalShortcutsTest, ADesktopThatBindsASessionOnceGetsANewSessionForAChange) {
    FakeShortcutsPortal desktop(QStringLiteral("portal-bind-once"));
    desktop.bindOnce = true;
    desktop.hasRegistry = false;  // an older portal: registering fails and changes nothing
    start();
    ASSERT_TRUE(menus->registerPair(shiftCommandV, shiftCommandC));
    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::active));
    ASSERT_TRUE(menus->replacePair(shiftCommandV, shiftCommandC, controlOptionF5, shiftCommandC));
    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::active));
    ASSERT_EQ(desktop.sessions.size(), 2u);
    ASSERT_TRUE(test::waitFor([&] { return !desktop.closed.empty(); }, 3s));
    EXPECT_EQ(desktop.closed, std::vector<QString>{desktop.sessions.front()});
    EXPECT_EQ(desktop.shortcuts["history-menu"].value("preferred_trigger"), "CTRL+ALT+F5");
    opened.clear();
    desktop.activate(QStringLiteral("history-menu"), desktop.sessions.front());
    desktop.activate(QStringLiteral("phrase-menu"));
    ASSERT_TRUE(test::waitFor([&] { return !opened.empty(); }, 3s));
    QTest::qWait(50);
    EXPECT_EQ(opened, std::vector<QString>{"phrase"}) << "the closed session's key is dead";
}

TEST_F(PortalGlobalShortcutsTest, AKeyTheDesktopTakesAwayLaterIsShownRefused) {
    FakeShortcutsPortal desktop(QStringLiteral("portal-changed"));
    start();
    ASSERT_TRUE(menus->registerPair(shiftCommandV, shiftCommandC));
    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::active));

    // The user clears the phrase key in the desktop's settings.
    desktop.changeShortcuts({QStringLiteral("history-menu")});
    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::refused));
    EXPECT_FALSE(service->isActive(MenuHotkeys::phraseId));
    EXPECT_TRUE(notice("phraseHotkeyRow").contains("quillet --phrase-menu"));
    EXPECT_TRUE(notice("historyHotkeyRow").isEmpty());
    desktop.activate(QStringLiteral("phrase-menu"));
    desktop.activate(QStringLiteral("history-menu"));
    ASSERT_TRUE(test::waitFor([&] { return !opened.empty(); }, 3s));
    QTest::qWait(50);
    EXPECT_EQ(opened, std::vector<QString>{"history"}) << "a refused key opens nothing";

    // And gives it a key again.
    desktop.changeShortcuts({QStringLiteral("history-menu"), QStringLiteral("phrase-menu")});
    EXPECT_TRUE(settlesTo(HotkeyState::active, HotkeyState::active));
}

TEST_F(PortalGlobalShortcutsTest, ARestartedPortalGetsTheKeysAgain) {
    auto desktop = std::make_unique<FakeShortcutsPortal>(QStringLiteral("portal-first"));
    start();
    ASSERT_TRUE(menus->registerPair(shiftCommandV, shiftCommandC));
    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::active));

    desktop->stop();
    ASSERT_TRUE(settlesTo(HotkeyState::unavailable, HotkeyState::unavailable));
    EXPECT_TRUE(notice("historyHotkeyRow").contains("quillet --history-menu"));

    desktop = std::make_unique<FakeShortcutsPortal>(QStringLiteral("portal-second"));
    ASSERT_TRUE(desktop->registered);
    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::active));
    ASSERT_FALSE(desktop->calls.empty());
    EXPECT_EQ(desktop->calls.front(), "Register") << "the new portal knows nothing of us";
    EXPECT_EQ(desktop->sessions.size(), 1u);
    desktop->activate(QStringLiteral("history-menu"));
    ASSERT_TRUE(test::waitFor([&] { return !opened.empty(); }, 3s));
    EXPECT_EQ(opened, std::vector<QString>{"history"});
}

TEST_F(PortalGlobalShortcutsTest, ARefusedKeyNamesTheCommandToBindInItsRow) {
    FakeShortcutsPortal desktop(QStringLiteral("portal-refusing"));
    desktop.bindOnly = std::set<QString>{QStringLiteral("history-menu")};
    start();
    ASSERT_TRUE(menus->registerPair(shiftCommandV, shiftCommandC));
    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::refused));
    EXPECT_TRUE(notice("historyHotkeyRow").isEmpty());
    EXPECT_TRUE(notice("phraseHotkeyRow").contains("quillet --phrase-menu"))
        << notice("phraseHotkeyRow").toStdString();
    EXPECT_FALSE(service->isActive(MenuHotkeys::phraseId));

    // The user cancels the desktop's dialog (1), or the desktop fails otherwise (2).
    for (const uint code : {1u, 2u}) {
        desktop.bindOnly.reset();
        desktop.bindCode = code;
        ASSERT_TRUE(
            menus->replacePair(shiftCommandV, shiftCommandC, shiftCommandV, controlOptionF5));
        ASSERT_TRUE(settlesTo(HotkeyState::refused, HotkeyState::refused)) << code;
        EXPECT_TRUE(notice("historyHotkeyRow").contains("quillet --history-menu"));
        EXPECT_TRUE(notice("phraseHotkeyRow").contains("quillet --phrase-menu"));
    }

    // A desktop that declines the session itself, at the next start.
    stop();
    desktop.bindCode = 0;
    desktop.createCode = 2;
    start();
    ASSERT_TRUE(menus->registerPair(shiftCommandV, shiftCommandC));
    EXPECT_TRUE(settlesTo(HotkeyState::refused, HotkeyState::refused));
}

TEST_F(PortalGlobalShortcutsTest, WithoutAUsablePortalTheRowsNameTheCommands) {
    for (const int variant : {0, 1, 2}) {
        SCOPED_TRACE(variant);
        std::unique_ptr<FakeShortcutsPortal> desktop;
        if (variant > 0)
            desktop = std::make_unique<FakeShortcutsPortal>(
                QStringLiteral("portal-incomplete-%1").arg(variant));
        if (variant == 1) desktop->version.reset();  // no GlobalShortcuts interface
        if (variant == 2) desktop->version = 0;      // too old
        start();
        EXPECT_TRUE(menus->registerPair(shiftCommandV, shiftCommandC)) << "pending at first";
        ASSERT_TRUE(settlesTo(HotkeyState::unavailable, HotkeyState::unavailable));
        EXPECT_FALSE(backend->isAvailable());
        EXPECT_TRUE(notice("historyHotkeyRow").contains("quillet --history-menu"));
        EXPECT_TRUE(notice("phraseHotkeyRow").contains("quillet --phrase-menu"));
        EXPECT_TRUE(desktop == nullptr || desktop->sessions.empty());

        // Known missing now: a change fails at once, and the rows keep saying why.
        EXPECT_FALSE(
            menus->replacePair(shiftCommandV, shiftCommandC, controlOptionF5, shiftCommandC));
        EXPECT_EQ(service->state(MenuHotkeys::historyId), HotkeyState::unavailable);
        EXPECT_TRUE(notice("historyHotkeyRow").contains("quillet --history-menu"));
        stop();
    }
}

TEST_F(PortalGlobalShortcutsTest, ASilentPortalTimesOutWithoutStoppingTheEventLoop) {
    // Silent at each step: the version query, the session, the session's confirmation.
    for (const QString silent : {"Get", "CreateSession", "Response"}) {
        SCOPED_TRACE(silent.toStdString());
        FakeShortcutsPortal desktop(QStringLiteral("portal-silent-") + silent);
        desktop.neverReturn.insert(silent);
        desktop.sendResponses = silent != QLatin1String("Response");
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(10);
        QElapsedTimer clock;
        clock.start();
        start({.callMs = 300, .sessionMs = 300, .bindMs = 300});
        ASSERT_TRUE(menus->registerPair(shiftCommandV, shiftCommandC));
        EXPECT_LT(clock.elapsed(), 100) << "registering never waits on the bus";
        ASSERT_TRUE(settlesTo(HotkeyState::unavailable, HotkeyState::unavailable));
        EXPECT_GT(ticks, 10) << "the event loop ran meanwhile";
        EXPECT_TRUE(notice("phraseHotkeyRow").contains("quillet --phrase-menu"));
        stop();
    }
}

}  // namespace
}  // namespace quillet
