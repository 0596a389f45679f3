#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QKeyCombination>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

#include "fakes/FakeKGlobalAccel.h"
#include "platform/DesktopHotkeysFixture.h"
#include "platform/kde/KGlobalAccelHotkeys.h"
#include "settings/HotkeySettingRow.h"
#include "support/Wait.h"

// Runs on a private session bus (dbus-run-session, from CTest): KDE's shortcut service here is
// a fake that owns its name on a second connection of this process.
namespace quillet {
namespace {

using namespace std::chrono_literals;

using test::controlOptionF5;
using test::FakeKGlobalAccel;
using test::shiftCommandC;
using test::shiftCommandV;

int combined(Qt::KeyboardModifiers modifiers, Qt::Key key) {
    return QKeyCombination(modifiers, key).toCombined();
}

const int metaShiftV = combined(Qt::MetaModifier | Qt::ShiftModifier, Qt::Key_V);
const int metaShiftC = combined(Qt::MetaModifier | Qt::ShiftModifier, Qt::Key_C);
const int controlAltF5 = combined(Qt::ControlModifier | Qt::AltModifier, Qt::Key_F5);

TEST(KdeShortcutKey, StoredChordsBecomeTheKeysKdeStores) {
    EXPECT_EQ(kdeShortcutKey(9, 0x0300), metaShiftV);
    EXPECT_EQ(kdeShortcutKey(96, 0x1800), controlAltF5);
    // A digit is the digit's key, not the symbol Shift gives it.
    EXPECT_EQ(kdeShortcutKey(18, 0x0200), combined(Qt::ShiftModifier, Qt::Key_1));
    EXPECT_EQ(kdeShortcutKey(114, 0x1000), combined(Qt::ControlModifier, Qt::Key_Insert));
    EXPECT_EQ(kdeShortcutKey(49, 0x0800), combined(Qt::AltModifier, Qt::Key_Space));
    // The keypad's keys are told apart from the main ones.
    EXPECT_EQ(kdeShortcutKey(83, 0x1000),
              combined(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_1));
    EXPECT_EQ(kdeShortcutKey(65, 0), combined(Qt::KeypadModifier, Qt::Key_Period));
    EXPECT_EQ(kdeShortcutKey(47, 0), combined(Qt::NoModifier, Qt::Key_Period));
    EXPECT_EQ(kdeShortcutKey(76, 0), combined(Qt::NoModifier, Qt::Key_Enter))
        << "only the keypad has Enter: no flag needed";
    EXPECT_EQ(kdeShortcutKey(500, 0x0100), std::nullopt);
    EXPECT_EQ(kdeShortcutKey(56, 0x0100), std::nullopt) << "Shift is no shortcut's key";
}

// The KDE backend.
class KGlobalAccelHotkeysTest : public test::DesktopHotkeysFixture<KGlobalAccelHotkeys> {
protected:
    void start(KGlobalAccelHotkeys::Timeouts timeouts = {}) {
        attach(std::make_unique<KGlobalAccelHotkeys>(QDBusConnection::sessionBus(), shortcuts(),
                                                     timeouts));
    }

    // Presses these actions in order and returns the menus that opened.
    std::vector<QString> pressed(FakeKGlobalAccel& kglobalaccel,
                                 const std::vector<std::pair<QString, QString>>& presses,
                                 std::size_t expected) {
        opened.clear();
        for (const auto& [action, component] : presses) kglobalaccel.press(action, component);
        // Fewer menus than expected show in the result.
        (void)test::waitFor([&] { return opened.size() >= expected; }, 3s);
        QTest::qWait(50);  // anything wrongly delivered arrives by now
        return opened;
    }
};

TEST_F(KGlobalAccelHotkeysTest, TheStoredKeysAreSetAndTheirPressesOpenTheMenus) {
    FakeKGlobalAccel kglobalaccel(QStringLiteral("kde-bound"));
    ASSERT_TRUE(kglobalaccel.registered);
    start();
    ASSERT_TRUE(menus->registerPair(shiftCommandV, shiftCommandC));
    EXPECT_EQ(service->state(MenuHotkeys::historyId), HotkeyState::pending);
    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::active));
    EXPECT_TRUE(notice("historyHotkeyRow").isEmpty());
    EXPECT_EQ(kglobalaccel.keys["history-menu"], QList<int>{metaShiftV});
    EXPECT_EQ(kglobalaccel.keys["phrase-menu"], QList<int>{metaShiftC});
    EXPECT_EQ(kglobalaccel.actions["phrase-menu"],
              (QStringList{"quillet", "phrase-menu", "Quillet", "Phrase menu"}));

