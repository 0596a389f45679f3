#include <gtest/gtest.h>

#include <QSignalSpy>

#include "history/HistoryFixture.h"
#include "support/Wait.h"

namespace quillet {
namespace {

class HistoryViewModelTest : public test::HistoryFixture {
protected:
    // A copy by another program, seen by the next poll, then the queued load.
    void copy(const QString& text) {
        clock.advance(1000);
        pasteboard.copyText(text);
        monitor.checkForChanges();
        test::drainEvents();
    }
    QStringList shown() { return texts(model.items()); }
    // Searches for `text` and waits until every step of the search has run.
    QStringList searchFor(const QString& text) {
        model.setSearchText(text);
        test::drainEvents();
        EXPECT_TRUE(test::waitFor([&] { return !model.isScanning(); }));
        return shown();
    }
};

TEST_F(HistoryViewModelTest, LoadsOnTheMainLoopAndAnnouncesOnlyRealChanges) {
    addClip("stored after the model was made", 0);
    test::drainEvents();
    EXPECT_EQ(shown(), QStringList{"stored after the model was made"});
    QSignalSpy changed(&model, &HistoryViewModel::itemsChanged);
    model.loadItems();
    EXPECT_EQ(changed.count(), 0) << "the same rows again";
    copy("b");
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(HistoryViewModelTest, ADeferredFirstLoadRunsWhenNeededOrAfterItsDelay) {
    addClip("stored before start-up", 0);
    model.deferFirstLoad(50);
    test::drainEvents();
    EXPECT_EQ(shown(), QStringList{}) << "not read while start-up goes on";
    model.ensureLoaded();
    EXPECT_EQ(shown(), QStringList{"stored before start-up"});

    HistoryViewModel later{*storage, monitor, clock};
    later.deferFirstLoad(50);
    EXPECT_TRUE(test::waitFor([&] { return !later.items().isEmpty(); }));
    // Once loaded, ensureLoaded does not read again.
    addClip("not read by ensureLoaded", 1);
    later.ensureLoaded();
    EXPECT_EQ(texts(later.items()), QStringList{"stored before start-up"});
}

TEST_F(HistoryViewModelTest, SelectionStopsAtBothEndsAndNeverWraps) {
    test::drainEvents();
    model.moveSelection(1);
    EXPECT_EQ(model.selectedIndex(), 0) << "no rows: nothing moves";

    copy("a");
    copy("b");
    copy("c");
    QSignalSpy moved(&model, &HistoryViewModel::selectedIndexChanged);
    for (const auto& [delta, expected] :
         std::initializer_list<std::pair<int, int>>{{-1, 0}, {3, 0}, {2, 2}, {1, 2}, {0, 2}}) {
        model.moveSelection(delta);
        EXPECT_EQ(model.selectedIndex(), expected) << "after a move by " << delta;
    }
    EXPECT_EQ(moved.count(), 1) << "only a real move notifies";
}

TEST_F(HistoryViewModelTest, ChoosingAClipMovesItToTheTopWithoutDuplicating) {
    copy("a");
    copy("b");
    copy("c");
    model.moveSelection(1);
    clock.advance(1000);
    model.selectItem(model.items().at(2));
    EXPECT_EQ(pasteboard.string(), QString("a"));
    test::drainEvents();
    EXPECT_EQ(shown(), (QStringList{"a", "c", "b"}));
    EXPECT_EQ(model.selectedIndex(), 0);
    EXPECT_EQ(model.items().at(0)->timestamp(), clock.now());

    monitor.checkForChanges();  // which does not record our own write
    test::drainEvents();
    EXPECT_EQ(model.items().size(), 3);
    reopen();
    EXPECT_EQ(texts(storage->fetchItems("")), (QStringList{"a", "c", "b"})) << "saved";
}

TEST_F(HistoryViewModelTest, EverySearchAssignmentReloadsAndResetsTheSelection) {
    copy("apple");
    copy("banana");
    copy("apricot");
    EXPECT_EQ(searchFor("ap"), (QStringList{"apricot", "apple"}));
    model.moveSelection(1);
    ASSERT_EQ(model.selectedIndex(), 1);

    QSignalSpy textChanged(&model, &HistoryViewModel::searchTextChanged);
    model.setSearchText("ap");
    test::drainEvents();
    EXPECT_EQ(textChanged.count(), 0);
    EXPECT_EQ(model.selectedIndex(), 0) << "an equal assignment still reloads";

    // Several quick edits: once the loads ran, the list matches the last text.
    model.setSearchText("b");
    model.setSearchText("ban");
    model.setSearchText("x");
    EXPECT_EQ(searchFor("apr"), QStringList{"apricot"});
}

TEST_F(HistoryViewModelTest, ACopyUnderAnActiveSearchIsStoredButListedOnlyIfItMatches) {
    copy("keep me");
    searchFor("keep");
    copy("other");
    EXPECT_EQ(shown(), QStringList{"keep me"});
    copy("keep this too");
    EXPECT_EQ(shown(), (QStringList{"keep this too", "keep me"}));
    EXPECT_EQ(searchFor(""), (QStringList{"keep this too", "other", "keep me"}));
}

TEST_F(HistoryViewModelTest, SearchesArriveInStepsNewestFirstAndEndWithTheFullResult) {
    addClips(1000, "clip %1");
    model.loadItems();
    model.selectItem(model.items().at(899));  // "clip 100", used again, is the newest
    test::drainEvents();
    model.setScanStep(50);
    QSignalSpy appended(&model, &HistoryViewModel::itemsAppended);
    model.setSearchText("7");
    model.loadItems();
    const qsizetype first = model.items().size();
    EXPECT_TRUE(model.isScanning());
    EXPECT_GT(first, 0) << "the first matches at once";
    EXPECT_LT(first, 271) << "but not the whole scan";
    EXPECT_EQ(model.items().at(0)->content(), "clip 997");
    ASSERT_TRUE(test::waitFor([&] { return !model.isScanning(); }));
    EXPECT_TRUE(model.items() == storage->fetchItems("7")) << "same rows, same order";
    EXPECT_EQ(model.items().size(), 271);  // 7, x7, 7x, xx7, x7x, 7xx in 0..999
    qsizetype announced = 0;
    for (const auto& call : appended) announced += call[1].value<qsizetype>();
    EXPECT_EQ(first + announced, 271);

    // Common texts are scanned for, rare ones looked up in the index; either way the clip
    // used again comes first.
    const QStringList all = searchFor("clip");
    ASSERT_EQ(all.size(), 1000);
    EXPECT_EQ(all.mid(0, 2), (QStringList{"clip 100", "clip 999"}));
    const QStringList rare = searchFor("clip 10");
    ASSERT_EQ(rare.size(), 11);  // 10, 100-109
    EXPECT_EQ(rare.mid(0, 2), (QStringList{"clip 100", "clip 109"}));
    EXPECT_EQ(rare.back(), "clip 10");
}

TEST_F(HistoryViewModelTest, ANewLoadStopsARunningScan) {
    addClips(600, "x%1");
    model.setScanStep(20);
    model.setSearchText("x");
    model.loadItems();
    ASSERT_TRUE(model.isScanning());
    model.setSearchText("x10");  // none among the newest: looked up at once
    test::drainEvents();
    ASSERT_FALSE(model.isScanning());
    EXPECT_EQ(shown(), (QStringList{"x109", "x108", "x107", "x106", "x105", "x104", "x103", "x102",
                                    "x101", "x100", "x10"}));
}

}  // namespace
}  // namespace quillet
