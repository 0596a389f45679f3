#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <cstdlib>
#include <utility>
#include <vector>

#include "settings/SettingsViewFixture.h"
#include "hotkeys/HotkeyRecorder.h"
#include "settings/HotkeySettingRow.h"
#include "settings/SettingsView.h"
#include "settings/UpdateResultView.h"
#include "support/TempDir.h"

namespace quillet {
namespace {

using test::named;

// Receives the URLs the sheet asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

using SettingsViewTest = test::SettingsViewFixture;

TEST_F(SettingsViewTest, ARecordedChordBecomesTheHotKeyOrShowsWhyNot) {
    HotkeySettingRow* row = historyRow();
    EXPECT_EQ(keyBox(row)->text(), QStringLiteral("Shift+Super+V"));

    QTest::mouseClick(changeButton(row), Qt::LeftButton);
    ASSERT_TRUE(row->isRecording());
    EXPECT_FALSE(changeButton(row)->isVisible());
    EXPECT_TRUE(recorder(row)->hasFocus());

    press(recorder(row), Qt::Key_A);  // no modifier
    EXPECT_FALSE(row->isRecording());
    EXPECT_EQ(keyBox(row)->text(), QStringLiteral("Shift+Super+V"));
    EXPECT_EQ(errorLabel()->text(), qtTrId("HOTKEY_NO_MODIFIER_ERROR"));
    EXPECT_EQ(registrations, 0);

    QTest::mouseClick(changeButton(row), Qt::LeftButton);
    press(recorder(row), Qt::Key_F, Qt::ControlModifier | Qt::MetaModifier);
    EXPECT_EQ(registrations, 1);
    EXPECT_EQ(keyBox(row)->text(), QStringLiteral("Ctrl+Super+F"));
    EXPECT_TRUE(errorLabel()->text().isEmpty()) << "the success cleared the error";
}

TEST_F(SettingsViewTest, EscapeOrAnotherRowsRecordingCancelsWithoutAChange) {
    HotkeySettingRow* history = historyRow();
    QTest::mouseClick(changeButton(history), Qt::LeftButton);
    press(recorder(history), Qt::Key_Escape);
    EXPECT_FALSE(history->isRecording());
    EXPECT_TRUE(changeButton(history)->isVisible());

    QTest::mouseClick(changeButton(history), Qt::LeftButton);
    QTest::mouseClick(changeButton(phraseRow()), Qt::LeftButton);
    EXPECT_FALSE(history->isRecording());
    EXPECT_TRUE(phraseRow()->isRecording());
    EXPECT_TRUE(recorder(phraseRow())->hasFocus());
    EXPECT_EQ(registrations, 0);
    EXPECT_TRUE(errorLabel()->text().isEmpty());
}

TEST_F(SettingsViewTest, ARefusedLoginItemLeavesTheToggleOffWithItsMessageBesideIt) {
    settings.loginItem.refusal = "/home/u/.config/autostart/quillet.desktop: Permission denied";
    autoLaunchToggle()->click();
    EXPECT_FALSE(autoLaunchToggle()->isChecked());
    QLabel* message = named<QLabel>(view, "autoLaunchError");
    EXPECT_TRUE(message->isVisible());
    EXPECT_TRUE(message->text().startsWith(qtTrId("AUTO_LAUNCH_ENABLE_FAILED")));
    EXPECT_TRUE(message->text().endsWith(settings.loginItem.refusal));
    EXPECT_EQ(message->parentWidget(), autoLaunchToggle()->parentWidget())
        << "in the toggle's group";
    EXPECT_LT(std::abs(message->geometry().top() - autoLaunchToggle()->geometry().bottom()),
              message->fontMetrics().height())
        << "right under the toggle";
    EXPECT_TRUE(errorLabel()->text().isEmpty()) << "not under the hot keys";

    settings.loginItem.refusal.clear();
    autoLaunchToggle()->click();
    EXPECT_TRUE(autoLaunchToggle()->isChecked());
    EXPECT_FALSE(message->isVisible());
}

TEST_F(SettingsViewTest, ACheckDisablesItsButtonThenTheMessageSheetClosesOnReturn) {
    QTest::mouseClick(checkButton(), Qt::LeftButton);
    EXPECT_FALSE(checkButton()->isEnabled());
    QTest::mouseClick(checkButton(), Qt::LeftButton);
    EXPECT_EQ(settings.updates.pending.size(), 1u) << "a disabled button starts no second check";

    settings.updates.answer(test::release("1.2.0"));
    EXPECT_TRUE(checkButton()->isEnabled());
    UpdateResultView* shown = sheet();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isModal());
    EXPECT_EQ(shown->findChild<QPushButton*>("downloadButton"), nullptr);
    const auto labels = shown->findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel* l) {
        return l->text() == qtTrId("UPDATE_NOT_AVAILABLE_MESSAGE");
    }));
    press(shown, Qt::Key_Return);
    EXPECT_TRUE(test::waitFor([this] { return !settings.model.isShowingUpdateResult(); }));
    EXPECT_EQ(shownSheet(), nullptr);
}

