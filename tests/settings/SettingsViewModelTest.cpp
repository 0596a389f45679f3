#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <memory>
#include <utility>
#include <vector>

#include "fakes/FakeLoginItem.h"
#include "fakes/FakeUpdateCheckService.h"
#include "hotkeys/HotkeyConfigPrinter.h"
#include "settings/SettingsViewModel.h"
#include "support/TempDir.h"

namespace quillet {
namespace {

const HotkeyConfig defaultHistory(9, 0x0300);
const HotkeyConfig defaultPhrase(8, 0x0300);

QString duplicateError() {
    return qtTrId("HOTKEY_DUPLICATE_ERROR");
}
QString noModifierError() {
    return qtTrId("HOTKEY_NO_MODIFIER_ERROR");
}
QString registrationFailed() {
    return qtTrId("HOTKEY_REGISTRATION_FAILED");
}

class SettingsViewModelTest : public ::testing::Test {
protected:
    void SetUp() override { settings = openSettings(); }

    std::unique_ptr<QSettings> openSettings() const {
        return std::make_unique<QSettings>(directory.file("settings.ini"), QSettings::IniFormat);
    }

    void store(const char* key, const QByteArray& bytes) {
        settings->setValue(QLatin1String(key), bytes);
        settings->sync();
    }

    QByteArray stored(const char* key) const {
        return openSettings()->value(QLatin1String(key)).toByteArray();
    }

    SettingsViewModel makeModel(AppVersion version = {}) {
        return SettingsViewModel(*settings, loginItem, updates, std::move(version));
    }

    // Installs a registration hook that records its calls and answers `accept`.
    void installHook(SettingsViewModel& model, bool accept) {
        model.setRequestRegistration([this, accept](HotkeyConfig history, HotkeyConfig phrase) {
            requests.emplace_back(history, phrase);
            return accept;
        });
    }

    test::TempDir directory;
    std::unique_ptr<QSettings> settings;
    test::FakeLoginItem loginItem;
    test::FakeUpdateCheckService updates;
    std::vector<std::pair<HotkeyConfig, HotkeyConfig>> requests;
};

TEST_F(SettingsViewModelTest, LoadsStoredHotkeysAndKeepsTheDefaultForUndecodableOnes) {
    store("historyHotkey", R"({"keyCode":3,"modifierFlags":4352})");
    store("phraseHotkey", R"({"keyCode":8.5,"modifierFlags":768})");
    SettingsViewModel model = makeModel();
    EXPECT_EQ(model.historyHotkey(), HotkeyConfig(3, 4352));
    EXPECT_EQ(model.phraseHotkey(), defaultPhrase);
    EXPECT_TRUE(model.errorMessage().isEmpty());
    store("historyHotkey", "not json");
    EXPECT_EQ(makeModel().historyHotkey(), defaultHistory);
}

TEST_F(SettingsViewModelTest, DuplicatesAndBareKeysAreRefusedBeforeRegistration) {
    // Loaded values are not validated, so the phrase hot key can lack modifiers: the duplicate
    // test comes first.
    store("phraseHotkey", R"({"keyCode":5,"modifierFlags":0})");
    SettingsViewModel model = makeModel();
    installHook(model, true);
    QSignalSpy historyChanged(&model, &SettingsViewModel::historyHotkeyChanged);
    const struct {
        bool history;
        int keyCode, modifiers;
        QString error;
    } cases[] = {
        {true, 5, 0, duplicateError()},
        {false, 9, 0x0300, duplicateError()},
        {true, 49, 0, noModifierError()},
    };
    for (const auto& c : cases) {
        if (c.history)
            model.updateHistoryHotkey(c.keyCode, c.modifiers);
        else
            model.updatePhraseHotkey(c.keyCode, c.modifiers);
        EXPECT_EQ(model.errorMessage(), c.error) << c.keyCode;
    }
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(model.historyHotkey(), defaultHistory);
    EXPECT_EQ(historyChanged.count(), 0);
    EXPECT_EQ(openSettings()->allKeys(), QStringList{"phraseHotkey"});
}

TEST_F(SettingsViewModelTest, RegistersBothKeysThenAcceptsAndStoresTheNewOne) {
    SettingsViewModel model = makeModel();
    installHook(model, true);
    QSignalSpy historyChanged(&model, &SettingsViewModel::historyHotkeyChanged);
    QSignalSpy phraseChanged(&model, &SettingsViewModel::phraseHotkeyChanged);

    model.updateHistoryHotkey(3, 0x1100);
    model.updatePhraseHotkey(35, 0x0900);

    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], std::make_pair(HotkeyConfig(3, 0x1100), defaultPhrase));
    EXPECT_EQ(requests[1], std::make_pair(HotkeyConfig(3, 0x1100), HotkeyConfig(35, 0x0900)));
    EXPECT_EQ(model.historyHotkey(), HotkeyConfig(3, 0x1100));
    EXPECT_EQ(model.phraseHotkey(), HotkeyConfig(35, 0x0900));
    EXPECT_EQ(historyChanged.count(), 1);
    EXPECT_EQ(phraseChanged.count(), 1);
    EXPECT_EQ(stored("historyHotkey"), QByteArray(R"({"keyCode":3,"modifierFlags":4352})"));
    EXPECT_EQ(stored("phraseHotkey"), QByteArray(R"({"keyCode":35,"modifierFlags":2304})"));
}

