#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QSignalSpy>

#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StoreFixture.h"

namespace quillet {
namespace {

class StorageContextTest : public test::StoreFixture {
protected:
    // Another connection holding the write lock makes our saves fail (busy).
    void lockFromOutside() {
        ASSERT_EQ(sqlite3_open(qPrintable(dir.file("store/history.sqlite")), &m_other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(m_other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    void unlock() {
        sqlite3_exec(m_other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_other);
        m_other = nullptr;
    }
    ~StorageContextTest() override {
        if (m_other) unlock();
    }
    qint64 storedClipCount() {
        sqlite3* db = nullptr;
        sqlite3_open(qPrintable(dir.file("store/history.sqlite")), &db);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM ClipItem", -1, &stmt, nullptr);
        sqlite3_step(stmt);
        const qint64 n = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return n;
    }

private:
    sqlite3* m_other = nullptr;
};

TEST_F(StorageContextTest, OneObjectPerStoredRecord) {
    auto clip = addClip("x", 1);
    const auto fetched = storage->context().clipsWithRowIds({clip->rowId()});
    ASSERT_EQ(fetched.size(), 1u);
    EXPECT_EQ(fetched[0], clip) << "the inserted object comes back, not a copy";
    EXPECT_EQ(storage->fetchItems("").at(0), clip);

    // Another record with the same text is another object.
    auto twin = addClip("x", 2);
    EXPECT_NE(twin, clip);
    EXPECT_NE(twin->id(), clip->id());
}

TEST_F(StorageContextTest, ChangesStayPendingUntilSave) {
    auto& context = storage->context();
    QSignalSpy saved(&context, &StorageContext::didSave);
    auto clip = std::make_shared<ClipItem>("pending", start);
    context.insert(clip);
    EXPECT_TRUE(context.hasChanges());
    EXPECT_EQ(storedClipCount(), 0);
    EXPECT_EQ(clip->rowId(), 0);
    ASSERT_TRUE(context.save());
    EXPECT_EQ(saved.count(), 1);
    EXPECT_EQ(storedClipCount(), 1);
    EXPECT_FALSE(context.hasChanges());

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
    EXPECT_EQ(storedClipCount(), 2) << "nothing of the failed save was written";

    ASSERT_TRUE(context.save());
    reopen();
    EXPECT_EQ(texts(storage->fetchItems("")), (QStringList{"kept", "new"}));
}

TEST_F(StorageContextTest, FetchHonoursPredicateSortKeysAndLimit) {
    auto& context = storage->context();
    for (int i = 0; i < 5; ++i) {
        auto category = std::make_shared<PhraseCategory>(QString("c%1").arg(i), 4 - i);
        context.insert(category);
    }
    ASSERT_TRUE(context.save());
    auto descending = context.fetchCategories({{}, {SortKey{"name", false}}, 3});
    ASSERT_EQ(descending.size(), 3u);
    EXPECT_EQ(descending[0]->name(), "c4");
    EXPECT_EQ(descending[2]->name(), "c2");
    auto one = context.fetchCategories({Predicate::equals("name", "c1"), {}, {}});
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0]->sortOrder(), 3);
    // An unknown attribute is a failing fetch, which is empty.
    EXPECT_TRUE(context.fetchCategories({Predicate::equals("nope", 1), {}, {}}).empty());
    EXPECT_TRUE(context.fetchCategories({{}, {SortKey{"name; DROP TABLE x", true}}, {}}).empty());
}

TEST_F(StorageContextTest, DeletingAPendingInsertWritesNothing) {
    auto& context = storage->context();
    auto clip = std::make_shared<ClipItem>("never", start);
    context.insert(clip);
    context.remove(clip);
    EXPECT_FALSE(context.hasChanges());
    ASSERT_TRUE(context.save());
    EXPECT_EQ(storedClipCount(), 0);
}

}  // namespace
}  // namespace quillet
