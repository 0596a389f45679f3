#include <gtest/gtest.h>

#include <QSettings>

#include "fakes/FakeLoginItem.h"
#include "fakes/FakeSystemHotkeys.h"
#include "fakes/FakeUpdateCheckService.h"
#include "hotkeys/HotkeyService.h"
#include "hotkeys/MenuHotkeys.h"
#include "settings/SettingsViewModel.h"
#include "support/TempDir.h"

namespace quillet {
namespace {

constexpr quint32 shiftCommand = 0x0300;

// The settings model, the hot-key service and the menus' hot keys wired as the program does.
class MenuHotkeysTest : public ::testing::Test {
protected:
    MenuHotkeysTest() {
        hotkeys.registerPair(settings.historyHotkey(), settings.phraseHotkey());
        settings.setRequestRegistration([this](HotkeyConfig history, HotkeyConfig phrase) {
            return hotkeys.replacePair(settings.historyHotkey(), settings.phraseHotkey(), history,
                                       phrase);
        });
    }

    // What a press of the combination opens: "history", "phrase" or nothing.
    QString opens(quint32 keyCode, quint32 modifiers) {
        opened.clear();
        system.press(keyCode, modifiers);
        return opened;
    }

    test::TempDir dir;
    QSettings store{dir.file("quillet.ini"), QSettings::IniFormat};
    test::FakeSystemHotkeys system;
    HotkeyService service{system};
    QString opened;
    MenuHotkeys hotkeys{service, [this] { opened = "history"; }, [this] { opened = "phrase"; }};
    test::FakeLoginItem loginItem;
    test::FakeUpdateCheckService updates;
    SettingsViewModel settings{store, loginItem, updates};
};

TEST_F(MenuHotkeysTest, TheStoredKeysOpenTheirMenus) {
    EXPECT_EQ(opens(9, shiftCommand), "history");
    EXPECT_EQ(opens(8, shiftCommand), "phrase");
    ASSERT_NE(system.activeGrab(MenuHotkeys::historyId), nullptr);
    EXPECT_EQ(system.activeGrab(MenuHotkeys::historyId)->signature, fourCharCode("QLHK"));
}

TEST_F(MenuHotkeysTest, AKeyRefusedAtStartStaysInactiveWhileTheOtherWorks) {
    test::FakeSystemHotkeys otherSystem;
    otherSystem.refuse(9, shiftCommand);
    HotkeyService otherService(otherSystem);
    QString seen;
    MenuHotkeys other(
        otherService, [&] { seen = "history"; }, [&] { seen = "phrase"; });
    EXPECT_FALSE(other.registerPair({9, shiftCommand}, {8, shiftCommand}));
    EXPECT_FALSE(otherSystem.press(9, shiftCommand).has_value());
    otherSystem.press(8, shiftCommand);
    EXPECT_EQ(seen, "phrase");
}

TEST_F(MenuHotkeysTest, ANewKeyIsRegisteredSavedAndTheOldOneReleased) {
    settings.updateHistoryHotkey(3, 0x1100);  // ⌃⌘F
    EXPECT_TRUE(settings.errorMessage().isEmpty());
    EXPECT_EQ(settings.historyHotkey(), HotkeyConfig(3, 0x1100));
    EXPECT_EQ(opens(3, 0x1100), "history");
    EXPECT_EQ(opens(9, shiftCommand), "");
    EXPECT_EQ(opens(8, shiftCommand), "phrase");
}

TEST_F(MenuHotkeysTest, ARefusedSecondHalfRestoresTheOldPairUnderBothIds) {
    system.refuse(5, 0x0900);
    const auto grabsBefore = system.registerCalls;
    settings.updatePhraseHotkey(5, 0x0900);
    EXPECT_EQ(settings.errorMessage(), qtTrId("HOTKEY_REGISTRATION_FAILED"));
    EXPECT_EQ(settings.phraseHotkey(), HotkeyConfig(8, shiftCommand));
    EXPECT_GT(system.registerCalls, grabsBefore + 2) << "new pair tried, then the old one again";
    ASSERT_NE(system.activeGrab(MenuHotkeys::historyId), nullptr);
    ASSERT_NE(system.activeGrab(MenuHotkeys::phraseId), nullptr);
    EXPECT_EQ(system.active.size(), 2u) << "nothing of the failed attempt stays grabbed";
    EXPECT_EQ(opens(9, shiftCommand), "history");
    EXPECT_EQ(opens(8, shiftCommand), "phrase");
    EXPECT_FALSE(store.contains(SettingsViewModel::phraseHotkeyKey)) << "nothing saved";
}

}  // namespace
}  // namespace quillet
