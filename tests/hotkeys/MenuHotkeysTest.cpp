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
        settings.setRequestRegistration([this](HotkeyConfig history, HotkeyConfig phrase) {
            return hotkeys.replacePair(settings.historyHotkey(), settings.phraseHotkey(), history,
                                       phrase);
        });
    }
    // Registers the stored pair, as at the program's start.
    bool start() { return hotkeys.registerPair(settings.historyHotkey(), settings.phraseHotkey()); }

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

TEST_F(MenuHotkeysTest, AKeyRefusedAtStartStaysInactiveWhileTheOtherWorks) {
    system.refuse(9, shiftCommand);
    EXPECT_FALSE(start());
    EXPECT_EQ(opens(9, shiftCommand), "");
    EXPECT_EQ(opens(8, shiftCommand), "phrase");
}

TEST_F(MenuHotkeysTest, ANewKeyIsRegisteredSavedAndTheOldOneReleased) {
    ASSERT_TRUE(start());
    EXPECT_EQ(opens(9, shiftCommand), "history");
    settings.updateHistoryHotkey(3, 0x1100);  // Ctrl+Super+F
    EXPECT_TRUE(settings.errorMessage().isEmpty());
    EXPECT_EQ(settings.historyHotkey(), HotkeyConfig(3, 0x1100));
    EXPECT_TRUE(store.contains(SettingsViewModel::historyHotkeyKey));
    EXPECT_EQ(opens(3, 0x1100), "history");
    EXPECT_EQ(opens(9, shiftCommand), "");
    EXPECT_EQ(opens(8, shiftCommand), "phrase");
}

TEST_F(MenuHotkeysTest, ARefusedSecondHalfRestoresTheOldPairUnderBothIds) {
    ASSERT_TRUE(start());
    system.refuse(5, 0x0900);
    const auto grabsBefore = system.registerCalls;
    settings.updatePhraseHotkey(5, 0x0900);
    EXPECT_EQ(settings.errorMessage(), qtTrId("HOTKEY_REGISTRATION_FAILED"));
    EXPECT_EQ(settings.phraseHotkey(), HotkeyConfig(8, shiftCommand));
    EXPECT_GT(system.registerCalls, grabsBefore + 2) << "new pair tried, then the old one again";
    EXPECT_EQ(system.active.size(), 2u) << "nothing of the failed attempt stays grabbed";
    EXPECT_EQ(opens(9, shiftCommand), "history");
    EXPECT_EQ(opens(8, shiftCommand), "phrase");
    EXPECT_FALSE(store.contains(SettingsViewModel::phraseHotkeyKey)) << "nothing saved";
}

}  // namespace
}  // namespace quillet
