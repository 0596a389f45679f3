#include <gtest/gtest.h>

#include <QSignalSpy>

#include "store/StoreFixture.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

class ClipWriterTest : public StoreFixture {};

TEST_F(ClipWriterTest, LongClipsAreStoredOffTheLoopAndLaterCopiesFollowInOrder) {
    QSignalSpy written(storage.get(), &StorageService::clipWrittenInBackground);
    const QString longText = QString(3 << 20, u'x') + "tail";
    storage->insertClipInBackground(longText, start.addSecs(1));
    storage->insertClipInBackground(longText + "2", start.addSecs(2));
    EXPECT_TRUE(storage->isWritingInBackground());

    // A copy that arrives meanwhile waits instead of blocking on the writer's lock.
    storage->context().insert(std::make_shared<ClipItem>("short", start.addSecs(3)));
    storage->context().save();

    ASSERT_TRUE(waitFor([&] { return !storage->isWritingInBackground(); }, 20s));
    EXPECT_EQ(written.count(), 2);
    EXPECT_FALSE(storage->context().hasChanges()) << "the held save ran once the writer let go";
    const ClipList list = storage->fetchItems("");
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.at(0)->content(), "short");
    EXPECT_EQ(list.at(1)->content(), longText + "2");
    EXPECT_EQ(list.at(2)->content(), longText);

    reopen();  // on disk, not only in memory
    EXPECT_EQ(storage->fetchItems("tail").size(), 2);
}

}  // namespace
}  // namespace quillet::test