TEST_F(SettingsViewTest, TheUpdateFaceShowsBothVersionsAndOpensTheDownloadPage) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    settings.model.checkForUpdates();
    settings.updates.answer(test::release("1.3.0", QString("line\n").repeated(40)));
    UpdateResultView* shown = sheet();
    ASSERT_NE(shown, nullptr);
    QStringList texts;
    for (QLabel* label : shown->findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains("1.2.0") && texts.contains("1.3.0")) << qPrintable(texts.join('|'));
    ASSERT_NE(shown->findChild<QScrollArea*>("notesBox"), nullptr);
    auto* notes = named<QScrollArea>(*shown, "notesBox");
    EXPECT_LE(notes->height(), UpdateResultView::notesMaxHeight);
    EXPECT_TRUE(notes->verticalScrollBar()->maximum() > 0) << "long notes scroll";
    auto* more = shown->findChild<QLabel*>("notesMoreLink");
    ASSERT_NE(more, nullptr) << "40 lines are more than the sheet shows";
    EXPECT_TRUE(more->text().contains(
        SettingsViewModel::appDownloadPageURL().toString(QUrl::FullyEncoded)));
    more->linkActivated(more->text());
    ASSERT_EQ(catcher.opened.size(), 1u);
    catcher.opened.clear();
    settings.model.checkForUpdates();
    settings.updates.answer(test::release("1.3.0", QString("line\n").repeated(40)));
    shown = sheet();
    ASSERT_NE(shown, nullptr);

    QTest::mouseClick(named<QPushButton>(*shown, "downloadButton"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(catcher.opened.size(), 1u);
    EXPECT_EQ(catcher.opened[0], SettingsViewModel::appDownloadPageURL());
    EXPECT_TRUE(test::waitFor([this] { return !settings.model.isShowingUpdateResult(); }));

    // Notes that fit are shown whole, with no link to the rest.
    settings.model.checkForUpdates();
    settings.updates.answer(test::release("1.3.0", "Fixes."));
    ASSERT_NE(sheet(), nullptr);
    EXPECT_EQ(sheet()->findChild<QLabel*>("notesMoreLink"), nullptr);
    sheet()->reject();
    EXPECT_TRUE(test::waitFor([this] { return !settings.model.isShowingUpdateResult(); }));

    // No description: no notes box.
    settings.model.checkForUpdates();
    settings.updates.answer(test::release("1.3.0"));
    ASSERT_NE(sheet(), nullptr);
    EXPECT_EQ(sheet()->findChild<QScrollArea*>("notesBox"), nullptr);
    EXPECT_NE(sheet()->findChild<QPushButton*>("downloadButton"), nullptr);

    // The feed's texts are shown as written, never as markup.
    settings.model.checkForUpdates();
    settings.updates.answer(test::release("<img src=x>9"));
    ASSERT_NE(sheet(), nullptr);
    const auto labels = sheet()->findChildren<QLabel*>();
    const auto version = std::find_if(labels.begin(), labels.end(),
                                      [](QLabel* l) { return l->text() == "<img src=x>9"; });
    ASSERT_NE(version, labels.end());
    EXPECT_EQ((*version)->textFormat(), Qt::PlainText);
}

TEST_F(SettingsViewTest, TheGnomeOptionIsHiddenWithoutTheDesktopsShortcuts) {
    settings.model.setHotkeyStates(HotkeyState::unavailable, HotkeyState::unavailable);
    EXPECT_FALSE(shortcutsToggle()->isVisible());
    EXPECT_FALSE(named<QLabel>(view, "desktopShortcutsError")->isVisible());
    EXPECT_TRUE(notice(historyRow())->isVisible())
        << "the row still says which command to bind by hand";
    EXPECT_EQ(settings.desktopShortcuts.writes, 0);
}

TEST_F(SettingsViewTest, TheGnomeOptionWritesFollowsAndRemovesOurKeys) {
    settings.desktopShortcuts.available = true;
    settings.model.setHotkeyStates(HotkeyState::active, HotkeyState::active);
    EXPECT_FALSE(shortcutsToggle()->isVisible()) << "not offered while keys work";

    settings.model.setHotkeyStates(HotkeyState::unavailable, HotkeyState::unavailable);
    QCheckBox* toggle = shortcutsToggle();
    ASSERT_TRUE(toggle->isVisible());
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_TRUE(notice(historyRow())->isVisible());

    toggle->click();
    EXPECT_TRUE(toggle->isChecked());
    auto& held = settings.desktopShortcuts.held;
    ASSERT_EQ(held.size(), 2u);
    EXPECT_EQ(held["history-menu"].request, "history-menu");
    EXPECT_EQ(HotkeyConfig(held["history-menu"].keyCode, held["history-menu"].modifiers),
              settings.model.historyHotkey());
    EXPECT_EQ(held["phrase-menu"].request, "phrase-menu");
    EXPECT_FALSE(notice(historyRow())->isVisible()) << "the desktop runs the key";
    EXPECT_FALSE(notice(phraseRow())->isVisible());

    // A newly recorded chord goes to the desktop too.
    HotkeySettingRow* row = historyRow();
    QTest::mouseClick(changeButton(row), Qt::LeftButton);
    press(recorder(row), Qt::Key_F, Qt::ControlModifier | Qt::MetaModifier);
    EXPECT_EQ(held["history-menu"].keyCode, 3u);
    EXPECT_EQ(held["history-menu"].modifiers, 0x1100u);

    toggle->click();
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_TRUE(held.empty());
    EXPECT_TRUE(notice(historyRow())->isVisible());
    EXPECT_TRUE(toggle->isVisible()) << "still offered: the keys still are not ours";
}

TEST_F(SettingsViewTest, WhileGnomeRunsOurKeysARefusedGrabStillChangesTheChord) {
    settings.desktopShortcuts.available = true;
    settings.model.setHotkeyStates(HotkeyState::refused, HotkeyState::refused);
    shortcutsToggle()->click();
    ASSERT_TRUE(shortcutsToggle()->isChecked());
    // GNOME holds the keys it runs for us, so the system refuses our own grab of them.
    settings.model.setRequestRegistration([](HotkeyConfig, HotkeyConfig) { return false; });

    HotkeySettingRow* row = phraseRow();
    QTest::mouseClick(changeButton(row), Qt::LeftButton);
    press(recorder(row), Qt::Key_P, Qt::ShiftModifier | Qt::MetaModifier);
    EXPECT_EQ(settings.model.phraseHotkey(), HotkeyConfig(35, 0x0300));
    EXPECT_EQ(settings.desktopShortcuts.held["phrase-menu"].keyCode, 35u);
    EXPECT_TRUE(errorLabel()->text().isEmpty());

    // Turned off, the stored keys are asked for again as our own.
    std::vector<std::pair<HotkeyConfig, HotkeyConfig>> asked;
    settings.model.setRequestRegistration([&asked](HotkeyConfig history, HotkeyConfig phrase) {
        asked.emplace_back(history, phrase);
        return false;
    });
    shortcutsToggle()->click();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].second, HotkeyConfig(35, 0x0300));

    // Without the desktop's help the refusal stands.
    QTest::mouseClick(changeButton(row), Qt::LeftButton);
    press(recorder(row), Qt::Key_O, Qt::ShiftModifier | Qt::MetaModifier);
    EXPECT_EQ(settings.model.phraseHotkey(), HotkeyConfig(35, 0x0300));
    EXPECT_EQ(errorLabel()->text(), qtTrId("HOTKEY_REGISTRATION_FAILED"));
}

TEST_F(SettingsViewTest, AGnomeSettingsFailureIsShownBesideTheOption) {
    settings.desktopShortcuts.available = true;
    settings.desktopShortcuts.refusal = "custom-keybindings is locked";
    settings.model.setHotkeyStates(HotkeyState::refused, HotkeyState::active);
    QCheckBox* toggle = shortcutsToggle();
    ASSERT_TRUE(toggle->isVisible());

    toggle->click();
    EXPECT_FALSE(toggle->isChecked());
    QLabel* message = named<QLabel>(view, "desktopShortcutsError");
    EXPECT_TRUE(message->isVisible());
    EXPECT_EQ(message->text(),
              qtTrId("DESKTOP_SHORTCUTS_WRITE_FAILED").arg(settings.desktopShortcuts.refusal));
    EXPECT_LT(std::abs(message->geometry().top() - toggle->geometry().bottom()),
              message->fontMetrics().height())
        << "right under the option";

    settings.desktopShortcuts.refusal.clear();
    toggle->click();
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_FALSE(message->isVisible()) << "the success cleared the message";
}

}  // namespace
}  // namespace quillet

#include "SettingsViewTest.moc"
#include "support/Wait.h"
#include "support/Widgets.h"
