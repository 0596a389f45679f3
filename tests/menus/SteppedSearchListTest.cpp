#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "history/HistoryFixture.h"
#include "menus/HistoryListModel.h"
#include "support/Wait.h"

namespace quillet {
namespace {

class SteppedSearchListTest : public test::HistoryFixture {
protected:
    HistoryListModel list{model};
    // Fails the test on any inconsistent signal or count the model reports.
    QAbstractItemModelTester tester{&list, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(SteppedSearchListTest, RowsOfASearchInStepsArriveInFewBatchesAndAllArrive) {
    addClips(2000, "n%1");
    model.setScanStep(20);
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    QSignalSpy steps(&model, &HistoryViewModel::itemsAppended);
    model.setSearchText("n");
    model.loadItems();
    EXPECT_EQ(list.rowCount(), model.items().size()) << "the first screenful at once";
    ASSERT_TRUE(test::waitFor([&] { return !model.isScanning(); }));
    test::drainEvents();
    EXPECT_EQ(list.rowCount(), 2000);
    EXPECT_EQ(list.data(list.index(1999), HistoryListModel::ContentRole).toString(), "n0");
    EXPECT_GT(steps.count(), 20);
    EXPECT_LT(inserted.count(), steps.count() / 2) << "views are not told of every step";
}

TEST_F(SteppedSearchListTest, ARepeatedSearchWithTheSameFirstRowsIsStillFollowedToTheEnd) {
    addClips(1000, "r%1");
    model.setScanStep(50);
    model.setSearchText("r");
    model.loadItems();
    model.loadItems();  // e.g. a new copy that does not match reloads the same search
    ASSERT_TRUE(test::waitFor([&] { return !model.isScanning(); }));
    test::drainEvents();
    EXPECT_EQ(list.rowCount(), 1000);
}

TEST_F(SteppedSearchListTest, MovingOntoRowsNotYetShownShowsThem) {
    addClips(1000, "m%1");
    model.setScanStep(50);
    model.setSearchText("m");
    model.loadItems();
    const int shown = list.rowCount();
    QCoreApplication::processEvents();  // one more step arrives, not yet announced
    ASSERT_GT(model.items().size(), shown);
    ASSERT_EQ(list.rowCount(), shown);
    model.moveSelection(shown);
    EXPECT_GT(list.rowCount(), shown);
    EXPECT_TRUE(list.data(list.index(shown), HistoryListModel::SelectedRole).toBool());
}

}  // namespace
}  // namespace quillet
