#include <gtest/gtest.h>

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "history/HistoryFixture.h"
#include "menus/HistoryListModel.h"
#include "menus/HistorySearchView.h"
#include "support/Wait.h"
#include "support/Widgets.h"

namespace quillet {
namespace {

class SearchViewFixture : public test::HistoryFixture {
protected:
    // Clips stored oldest first, so the list shows them in reverse order.
    void store(const QStringList& oldestFirst) {
        qint64 second = 0;
        for (const QString& text : oldestFirst) addClip(text, ++second);
        model.loadItems();
    }
    QString contentAt(const QAbstractItemModel& items, int row) {
        return items.data(items.index(row, 0), HistoryListModel::ContentRole).toString();
    }
};

// --- the item model ----------------------------------------------------------------------

using HistoryListModelTest = SearchViewFixture;

TEST_F(HistoryListModelTest, RowsAreTheViewModelsClipsNewestFirst) {
    test::drainEvents();
    HistoryListModel rows(model);
    QSignalSpy resets(&rows, &QAbstractItemModel::modelReset);
    store({"old", "new"});
    EXPECT_EQ(resets.count(), 1);
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(contentAt(rows, 0), "new");
    EXPECT_EQ(rows.data(rows.index(1, 0), Qt::DisplayRole).toString(), "old");
    EXPECT_EQ(rows.data(rows.index(1, 0), HistoryListModel::TimestampRole).toDateTime(),
              start.addSecs(1));
    EXPECT_EQ(rows.clipAt(0), model.items().at(0));
}

TEST_F(HistoryListModelTest, MovingTheHighlightRepaintsJustTheTwoRows) {
    store({"c", "b", "a"});
    HistoryListModel rows(model);
    auto selected = [&](int row) {
        return rows.data(rows.index(row, 0), HistoryListModel::SelectedRole).toBool();
    };
    QSignalSpy changed(&rows, &QAbstractItemModel::dataChanged);
    model.moveSelection(2);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(changed[1][0].toModelIndex().row(), 2);
    EXPECT_EQ(changed[0][2].value<QList<int>>(), QList<int>{HistoryListModel::SelectedRole});
    EXPECT_FALSE(selected(0));
    EXPECT_TRUE(selected(2));
}

// --- the view ----------------------------------------------------------------------------

class HistorySearchViewTest : public SearchViewFixture {
protected:
    HistorySearchViewTest() : view(model, clock), chosen(&view, &HistorySearchView::select) {
        view.resize(400, 500);
    }

    QLineEdit* searchField() { return test::named<QLineEdit>(view, "searchField"); }
    QLabel* emptyLabel() { return test::named<QLabel>(view, "emptyLabel"); }
    QCheckBox* matchCase() { return test::named<QCheckBox>(view, "matchCase"); }
    void press(int key) { QTest::keyClick(searchField(), Qt::Key(key)); }
    QStringList shownTexts() {
        QStringList shown;
        const QAbstractItemModel& rows = *view.listView()->model();
        for (int row = 0; row < rows.rowCount(); ++row) shown << contentAt(rows, row);
        return shown;
    }
    QString chosenText(int i) { return chosen[i][0].value<std::shared_ptr<ClipItem>>()->content(); }

