// The search panel over the phrases: Tab switches it between clips and phrases, phrases are
// found by title, abbreviation and body, and an exact abbreviation comes first.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>

#include "history/HistoryFixture.h"
#include "menus/HistoryListModel.h"
#include "menus/HistorySearchView.h"
#include "menus/PhraseSearchModel.h"
#include "phrases/PhraseLibrary.h"
#include "store/PhraseItem.h"
#include "support/Wait.h"
#include "support/Widgets.h"

namespace quillet {
namespace {

class PhraseSearchPanelTest : public test::HistoryFixture {
protected:
    PhraseSearchPanelTest() : chosen(&view, &HistorySearchView::selectPhrase) {
        view.resize(400, 500);
        auto work = library.createCategory("Work");
        other = library.createPhrase(work, "Other", "a body with hg inside", "zz");
        greet = library.createPhrase(work, "Greet", "Hello there", "hg");
        library.createPhrase(work, "Nothing", "to see", "ab");
        upper = library.createPhrase(library.createCategory("Later"), "Upper", "x", "HG");
        addClip("hg clip", 1);
        addClip("plain clip", 2);
        model.loadItems();
    }

    QLineEdit* searchField() { return test::named<QLineEdit>(view, "searchField"); }
    QLabel* emptyLabel() { return test::named<QLabel>(view, "emptyLabel"); }

    void type(const QString& text) {
        QTest::keyClicks(searchField(), text);
        test::drainEvents();
    }
    void press(int key) { QTest::keyClick(searchField(), Qt::Key(key)); }
    QStringList shown() {
        QStringList result;
        const bool clips = view.mode() == HistorySearchView::Mode::Clips;
        const QAbstractItemModel& rows =
            clips ? *view.listView()->model() : *view.phraseListView()->model();
        for (int row = 0; row < rows.rowCount(); ++row)
            result << rows.index(row, 0)
                          .data(clips ? int(HistoryListModel::ContentRole) : int(Qt::DisplayRole))
                          .toString();
        return result;
    }
    QUuid chosenId(int i) { return chosen[i][0].value<QUuid>(); }

    PhraseLibrary library{storage->context()};
    PhraseSearchModel phrases{storage->context()};
    HistorySearchView view{model, clock, &phrases};
    QSignalSpy chosen;
    std::shared_ptr<PhraseItem> other, greet, upper;
};

TEST_F(PhraseSearchPanelTest, TabSwitchesBetweenClipsAndPhrasesKeepingWhatWasTyped) {
    view.show();
    type("hg");
    EXPECT_EQ(shown(), QStringList{"hg clip"});
    press(Qt::Key_Tab);
    ASSERT_EQ(view.mode(), HistorySearchView::Mode::Phrases);
    EXPECT_EQ(searchField()->text(), "hg");
    EXPECT_EQ(view.focusWidget(), searchField()) << "Tab stays in the field";
    EXPECT_FALSE(view.findChild<QCheckBox*>("matchCase")->isVisible())
        << "Match case is for clips";
    // As typed, then with case ignored, then the rest in library order.
    EXPECT_EQ(shown(), (QStringList{"Greet", "Upper", "Other"}));

    press(Qt::Key_Backtab);
    EXPECT_EQ(view.mode(), HistorySearchView::Mode::Clips);
    EXPECT_EQ(shown(), QStringList{"hg clip"});
    EXPECT_TRUE(view.findChild<QCheckBox*>("matchCase")->isVisible());
}

TEST_F(PhraseSearchPanelTest, PhrasesAreFoundByTitleAbbreviationOrBodyWithCaseIgnored) {
    view.setMode(HistorySearchView::Mode::Phrases);
    view.show();
    EXPECT_EQ(shown(), (QStringList{"Other", "Greet", "Nothing", "Upper"}))
        << "nothing typed: the library in its order";
    const struct {
        QString typed;
        QStringList titles;
    } cases[] = {
        {"HELLO", {"Greet"}},          // the body
        {"upp", {"Upper"}},            // the title
        {"ZZ", {"Other"}},             // the abbreviation
        {"to see", {"Nothing"}},
        {"absent", {}},
    };
    for (const auto& c : cases) {
        searchField()->clear();
        type(c.typed);
        EXPECT_EQ(shown(), c.titles) << qPrintable(c.typed);
    }
    EXPECT_TRUE(emptyLabel()->isVisible());
    EXPECT_EQ(emptyLabel()->text(), "No matches");
}

TEST_F(PhraseSearchPanelTest, ArrowsMoveTheHighlightAndReturnOrAClickChoosesAPhrase) {
    view.setMode(HistorySearchView::Mode::Phrases);
    view.show();
    type("hg");
    press(Qt::Key_Return);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    press(Qt::Key_Down);  // stays on the last
    press(Qt::Key_Up);
    press(Qt::Key_Enter);
    // Delete forgets clips only: in the phrase list it asks nothing.
    press(Qt::Key_Delete);
    test::drainEvents();
    EXPECT_EQ(view.findChild<QMessageBox*>(), nullptr);
    ASSERT_EQ(chosen.count(), 2);
    EXPECT_EQ(chosenId(0), greet->id());
    EXPECT_EQ(chosenId(1), upper->id());

    QListView* list = view.phraseListView();
    const QRect third = list->visualRect(list->model()->index(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
    ASSERT_EQ(chosen.count(), 3);
    EXPECT_EQ(chosenId(2), other->id());
}

TEST_F(PhraseSearchPanelTest, TheListKeptForAnEmptySearchFollowsChangesToTheLibraryOnly) {
    view.setMode(HistorySearchView::Mode::Phrases);
    const QStringList library4 = {"Other", "Greet", "Nothing", "Upper"};
    EXPECT_EQ(shown(), library4);
    type("fresh");
    EXPECT_TRUE(shown().isEmpty());
    library.updatePhrase(greet, "Greet", "Hello there", "fresh");
    view.setMode(HistorySearchView::Mode::Phrases);
    EXPECT_EQ(shown(), QStringList{"Greet"}) << "a search always reads the store";

    searchField()->clear();
    view.setMode(HistorySearchView::Mode::Phrases);
    EXPECT_EQ(shown(), library4);
    // A copy leaves the kept list as it is; a renamed phrase does not.
    QSignalSpy resets(&phrases, &QAbstractItemModel::modelReset);
    addClip("another clip", 3);
    view.setMode(HistorySearchView::Mode::Phrases);
    EXPECT_EQ(resets.count(), 0);
    library.updatePhrase(other, "Renamed", "a body with hg inside", "zz");
    view.setMode(HistorySearchView::Mode::Phrases);
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(shown(), (QStringList{"Renamed", "Greet", "Nothing", "Upper"}));
}

}  // namespace
}  // namespace quillet
