#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <functional>

#include "menus/MenuFixture.h"
#include "menus/HistorySearchView.h"
#include "settings/SettingsView.h"
#include "support/Wait.h"
#include "support/Widgets.h"

namespace quillet {
namespace {

class PanelCoordinatorTest : public test::MenuFixture {
protected:
    PanelCoordinatorTest() {
        qint64 second = 0;
        for (const char* text : {"c", "b", "a"}) addClip(text, ++second);
    }

    QWidget* panel() { return coordinator->searchPanel(); }
    QLineEdit* field() { return test::named<QLineEdit>(*coordinator->searchView(), "searchField"); }
    void show() {
        coordinator->showHistoryPanel();
        test::drainEvents();
    }
    QStringList shown() { return texts(model.items()); }
};

TEST_F(PanelCoordinatorTest, TheFirstShowMakesAPanelOverTheFullHistoryWithTheSearchFocused) {
    EXPECT_EQ(panel(), nullptr);
    show();
    ASSERT_NE(panel(), nullptr);
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(panel()->focusWidget(), field());
    EXPECT_EQ(focus.previousApp(), editor) << "the application to paste into is remembered";
    EXPECT_EQ(shown(), (QStringList{"a", "b", "c"}));
}

TEST_F(PanelCoordinatorTest, ShowingAgainReusesThePanelClearsTheSearchAndRecentres) {
    show();
    QWidget* first = panel();
    QTest::keyClicks(field(), "b");
    test::drainEvents();
    ASSERT_EQ(shown(), QStringList{"b"});
    QTest::keyClick(field(), Qt::Key_Escape);
    ASSERT_FALSE(first->isVisible());
    first->move(3, 7);
    // Cleared as the panel goes, so the next show has the whole history ready.
    test::drainEvents();
    EXPECT_EQ(shown(), (QStringList{"a", "b", "c"}));

    show();
    EXPECT_EQ(panel(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(field()->text(), "");
    EXPECT_EQ(model.searchText(), "");
    EXPECT_EQ(shown(), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(model.selectedIndex(), 0);

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint offset = first->frameGeometry().center() - screen->availableGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
}

TEST_F(PanelCoordinatorTest, ReturnPastesTheHighlightedClipIntoThePreviousApplication) {
    show();
    bool panelVisibleAtActivation = true;
    workspace.onActivate = [&](const RunningApplication&) {
        panelVisibleAtActivation = panel()->isVisible();
    };
    QTest::keyClick(field(), Qt::Key_Down);
    QTest::keyClick(field(), Qt::Key_Return);

    EXPECT_EQ(pasteboard.string(), QString("b"));
    EXPECT_FALSE(panel()->isVisible());
    ASSERT_EQ(workspace.activations.size(), 1u);
    EXPECT_EQ(workspace.activations[0], editor);
    EXPECT_FALSE(panelVisibleAtActivation) << "the panel is gone before the editor returns";
    test::drainEvents();
    EXPECT_EQ(shown(), (QStringList{"b", "a", "c"})) << "the chosen clip moves to the top";

    EXPECT_TRUE(keyboard.posted.empty()) << "nothing is typed before the editor is back";
    clock.advance(AppFocusService::activationDelayMs);
    EXPECT_EQ(keyboard.posted.size(), 2u);
}

TEST_F(PanelCoordinatorTest, NothingIsTypedOnceTheCoordinatorIsGone) {
    show();
    coordinator->handleSelection(model.items().at(0));
    coordinator.reset();
    clock.advance(AppFocusService::activationDelayMs);
    EXPECT_EQ(pasteboard.string(), QString("a"));
    EXPECT_TRUE(keyboard.posted.empty());
}

TEST_F(PanelCoordinatorTest, AnotherApplicationTakingOverHidesThePanel) {
    coordinator->showHistoryPanel();
    // Before the panel has become active (the menu it came from closing): it stays.
    ASSERT_FALSE(panel()->isActiveWindow());
    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_TRUE(panel()->isVisible());

    ASSERT_TRUE(test::waitFor([&] { return panel()->isActiveWindow(); }));
    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(panel()->isVisible());

    show();
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(field()->text(), "");
}

TEST_F(PanelCoordinatorTest, SettingsAndPhraseWindowsAreReusedWhileOpenAndRebuiltAfterClosing) {
    const std::pair<std::function<void()>, std::function<QWidget*()>> windows[] = {
        {[&] { coordinator->showSettingsWindow(); }, [&] { return coordinator->settingsWindow(); }},
        {[&] { coordinator->showManagementWindow(); },
         [&] { return coordinator->managementWindow(); }},
    };
    for (const auto& [showWindow, window] : windows) {
        show();
        showWindow();
        QPointer<QWidget> first = window();
        ASSERT_NE(first, nullptr);
        EXPECT_TRUE(first->isVisible());
        showWindow();
        EXPECT_EQ(window(), first) << "no second window";

        first->close();
        EXPECT_EQ(window(), nullptr);
        EXPECT_TRUE(panel()->isVisible()) << "the search panel is another window";
        test::drainEvents();
        EXPECT_TRUE(first.isNull()) << "the closed window is released";
        showWindow();
        ASSERT_NE(window(), nullptr);
        EXPECT_TRUE(window()->isVisible());
        window()->close();
    }
}

TEST_F(PanelCoordinatorTest, ASettingsWindowOpenedForAResultShowsItsSheetAtOnce) {
    settings.model.checkForUpdates();
    settings.updates.answer(UpdateCheckError::noUpdateFound());
    ASSERT_TRUE(settings.model.isShowingUpdateResult());
    coordinator->showSettingsWindow();
    ASSERT_TRUE(test::waitFor([&] {
        auto* sheet = coordinator->settingsWindow()->findChild<QWidget*>("updateResultSheet");
        return sheet && sheet->isVisible();
    }));
    // Closing the window closes the sheet, which the model hears of.
    coordinator->settingsWindow()->close();
    EXPECT_FALSE(settings.model.isShowingUpdateResult());
}

TEST_F(PanelCoordinatorTest, MatchCaseIsRememberedForTheNextRun) {
    show();
    auto* toggle = panel()->findChild<QCheckBox*>("matchCase");
    ASSERT_TRUE(toggle);
    QTest::mouseClick(toggle, Qt::LeftButton);
    ASSERT_FALSE(model.matchCase());
    EXPECT_FALSE(settings.model.searchMatchesCase());

    // The next run: the settings read from the same file, a new panel, a view model that
    // starts as every view model does.
    coordinator.reset();
    model.setMatchCase(true);
    SettingsViewModel nextRun(settings.settings, settings.loginItem, settings.updates);
    EXPECT_FALSE(nextRun.searchMatchesCase());
    PanelCoordinator panels(model, nextRun, focus, paste, clock, storage->context(), chooser);
    EXPECT_FALSE(model.matchCase());
    panels.showHistoryPanel();
    test::drainEvents();
    EXPECT_FALSE(panels.searchPanel()->findChild<QCheckBox*>("matchCase")->isChecked());
    QTest::keyClicks(test::named<QLineEdit>(*panels.searchView(), "searchField"), "A");
    test::drainEvents();
    EXPECT_EQ(shown(), QStringList{"a"}) << "the search ignores case from the start";
}

}  // namespace
}  // namespace quillet
