#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <chrono>

#include "settings/TestSettings.h"
#include "settings/SettingsView.h"
#include "settings/UpdateResultView.h"
#include "support/TempDir.h"
#include "support/Wait.h"

namespace quillet::test {

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
    // The update result sheet once it is up; null if it does not come.
    UpdateResultView* sheet() {
        waitFor([this] { return view.resultSheet() && view.resultSheet()->isVisible(); },
                  std::chrono::seconds(2));
        return view.resultSheet();
    }

    TestSettings settings;
    int registrations = 0;
    SettingsView view{settings.model};
};

}  // namespace quillet::test
