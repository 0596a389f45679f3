#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <chrono>

#include "hotkeys/HotkeyRecorder.h"
#include "settings/HotkeySettingRow.h"
#include "settings/SettingsView.h"
#include "settings/TestSettings.h"
#include "settings/UpdateResultView.h"
#include "support/TempDir.h"
#include "support/Wait.h"
#include "support/Widgets.h"

namespace quillet::test {

// What the hot-key row called `row` of a settings window says below its key; empty while
// the notice is hidden.
inline QString hotkeyNotice(const SettingsView& view, const char* row) {
    QLabel* notice = named<QLabel>(*named<HotkeySettingRow>(view, row), "hotkeyNotice");
    return notice->isHidden() ? QString() : notice->text();
}

// The settings window, shown and active, over a model whose hot keys always register (each
// request counted) and whose update checks wait for the test's answer.
class SettingsViewFixture : public ::testing::Test {
protected:
    explicit SettingsViewFixture(bool hasFeed = true) : settings({"1.2.0", "7"}, hasFeed) {
        settings.model.setRequestRegistration([this](HotkeyConfig, HotkeyConfig) {
            ++registrations;
            return true;
        });
    }

    void SetUp() override {
        view.show();
        view.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    }

    // A key as the offscreen platform delivers it: no native scan code.
    static void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = {}) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &event);
    }
    // The update result sheet while it is up (a closed one may still wait to be deleted).
    UpdateResultView* shownSheet() {
        for (auto* sheet : view.findChildren<UpdateResultView*>("updateResultSheet"))
            if (sheet->isVisible()) return sheet;
        return nullptr;
    }
    // The update result sheet once it is up; null if it does not come.
    UpdateResultView* sheet() {
        waitFor([this] { return shownSheet() != nullptr; }, std::chrono::seconds(2));
        return shownSheet();
    }
    QLabel* errorLabel() { return named<QLabel>(view, "hotkeyErrorLabel"); }
    QCheckBox* autoLaunchToggle() { return named<QCheckBox>(view, "autoLaunchToggle"); }
    QCheckBox* shortcutsToggle() { return named<QCheckBox>(view, "desktopShortcutsToggle"); }
    QPushButton* checkButton() { return named<QPushButton>(view, "checkForUpdatesButton"); }
    HotkeySettingRow* historyRow() { return named<HotkeySettingRow>(view, "historyHotkeyRow"); }
    HotkeySettingRow* phraseRow() { return named<HotkeySettingRow>(view, "phraseHotkeyRow"); }
    static QPushButton* changeButton(HotkeySettingRow* row) {
        return named<QPushButton>(*row, "hotkeyChangeButton");
    }
    static HotkeyRecorder* recorder(HotkeySettingRow* row) {
        return named<HotkeyRecorder>(*row, "hotkeyRecorder");
    }
    static QLabel* notice(HotkeySettingRow* row) { return named<QLabel>(*row, "hotkeyNotice"); }
    static QLabel* keyBox(HotkeySettingRow* row) { return named<QLabel>(*row, "hotkeyKeyBox"); }

    TestSettings settings;
    int registrations = 0;
    SettingsView view{settings.model};
};

}  // namespace quillet::test