    const QString quillet = QStringLiteral("quillet");
    EXPECT_EQ(pressed(kglobalaccel,
                      {{"phrase-menu", quillet},
                       {"history-menu", "kwin"},
                       {"unknown", quillet},
                       {"history-menu", quillet}},
                      2),
              (std::vector<QString>{"phrase", "history"}));

    // A key recorded in the settings replaces the old one in KDE.
    ASSERT_TRUE(menus->replacePair(shiftCommandV, shiftCommandC, controlOptionF5, shiftCommandC));
    ASSERT_TRUE(test::waitFor(
        [&] { return kglobalaccel.keys["history-menu"] == QList<int>{controlAltF5}; }, 3s));
    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::active));
    EXPECT_EQ(pressed(kglobalaccel, {{"history-menu", quillet}}, 1),
              std::vector<QString>{"history"});

    // Quitting leaves the keys reserved for us, inactive.
    stop();
    ASSERT_TRUE(test::waitFor([&] { return kglobalaccel.inactive.size() == 2; }, 3s));
}

TEST_F(KGlobalAccelHotkeysTest, AKeyAnotherActionHoldsIsRefusedUntilAnotherIsRecorded) {
    FakeKGlobalAccel kglobalaccel(QStringLiteral("kde-held"));
    kglobalaccel.heldByOthers[metaShiftC] = QStringLiteral("plasmashell: clipboard");
    start();
    ASSERT_TRUE(menus->registerPair(shiftCommandV, shiftCommandC));
    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::refused));
    EXPECT_TRUE(notice("historyHotkeyRow").isEmpty());
    EXPECT_FALSE(notice("phraseHotkeyRow").isEmpty()) << "the row says the key is not ours";
    EXPECT_FALSE(service->isActive(MenuHotkeys::phraseId));

    ASSERT_TRUE(menus->replacePair(shiftCommandV, shiftCommandC, shiftCommandV, controlOptionF5));
    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::active));
    EXPECT_TRUE(notice("phraseHotkeyRow").isEmpty());
    EXPECT_EQ(kglobalaccel.keys["phrase-menu"], QList<int>{controlAltF5});

    // KDE's settings move our key elsewhere: the stored one no longer opens the menu.
    kglobalaccel.changeInSettings(QStringLiteral("history-menu"),
                                  {combined(Qt::MetaModifier, Qt::Key_H)});
    ASSERT_TRUE(settlesTo(HotkeyState::refused, HotkeyState::active));
}

TEST_F(KGlobalAccelHotkeysTest, ASilentServiceTimesOutWithoutStoppingTheEventLoop) {
    FakeKGlobalAccel kglobalaccel(QStringLiteral("kde-silent"));
    kglobalaccel.neverReturn.insert(QStringLiteral("setShortcut"));
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    QElapsedTimer clock;
    clock.start();
    start({.callMs = 300});
    ASSERT_TRUE(menus->registerPair(shiftCommandV, shiftCommandC));
    EXPECT_LT(clock.elapsed(), 100) << "registering never waits on the bus";
    ASSERT_TRUE(settlesTo(HotkeyState::unavailable, HotkeyState::unavailable));
    EXPECT_GT(ticks, 10) << "the event loop ran meanwhile";
    EXPECT_FALSE(notice("historyHotkeyRow").isEmpty());
}

TEST_F(KGlobalAccelHotkeysTest, ARestartedServiceGetsTheKeysAgain) {
    auto kglobalaccel = std::make_unique<FakeKGlobalAccel>(QStringLiteral("kde-first"));
    start();
    ASSERT_TRUE(menus->registerPair(shiftCommandV, shiftCommandC));
    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::active));

    kglobalaccel.reset();
    ASSERT_TRUE(settlesTo(HotkeyState::unavailable, HotkeyState::unavailable));
    EXPECT_FALSE(backend->isAvailable());

    FakeKGlobalAccel restarted(QStringLiteral("kde-second"));
    ASSERT_TRUE(restarted.registered);
    ASSERT_TRUE(settlesTo(HotkeyState::active, HotkeyState::active));
    EXPECT_TRUE(backend->isAvailable());
    EXPECT_EQ(restarted.keys["history-menu"], QList<int>{metaShiftV});
    EXPECT_EQ(pressed(restarted, {{"history-menu", "quillet"}}, 1),
              std::vector<QString>{"history"});
}

}  // namespace
}  // namespace quillet