TEST_F(SettingsViewModelTest, AKeyEqualToItsOwnValueIsRegisteredAgain) {
    SettingsViewModel model = makeModel();
    installHook(model, true);
    QSignalSpy historyChanged(&model, &SettingsViewModel::historyHotkeyChanged);
    model.updateHistoryHotkey(9, 0x0300);
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(historyChanged.count(), 0);
    EXPECT_TRUE(model.errorMessage().isEmpty());
}

TEST_F(SettingsViewModelTest, ARefusedChangeOrResetKeepsValuesAndStoredBytes) {
    store("historyHotkey", R"({"keyCode":3,"modifierFlags":4352})");
    SettingsViewModel model = makeModel();
    installHook(model, false);
    QSignalSpy historyChanged(&model, &SettingsViewModel::historyHotkeyChanged);

    model.updateHistoryHotkey(0, 0x0100);
    EXPECT_EQ(model.errorMessage(), registrationFailed());
    model.updateHistoryHotkey(49, 0);
    model.resetToDefaults();
    EXPECT_EQ(model.errorMessage(), registrationFailed());

    EXPECT_EQ(requests.size(), 2u);
    EXPECT_EQ(model.historyHotkey(), HotkeyConfig(3, 4352));
    EXPECT_EQ(historyChanged.count(), 0);
    EXPECT_EQ(stored("historyHotkey"), QByteArray(R"({"keyCode":3,"modifierFlags":4352})"));
    EXPECT_FALSE(openSettings()->contains("phraseHotkey"));
}

TEST_F(SettingsViewModelTest, WithoutAHookEveryChangeFails) {
    SettingsViewModel model = makeModel();
    model.updateHistoryHotkey(0, 0x0100);
    EXPECT_EQ(model.errorMessage(), registrationFailed());
    EXPECT_EQ(model.historyHotkey(), defaultHistory);
    model.resetToDefaults();
    EXPECT_EQ(model.errorMessage(), registrationFailed());
    EXPECT_TRUE(openSettings()->allKeys().isEmpty());
}

