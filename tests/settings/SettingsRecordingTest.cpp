#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "settings/SettingsViewFixture.h"
#include "hotkeys/HotkeyRecorder.h"
#include "settings/HotkeySettingRow.h"
#include "support/Wait.h"
#include "support/Widgets.h"

namespace quillet {
namespace {

using test::named;

const HotkeyConfig shiftSuperV(9, 0x0300);

// Recording a key in the settings window while the program's own keys are live, and where
// the window says updates come from.
class SettingsRecordingTest : public test::SettingsViewFixture {
protected:
    SettingsRecordingTest() {
        settings.model.setRequestSuspension(
            [this](bool suspended) { suspensions.push_back(suspended); });
    }

    HotkeySettingRow* row(const char* which) {
        return which == std::string_view("history") ? historyRow() : phraseRow();
    }
    void startRecording(HotkeySettingRow* row) {
        QTest::mouseClick(changeButton(row), Qt::LeftButton);
        ASSERT_TRUE(row->isRecording());
    }
    // Where a control below the hot keys sits in the window.
    int autoLaunchTop() { return autoLaunchToggle()->mapTo(&view, QPoint()).y(); }

    std::vector<bool> suspensions;
};

TEST_F(SettingsRecordingTest, OurKeysAreSuspendedExactlyWhileARowRecords) {
    startRecording(row("history"));
    EXPECT_EQ(suspensions, std::vector<bool>{true});
    press(recorder(historyRow()), Qt::Key_Escape);
    EXPECT_EQ(suspensions, (std::vector<bool>{true, false}));

    // The other row taking over: the first one stops, the keys stay with the second.
    startRecording(row("history"));
    startRecording(row("phrase"));
    EXPECT_FALSE(historyRow()->isRecording());
    EXPECT_TRUE(settings.model.isRecordingHotkey());
    EXPECT_EQ(suspensions.back(), true);
    suspensions.clear();

    // A recorded key is registered with our keys back, not while they are suspended.
    settings.model.setRequestRegistration([this](HotkeyConfig, HotkeyConfig) {
        EXPECT_FALSE(settings.model.isRecordingHotkey()) << "registered while suspended";
        return true;
    });
    press(recorder(phraseRow()), Qt::Key_F, Qt::ControlModifier | Qt::MetaModifier);
    EXPECT_EQ(suspensions, std::vector<bool>{false});
    EXPECT_EQ(registrations, 0) << "the hook above took the request";

    // Closing the window ends a recording and gives the keys back.
    startRecording(row("history"));
    view.close();
    EXPECT_FALSE(historyRow()->isRecording());
    EXPECT_EQ(suspensions.back(), false);
    EXPECT_FALSE(settings.model.isRecordingHotkey());
}

TEST_F(SettingsRecordingTest, AWindowDestroyedWhileRecordingGivesTheKeysBack) {
    auto* doomed = new SettingsView(settings.model);
    doomed->show();
    QTest::mouseClick(changeButton(named<HotkeySettingRow>(*doomed, "historyHotkeyRow")),
                      Qt::LeftButton);
    ASSERT_TRUE(settings.model.isRecordingHotkey());
    delete doomed;
    EXPECT_FALSE(settings.model.isRecordingHotkey());
    EXPECT_EQ(suspensions.back(), false);
}

TEST_F(SettingsRecordingTest, OurOwnKeyPressedWhileRecordingIsTheRecordedKey) {
    settings.model.ownHotkeyPressed(shiftSuperV);
    EXPECT_EQ(registrations, 0) << "ignored while nothing records";

    // The history key recorded for the history row: the same key, registered again.
    startRecording(row("history"));
    settings.model.ownHotkeyPressed(shiftSuperV);
    EXPECT_FALSE(historyRow()->isRecording());
    EXPECT_EQ(registrations, 1);
    EXPECT_EQ(settings.model.historyHotkey(), shiftSuperV);
    EXPECT_TRUE(errorLabel()->text().isEmpty());

    // The history key recorded for the phrase row: taken by the other menu.
    startRecording(row("phrase"));
    settings.model.ownHotkeyPressed(shiftSuperV);
    EXPECT_FALSE(phraseRow()->isRecording());
    EXPECT_EQ(errorLabel()->text(), qtTrId("HOTKEY_DUPLICATE_ERROR"));
    EXPECT_EQ(registrations, 1);
}

TEST_F(SettingsRecordingTest, CancellingClearsTheErrorAndNothingMovesMeanwhile) {
    HotkeySettingRow* history = row("history");
    const int rowHeight = history->height();
    const int below = autoLaunchTop();
    startRecording(history);
    press(recorder(history), Qt::Key_A);  // no modifier
    ASSERT_EQ(errorLabel()->text(), qtTrId("HOTKEY_NO_MODIFIER_ERROR"));
    QTest::qWait(0);  // the layout settles
    EXPECT_EQ(autoLaunchTop(), below) << "the error has a place of its own";

    startRecording(history);
    EXPECT_EQ(history->height(), rowHeight) << "the prompt takes the button's place";
    EXPECT_FALSE(errorLabel()->text().isEmpty()) << "kept while recording again";
    press(recorder(history), Qt::Key_Escape);
    EXPECT_TRUE(errorLabel()->text().isEmpty()) << "cancelling let the error go";
    QTest::qWait(0);
    EXPECT_EQ(autoLaunchTop(), below);
    EXPECT_EQ(history->height(), rowHeight);

    // Focus taken elsewhere cancels as Escape does.
    startRecording(history);
    press(recorder(history), Qt::Key_B);
    ASSERT_FALSE(errorLabel()->text().isEmpty());
    startRecording(history);
    named<QPushButton>(view, "resetHotkeysButton")->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(history->isRecording());
    EXPECT_TRUE(errorLabel()->text().isEmpty());
}

TEST_F(SettingsRecordingTest, AFailedCheckShowsItsReasonOnTheSheet) {
    auto* button = checkButton();
    ASSERT_TRUE(button && button->isVisible());
    EXPECT_FALSE(view.findChild<QLabel*>("updatesFromPackageLabel")->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
    settings.updates.answer(UpdateCheckError::badStatusCode(500));
    UpdateResultView* shown = sheet();
    ASSERT_NE(shown, nullptr);
    auto* reason = shown->findChild<QLabel*>("updateFailureReason");
    ASSERT_NE(reason, nullptr);
    EXPECT_TRUE(reason->isVisible());
    EXPECT_EQ(reason->text(), qtTrId("UPDATE_FAILURE_STATUS").arg(500));
    EXPECT_EQ(reason->textFormat(), Qt::PlainText) << "outside text is never markup";
    shown->reject();
    ASSERT_TRUE(test::waitFor([this] { return !settings.model.isShowingUpdateResult(); }));

    // A check that finds no newer version has no reason to give.
    QTest::mouseClick(button, Qt::LeftButton);
    settings.updates.answer(test::release("1.2.0"));
    ASSERT_NE(sheet(), nullptr);
    EXPECT_EQ(sheet()->findChild<QLabel*>("updateFailureReason"), nullptr);
}

class WithoutAFeedTest : public test::SettingsViewFixture {
protected:
    WithoutAFeedTest() : SettingsViewFixture(false) {}
};

TEST_F(WithoutAFeedTest, TheWindowSaysUpdatesComeFromThePackageManagerAndNothingIsAsked) {
    auto* sentence = view.findChild<QLabel*>("updatesFromPackageLabel");
    ASSERT_NE(sentence, nullptr);
    EXPECT_TRUE(sentence->isVisible());
    EXPECT_EQ(sentence->text(), qtTrId("UPDATES_FROM_PACKAGE_MANAGER"));
    EXPECT_FALSE(checkButton()->isVisible());

    std::vector<bool> answers;
    settings.model.checkForUpdatesAutomatically([&](bool show) { answers.push_back(show); });
    EXPECT_EQ(answers, std::vector<bool>{false});
    EXPECT_TRUE(settings.updates.pending.empty()) << "no feed was asked";
}

}  // namespace
}  // namespace quillet