    HistorySearchView view;
    QSignalSpy chosen;
};

TEST_F(HistorySearchViewTest, AnIdlePanelRepaintsOnlyRowsWhoseTimeReadsDifferently) {
    store({"a", "b", "c"});  // all three years old on the test clock
    view.show();
    QApplication::processEvents();  // painted once
    EXPECT_EQ(view.refreshTimes(), 0) << "nothing changed since the paint";
    clock.advance(60'000);
    EXPECT_EQ(view.refreshTimes(), 0) << "a minute does not change \"3 years ago\"";
    for (int step = 0; step < 20; ++step) clock.advance(20 * 86'400'000);  // 400 days
    EXPECT_EQ(view.refreshTimes(), 3) << "\"4 years ago\" now, in every row";
    QApplication::processEvents();
    EXPECT_EQ(view.refreshTimes(), 0);
}

TEST_F(HistorySearchViewTest, ArrowsMoveTheHighlightAndReturnOrEnterChoosesIt) {
    store({"c", "b", "a"});
    view.show();
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    press(Qt::Key_Up);
    EXPECT_EQ(model.selectedIndex(), 1);
    EXPECT_EQ(searchField()->text(), "") << "the keys are the panel's, not the field's";
    press(Qt::Key_Return);
    press(Qt::Key_Down);
    press(Qt::Key_Enter);
    ASSERT_EQ(chosen.count(), 2);
    EXPECT_EQ(chosenText(0), "b");
    EXPECT_EQ(chosenText(1), "c");
    EXPECT_EQ(model.selectedIndex(), 2) << "choosing does not move the highlight";

    QTest::keyClicks(searchField(), "zzz");
    test::drainEvents();
    press(Qt::Key_Return);
    EXPECT_EQ(chosen.count(), 2) << "nothing shown: nothing chosen";
}

TEST_F(HistorySearchViewTest, TheFieldHasTheFocusWhenShownAndEscapeHidesTheWindow) {
    QWidget window;
    HistorySearchView inner(model, clock, nullptr, &window);
    QWidget elsewhere(&inner);
    elsewhere.setFocusPolicy(Qt::StrongFocus);
    elsewhere.setFocus();
    window.show();
    EXPECT_EQ(inner.focusWidget(), test::named<QLineEdit>(inner, "searchField"));
    QTest::keyClick(test::named<QLineEdit>(inner, "searchField"), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(HistorySearchViewTest, TypingEditsTheSearchTextAndFiltersTheList) {
    store({"apple pie", "banana", "apricot"});
    view.show();
    QTest::keyClicks(searchField(), "ap");
    EXPECT_EQ(searchField()->text(), "ap") << "typed characters reach the field";
    EXPECT_EQ(model.searchText(), "ap");
    test::drainEvents();
    const QAbstractItemModel& rows = *view.listView()->model();
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(contentAt(rows, 0), "apricot");
    EXPECT_EQ(contentAt(rows, 1), "apple pie");

    QTest::keyClick(searchField(), Qt::Key_Backspace);
    EXPECT_EQ(model.searchText(), "a");

    model.setSearchText("ban");
    EXPECT_EQ(searchField()->text(), "ban") << "the field follows the model too";
}

TEST_F(HistorySearchViewTest, ASearchMatchingNothingSaysNoMatchesAndAnEmptyHistoryNoHistory) {
    view.show();
    test::drainEvents();
    EXPECT_TRUE(emptyLabel()->isVisible());
    EXPECT_EQ(emptyLabel()->text(), "No history");
    QTest::keyClicks(searchField(), "x");
    test::drainEvents();
    EXPECT_EQ(emptyLabel()->text(), "No matches") << "a search in an empty history";
    QTest::keyClick(searchField(), Qt::Key_Backspace);
    test::drainEvents();
    EXPECT_EQ(emptyLabel()->text(), "No history");

    store({"something"});
    EXPECT_TRUE(emptyLabel()->isHidden());
    QTest::keyClicks(searchField(), "nothing like it");
    test::drainEvents();
    EXPECT_TRUE(emptyLabel()->isVisible());
    EXPECT_FALSE(view.listView()->isVisible());
    EXPECT_EQ(emptyLabel()->text(), "No matches") << "the history is not lost";

    model.setSearchText("");
    test::drainEvents();
    EXPECT_TRUE(view.listView()->isVisible());
    EXPECT_FALSE(emptyLabel()->isVisible());
}

TEST_F(HistorySearchViewTest, ASearchStillLookingShowsItsListUntilItEndsEmpty) {
    // Every newer clip holds each three letters of "ab ba" but never the text itself: the
    // index, which only knows the threes, leaves the search to a scan, step by step.
    addClip("ab ba", -1);
    addClips(300, "ab b ba %1");
    model.setScanStep(10);
    view.show();
    model.setSearchText("ab ba");
    model.loadItems();
    ASSERT_TRUE(model.isScanning());
    ASSERT_TRUE(model.items().isEmpty());
    EXPECT_FALSE(emptyLabel()->isVisible()) << "nothing is known to be missing yet";
    ASSERT_TRUE(test::waitFor([&] { return !model.isScanning(); }));
    test::drainEvents();
    EXPECT_EQ(shownTexts(), QStringList{"ab ba"});
    EXPECT_TRUE(view.listView()->isVisible());

    model.setSearchText("ab bab");
    model.loadItems();
    ASSERT_TRUE(test::waitFor([&] { return !model.isScanning(); }));
    test::drainEvents();
    EXPECT_TRUE(emptyLabel()->isVisible());
    EXPECT_EQ(emptyLabel()->text(), "No matches");
}

TEST_F(HistorySearchViewTest, AltCTurnsMatchCaseOffSoFoxFindsFoxInAnyCaseAndTypingGoesOn) {
    store({"the quick brown fox", "FOX HUNT", "box"});
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    ASSERT_TRUE(matchCase());
    EXPECT_TRUE(matchCase()->isChecked()) << "case counts unless the user says otherwise";
    QTest::keyClicks(searchField(), "Fox");
    test::drainEvents();
    EXPECT_EQ(emptyLabel()->text(), "No matches");
    EXPECT_TRUE(emptyLabel()->isVisible());

    QTest::keyClick(searchField(), Qt::Key_C, Qt::AltModifier);
    // A mnemonic clicks the box as a user would see it clicked: released a moment later.
    ASSERT_TRUE(test::waitFor([&] { return !matchCase()->isChecked(); }));
    test::drainEvents();
    EXPECT_FALSE(model.matchCase());
    EXPECT_EQ(shownTexts(), (QStringList{"FOX HUNT", "the quick brown fox"}));
    EXPECT_EQ(view.focusWidget(), searchField()) << "the field keeps the typing";
    QTest::keyClicks(searchField(), " H");
    test::drainEvents();
    EXPECT_EQ(shownTexts(), QStringList{"FOX HUNT"});

    // Reached by Tab as well, and Space toggles it back.
    QTest::keyClick(searchField(), Qt::Key_Tab);
    ASSERT_EQ(view.focusWidget(), matchCase());
    QTest::keyClick(matchCase(), Qt::Key_Space);
    test::drainEvents();
    EXPECT_TRUE(model.matchCase());
    EXPECT_TRUE(emptyLabel()->isVisible());
}

TEST_F(HistorySearchViewTest, ClickingARowChoosesThatRowNotTheHighlightedOne) {
    store({"c", "b", "a"});
    view.show();
    test::drainEvents();
    QListView* list = view.listView();
    const QRect third = list->visualRect(list->model()->index(2, 0));
    ASSERT_TRUE(list->viewport()->rect().contains(third.center()));
    EXPECT_EQ(third.width(), list->viewport()->width()) << "the whole row takes the click";

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(third.right() - 2, third.center().y()));
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosenText(0), "c");
    EXPECT_EQ(model.selectedIndex(), 0) << "the highlight is not moved first";
}

TEST_F(HistorySearchViewTest, TheHighlightedRowIsScrolledIntoView) {
    addClips(80, "clip %1");
    model.loadItems();
    view.show();
    test::drainEvents();
    QListView* list = view.listView();
    const QModelIndex target = list->model()->index(60, 0);
    ASSERT_FALSE(list->viewport()->rect().intersects(list->visualRect(target)));

    for (int i = 0; i < 60; ++i) press(Qt::Key_Down);
    test::drainEvents();
    const QRect row = list->visualRect(target);
    EXPECT_TRUE(list->viewport()->rect().contains(row)) << "row at y " << row.y();
    EXPECT_LE(std::abs(row.center().y() - list->viewport()->rect().center().y()), row.height())
        << "and centred";
}

// --- forgetting a clip ---------------------------------------------------------------------

class ForgetFromPanelTest : public HistorySearchViewTest {
protected:
    ForgetFromPanelTest() {
        store({"oldest", "my secret password", "newest"});
        view.show();
        press(Qt::Key_Down);  // the secret's row
    }
    QMessageBox* question() { return view.findChild<QMessageBox*>("forgetConfirmation"); }
    QStringList stored() { return texts(storage->fetchItems(QString())); }
};

TEST_F(ForgetFromPanelTest, DeleteAsksFirstAndReturnForgetsTheHighlightedClip) {
    pasteboard.copyText("my secret password");  // as the program it was copied from holds it
    press(Qt::Key_Delete);
    QMessageBox* box = question();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(stored().size(), 3) << "nothing is forgotten before the answer";

    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(shownTexts(), (QStringList{"newest", "oldest"}));
    EXPECT_EQ(stored(), (QStringList{"newest", "oldest"}));
    EXPECT_EQ(model.selectedIndex(), 1) << "the highlight stays on the row, now the next clip";
    EXPECT_EQ(pasteboard.string(), std::nullopt) << "the clipboard held the text: emptied";
    EXPECT_TRUE(test::waitFor([&] { return question() == nullptr; }));
    EXPECT_EQ(chosen.count(), 0);
}

TEST_F(ForgetFromPanelTest, EscapeKeepsTheClipAndThePanel) {
    press(Qt::Key_Delete);
    ASSERT_NE(question(), nullptr);
    QTest::keyClick(question(), Qt::Key_Escape);
    EXPECT_EQ(stored().size(), 3);
    EXPECT_EQ(shownTexts().size(), 3);
    EXPECT_TRUE(view.isVisible()) << "Escape answers the question, it does not close the panel";
}

TEST_F(ForgetFromPanelTest, DeleteEditsTheSearchTextWhileThereIsTextAfterTheCursor) {
    QTest::keyClicks(searchField(), "sec");
    QTest::keyClick(searchField(), Qt::Key_Left);
    press(Qt::Key_Delete);
    EXPECT_EQ(searchField()->text(), "se");
    EXPECT_EQ(question(), nullptr);
}

TEST_F(ForgetFromPanelTest, TheRowMenuForgetsTheClipUnderThePointer) {
    pasteboard.copyText("something else");
    QListView* list = view.listView();
    const QRect row = list->visualRect(list->model()->index(2, 0));  // "oldest"
    QContextMenuEvent click(QContextMenuEvent::Mouse, row.center(),
                            list->viewport()->mapToGlobal(row.center()));
    QApplication::sendEvent(list->viewport(), &click);
    EXPECT_EQ(model.selectedIndex(), 2) << "the clicked row is the one acted on";
    auto* menu = view.findChild<QMenu*>("clipMenu");
    ASSERT_NE(menu, nullptr);
    menu->findChild<QAction*>("forgetClip")->trigger();
    ASSERT_TRUE(test::waitFor([&] { return question() != nullptr; }));
    question()->findChild<QPushButton*>("forgetButton")->click();
    EXPECT_EQ(stored(), (QStringList{"newest", "my secret password"}));
    EXPECT_EQ(pasteboard.string(), "something else") << "another text stays on the clipboard";
}

TEST_F(ForgetFromPanelTest, TheMenuKeyOpensTheRowMenuOfTheHighlightedRow) {
    // What the platform makes of the Menu key in the field.
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5),
                              searchField()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(searchField(), &menuKey);
    auto* menu = view.findChild<QMenu*>("clipMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(model.selectedIndex(), 1);
}

}  // namespace
}  // namespace quillet