TEST_F(SettingsViewModelTest, ChangesSurviveIntoAFreshStore) {
    {
        SettingsViewModel model = makeModel();
        installHook(model, true);
        model.updateHistoryHotkey(3, 0x1100);
        model.updatePhraseHotkey(35, 0x0900);
        // On disk already, not only in this process's cache of the file.
        QFile file(directory.file("settings.ini"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        EXPECT_TRUE(text.contains("historyHotkey=") && text.contains("phraseHotkey="))
            << text.data();
    }
    const auto fresh = openSettings();
    SettingsViewModel reloaded(*fresh, loginItem, updates);
    EXPECT_EQ(reloaded.historyHotkey(), HotkeyConfig(3, 0x1100));
    EXPECT_EQ(reloaded.phraseHotkey(), HotkeyConfig(35, 0x0900));
}

TEST_F(SettingsViewModelTest, ResetRegistersAndStoresTheDefaults) {
    store("historyHotkey", R"({"keyCode":3,"modifierFlags":4352})");
    store("phraseHotkey", R"({"keyCode":35,"modifierFlags":2304})");
    SettingsViewModel model = makeModel();
    installHook(model, true);
    model.updateHistoryHotkey(49, 0);  // leaves an error for the reset to clear

    model.resetToDefaults();

    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], std::make_pair(defaultHistory, defaultPhrase));
    EXPECT_EQ(model.historyHotkey(), defaultHistory);
    EXPECT_EQ(model.phraseHotkey(), defaultPhrase);
    EXPECT_TRUE(model.errorMessage().isEmpty());
    EXPECT_EQ(stored("historyHotkey"), QByteArray(R"({"keyCode":9,"modifierFlags":768})"));
    EXPECT_EQ(stored("phraseHotkey"), QByteArray(R"({"keyCode":8,"modifierFlags":768})"));
}

TEST_F(SettingsViewModelTest, TheToggleShowsWhatTheSystemSettledOn) {
    loginItem.current = LoginItem::Status::enabled;
    SettingsViewModel model = makeModel();
    EXPECT_TRUE(model.isAutoLaunchEnabled());

    loginItem.refusal = "/home/u/.config/autostart/quillet.desktop: Permission denied";
    model.setAutoLaunchEnabled(false);
    EXPECT_EQ(model.autoLaunchError(),
              qtTrId("AUTO_LAUNCH_DISABLE_FAILED") + '\n' + loginItem.refusal);
    EXPECT_TRUE(model.errorMessage().isEmpty()) << "the hot keys' error is not the login item's";
    EXPECT_TRUE(model.isAutoLaunchEnabled()) << "the refused change left the item on";

    loginItem.refusal.clear();
    model.setAutoLaunchEnabled(false);
    EXPECT_TRUE(model.autoLaunchError().isEmpty());
    EXPECT_FALSE(model.isAutoLaunchEnabled());

    // Accepted but held for approval: off, without an error.
    loginItem.statusAfterEnabling = LoginItem::Status::requiresApproval;
    model.setAutoLaunchEnabled(true);
    EXPECT_FALSE(model.isAutoLaunchEnabled());
    EXPECT_TRUE(model.autoLaunchError().isEmpty());

    loginItem.current = LoginItem::Status::enabled;  // changed in the desktop's own settings
    EXPECT_FALSE(model.isAutoLaunchEnabled());
    model.refreshAutoLaunchStatus();
    EXPECT_TRUE(model.isAutoLaunchEnabled());
}

