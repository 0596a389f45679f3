#include <gtest/gtest.h>

#include <QSignalSpy>

#include "store/StoreFixture.h"

namespace quillet {
namespace {

class StorageContextTest : public test::StoreFixture {
protected:
    // What the file holds, read by a second service of its own.
    QStringList storedTexts() {
        QString error;
        const auto other = StorageService::open(dir.file("store/history.sqlite"), &error);
        return other ? texts(other->fetchItems("")) : QStringList{error};
    }
};

TEST_F(StorageContextTest, OneObjectPerStoredRecord) {
    auto clip = addClip("x", 1);
    auto twin = addClip("x", 2);
    EXPECT_NE(twin->id(), clip->id()) << "the same text twice is two records";
    const auto fetched = storage->context().clipsWithRowIds({clip->rowId()});
    ASSERT_EQ(fetched.size(), 1u);
    EXPECT_EQ(fetched[0], clip) << "the inserted object comes back, not a copy";
    EXPECT_EQ(storage->fetchItems("").at(1), clip);
}

TEST_F(StorageContextTest, ChangesAreWrittenOnlyBySave) {
    auto& context = storage->context();
    auto never = std::make_shared<ClipItem>("never", start);
    context.insert(never);
    context.remove(never);
    EXPECT_FALSE(context.hasChanges()) << "a pending insert deleted again is nothing to write";

    QSignalSpy saved(&context, &StorageContext::didSave);
    auto clip = std::make_shared<ClipItem>("pending", start);
    context.insert(clip);
    EXPECT_TRUE(context.hasChanges());
    EXPECT_TRUE(storedTexts().isEmpty());
    ASSERT_TRUE(context.save());
    EXPECT_EQ(saved.count(), 1);
    EXPECT_FALSE(context.hasChanges());
    EXPECT_EQ(storedTexts(), QStringList{"pending"});

    clip->setTimestamp(start.addSecs(60));
    EXPECT_TRUE(context.hasChanges());
    reopen();
    EXPECT_EQ(storage->fetchItems("").at(0)->timestamp(), start) << "unsaved change not stored";
}

TEST_F(StorageContextTest, FailedSaveKeepsEveryPendingChangeForTheNextSave) {
    auto& context = storage->context();
    auto kept = addClip("kept", 1);
    auto doomed = addClip("doomed", 2);
    lockFromOutside();
    context.insert(std::make_shared<ClipItem>("new", start.addSecs(3)));
    kept->setTimestamp(start.addSecs(9));
    context.remove(doomed);
    QString error;
    EXPECT_FALSE(context.save(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(context.hasChanges());
    unlock();
    EXPECT_EQ(storedTexts(), (QStringList{"doomed", "kept"})) << "nothing of it was written";

    ASSERT_TRUE(context.save());
    reopen();
    EXPECT_EQ(texts(storage->fetchItems("")), (QStringList{"kept", "new"}));
}

}  // namespace
}  // namespace quillet
