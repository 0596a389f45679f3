#include <gtest/gtest.h>

#include <QSignalSpy>

#include "fakes/FakePasteboard.h"
#include "fakes/ManualClock.h"
#include "history/ClipboardMonitor.h"
#include "history/HistoryViewModel.h"
#include "store/StoreFixture.h"

namespace quillet {
namespace {

class HistoryViewModelTest : public test::StoreFixture {
protected:
    HistoryViewModelTest() : monitor(pasteboard), model(*storage, monitor, clock) {}

    // A copy by another program, seen by the next poll, then the queued load.
    void copy(const QString& text) {
        clock.advance(1000);
        pasteboard.copyText(text);
        monitor.checkForChanges();
        test::drainEvents();
    }
    QStringList shown() { return texts(model.items()); }

    test::FakePasteboard pasteboard;
    test::ManualClock clock;
    ClipboardMonitor monitor;
    HistoryViewModel model;
};

TEST_F(HistoryViewModelTest, BecomesTheDelegateAndLoadsAfterConstruction) {
    EXPECT_EQ(monitor.delegate(), &model);
    EXPECT_TRUE(model.isLoadScheduled()) << "the first load is queued, not run inline";
    addClip("stored before", 0);
    test::drainEvents();
    EXPECT_EQ(shown(), QStringList{"stored before"});
}

TEST_F(HistoryViewModelTest, SelectionStopsAtBothEndsAndNeverWraps) {
    test::drainEvents();
    EXPECT_EQ(model.selectedIndex(), 0);
    model.moveSelection(1);
    model.moveSelection(-1);
    EXPECT_EQ(model.selectedIndex(), 0) << "no rows: nothing moves";

    copy("a");
    copy("b");
    copy("c");
    QSignalSpy moved(&model, &HistoryViewModel::selectedIndexChanged);
    model.moveSelection(-1);
    EXPECT_EQ(model.selectedIndex(), 0);
    model.moveSelection(3);
    EXPECT_EQ(model.selectedIndex(), 0);
    model.moveSelection(2);
    EXPECT_EQ(model.selectedIndex(), 2);
    model.moveSelection(1);
    EXPECT_EQ(model.selectedIndex(), 2);
    model.moveSelection(0);
    EXPECT_EQ(moved.count(), 1) << "only a real move notifies";
}

TEST_F(HistoryViewModelTest, ChoosingAClipMovesItToTheTopWithoutDuplicating) {
    copy("a");
    copy("b");
    copy("c");
    ASSERT_EQ(shown(), (QStringList{"c", "b", "a"}));
    model.moveSelection(1);
    clock.advance(1000);
    model.selectItem(model.items().at(2));
    EXPECT_EQ(pasteboard.string(), QString("a"));
    test::drainEvents();
    EXPECT_EQ(shown(), (QStringList{"a", "c", "b"}));
    EXPECT_EQ(model.selectedIndex(), 0);
    EXPECT_EQ(model.items().at(0)->timestamp(), clock.now());

    // The monitor does not record our own write.
    monitor.checkForChanges();
    test::drainEvents();
    EXPECT_EQ(model.items().size(), 3);
    reopen();
    EXPECT_EQ(texts(storage->fetchItems("")), (QStringList{"a", "c", "b"})) << "saved";
}

TEST_F(HistoryViewModelTest, EverySearchAssignmentReloadsAndResetsTheSelection) {
    copy("apple");
    copy("banana");
    copy("apricot");
    model.setSearchText("ap");
    test::drainEvents();
    EXPECT_EQ(shown(), (QStringList{"apricot", "apple"}));
    model.moveSelection(1);
    ASSERT_EQ(model.selectedIndex(), 1);

    QSignalSpy textChanged(&model, &HistoryViewModel::searchTextChanged);
    model.setSearchText("ap");
    EXPECT_EQ(textChanged.count(), 0);
    EXPECT_TRUE(model.isLoadScheduled());
    test::drainEvents();
    EXPECT_EQ(model.selectedIndex(), 0) << "an equal assignment still reloads";

    // Several quick edits: once the loads ran, the list matches the last text.
    model.setSearchText("b");
    model.setSearchText("ban");
    model.setSearchText("x");
    model.setSearchText("apr");
    test::drainEvents();
    EXPECT_EQ(shown(), QStringList{"apricot"});
}

TEST_F(HistoryViewModelTest, ACopyUnderAnActiveSearchIsStoredButListedOnlyIfItMatches) {
    copy("keep me");
    model.setSearchText("keep");
    test::drainEvents();
    copy("other");
    EXPECT_EQ(shown(), QStringList{"keep me"});
    copy("keep this too");
    EXPECT_EQ(shown(), (QStringList{"keep this too", "keep me"}));
    model.setSearchText("");
    test::drainEvents();
    EXPECT_EQ(shown(), (QStringList{"keep this too", "other", "keep me"}));
}

TEST_F(HistoryViewModelTest, ShortSearchesScanInStepsAndEndWithTheFullResult) {
    for (int i = 0; i < 1000; ++i)
        storage->context().insert(
            std::make_shared<ClipItem>(QString("clip %1").arg(i), start.addSecs(i)));
    ASSERT_TRUE(storage->context().save());
    model.setScanStep(50);
    QSignalSpy appended(&model, &HistoryViewModel::itemsAppended);
    model.setSearchText("7");
    model.loadItems();
    const qsizetype first = model.items().size();
    EXPECT_TRUE(model.isScanning());
    EXPECT_GT(first, 0) << "the first matches at once";
    EXPECT_LT(first, 271) << "but not the whole scan";
    EXPECT_EQ(model.items().at(0)->content(), "clip 997");

    ASSERT_TRUE(test::waitUntil([&] { return !model.isScanning(); }));
    EXPECT_TRUE(model.items() == storage->fetchItems("7")) << "same rows, same order";
    EXPECT_EQ(model.items().size(), 271);  // 7, x7, 7x, xx7, x7x, 7xx in 0..999
    qsizetype announced = 0;
    for (const auto& call : appended) announced += call[1].value<qsizetype>();
    EXPECT_EQ(first + announced, 271);
}

TEST_F(HistoryViewModelTest, IndexedSearchesAlsoArriveInStepsNewestFirst) {
    for (int i = 0; i < 1000; ++i)
        storage->context().insert(
            std::make_shared<ClipItem>(QString("clip %1").arg(i), start.addSecs(i)));
    ASSERT_TRUE(storage->context().save());
    model.loadItems();
    // An old clip used again is the newest, and comes first among the matches too.
    model.selectItem(model.items().at(999));
    test::drainEvents();
    model.setScanStep(50);
    model.setSearchText("clip");
    model.loadItems();
    EXPECT_TRUE(model.isScanning());
    EXPECT_LT(model.items().size(), 1000);
    EXPECT_EQ(model.items().at(0)->content(), "clip 0");
    ASSERT_TRUE(test::waitUntil([&] { return !model.isScanning(); }));
    EXPECT_EQ(model.items().size(), 1000);
    EXPECT_EQ(model.items().at(1)->content(), "clip 999");
    model.setSearchText("clip 1");
    test::drainEvents();
    ASSERT_TRUE(test::waitUntil([&] { return !model.isScanning(); }));
    EXPECT_EQ(model.items().size(), 111);  // 1, 10-19, 100-199
    EXPECT_EQ(model.items().at(0)->content(), "clip 199");
    model.setSearchText("clip 0");
    test::drainEvents();
    ASSERT_TRUE(test::waitUntil([&] { return !model.isScanning(); }));
    EXPECT_EQ(texts(model.items()), QStringList{"clip 0"});
}

TEST_F(HistoryViewModelTest, ANewLoadStopsARunningScan) {
    for (int i = 0; i < 600; ++i)
        storage->context().insert(
            std::make_shared<ClipItem>(QString("x%1").arg(i), start.addSecs(i)));
    ASSERT_TRUE(storage->context().save());
    model.setScanStep(20);
    model.setSearchText("x");
    model.loadItems();
    ASSERT_TRUE(model.isScanning());
    model.setSearchText("x59");
    test::drainEvents();
    ASSERT_FALSE(model.isScanning());
    EXPECT_EQ(texts(model.items()), (QStringList{"x599", "x598", "x597", "x596", "x595", "x594",
                                                 "x593", "x592", "x591", "x590", "x59"}));
}

TEST_F(HistoryViewModelTest, ReloadingTheSameRowsIsNoChange) {
    copy("a");
    QSignalSpy changed(&model, &HistoryViewModel::itemsChanged);
    model.loadItems();
    EXPECT_EQ(changed.count(), 0);
    copy("b");
    EXPECT_EQ(changed.count(), 1);
}

}  // namespace
}  // namespace quillet