TEST_F(SettingsViewModelTest, AManualCheckAlwaysEndsWithTheSheet) {
    SettingsViewModel model = makeModel({"1.9.5", "3"});
    EXPECT_EQ(model.versionDisplayString(), "1.9.5 (3)");

    model.checkForUpdates();
    EXPECT_TRUE(model.isCheckingForUpdates());
    updates.answer(test::release("1.10.0", "Notes"));
    EXPECT_FALSE(model.isCheckingForUpdates());
    EXPECT_EQ(model.updateInfo(), test::release("1.10.0", "Notes"));
    EXPECT_TRUE(model.isShowingUpdateResult());

    model.setIsShowingUpdateResult(false);
    model.checkForUpdates();
    EXPECT_FALSE(model.updateInfo().has_value()) << "a new check starts from nothing";
    updates.answer(test::release("1.9.5"));
    EXPECT_EQ(model.updateCheckMessage(), qtTrId("UPDATE_NOT_AVAILABLE_MESSAGE"));
    EXPECT_FALSE(model.updateInfo().has_value());
    EXPECT_TRUE(model.isShowingUpdateResult());

    model.setIsShowingUpdateResult(false);
    model.checkForUpdates();
    EXPECT_TRUE(model.updateCheckMessage().isEmpty());
    updates.answer(UpdateCheckError::badStatusCode(500));
    EXPECT_EQ(model.updateCheckMessage(), qtTrId("UPDATE_CHECK_FAILED_MESSAGE"));
    EXPECT_TRUE(model.updateCheckFailure().contains("500")) << "and why";
    EXPECT_TRUE(model.isShowingUpdateResult());
    EXPECT_FALSE(openSettings()->contains("lastPresentedUpdateVersion"));

    model.setIsShowingUpdateResult(false);
    model.checkForUpdates();
    EXPECT_TRUE(model.updateCheckFailure().isEmpty()) << "a new check forgets the old reason";
    updates.answer(test::release("1.9.5"));
    EXPECT_TRUE(model.updateCheckFailure().isEmpty());
}

TEST_F(SettingsViewModelTest, TheAutomaticCheckAnnouncesEachVersionOnce) {
    SettingsViewModel model = makeModel({"1.2.0", "1"});
    std::vector<bool> completions;
    const auto check = [&] {
        model.checkForUpdatesAutomatically([&](bool show) { completions.push_back(show); });
    };

    check();
    updates.answer(UpdateCheckError::noUpdateFound());
    check();
    updates.answer(test::release("1.2.0"));
    EXPECT_EQ(completions, (std::vector<bool>{false, false}));
    EXPECT_FALSE(model.isShowingUpdateResult());
    EXPECT_TRUE(model.updateCheckMessage().isEmpty()) << "failures stay silent";

    check();
    EXPECT_FALSE(model.isCheckingForUpdates()) << "the window's button stays as it is";
    updates.answer(test::release("1.3.0"));
    EXPECT_EQ(completions.back(), true);
    EXPECT_TRUE(model.isShowingUpdateResult());
    EXPECT_EQ(model.updateInfo()->latestVersion, "1.3.0");
    EXPECT_EQ(stored("lastPresentedUpdateVersion"), "1.3.0");

    // A fresh run with the same feed says nothing; the manual check still shows it.
    SettingsViewModel again = makeModel({"1.2.0", "1"});
    again.checkForUpdatesAutomatically([&](bool show) { completions.push_back(show); });
    updates.answer(test::release("1.3.0"));
    EXPECT_EQ(completions.back(), false);
    EXPECT_FALSE(again.isShowingUpdateResult());
    again.checkForUpdates();
    updates.answer(test::release("1.3.0"));
    EXPECT_TRUE(again.isShowingUpdateResult());
    EXPECT_EQ(again.updateInfo()->latestVersion, "1.3.0");
}

TEST_F(SettingsViewModelTest, AVersionWithoutANumberIsNeverAnUpdate) {
    SettingsViewModel model = makeModel({"1.2.0", "1"});
    for (const char* version : {"garbage", "", "v", "latest", "\u00b2"}) {
        bool shown = true;
        model.checkForUpdatesAutomatically([&](bool show) { shown = show; });
        updates.answer(test::release(QString::fromUtf8(version)));
        EXPECT_FALSE(shown) << version;
        EXPECT_FALSE(model.isShowingUpdateResult()) << version;
    }
    model.checkForUpdates();
    updates.answer(test::release("1.2.1"));
    EXPECT_TRUE(model.isShowingUpdateResult()) << "a real version still counts";
}

}  // namespace
}  // namespace quillet
