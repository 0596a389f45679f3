#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <QSignalSpy>

#include "store/StorageContext.h"
#include "store/StoreCheck.h"
#include "store/StoreFixture.h"

namespace quillet::test {
namespace {

class StoreCheckTest : public StoreFixture {
protected:
    // Runs a check of the fixture's file and returns (sound, problems); `indexProblem`
    // receives what it found wrong with the search index, if anything.
    std::pair<bool, QString> check(QString* indexProblem = nullptr) {
        StoreCheck check(dir.file("store/history.sqlite"));
        QSignalSpy finished(&check, &StoreCheck::finished);
        QSignalSpy indexDamaged(&check, &StoreCheck::indexDamaged);
        check.start();
        if (!finished.wait(20000)) return {false, QStringLiteral("no answer")};
        if (indexProblem)
            *indexProblem =
                indexDamaged.isEmpty() ? QString() : indexDamaged.at(0).at(0).toString();
        return {finished.at(0).at(0).toBool(), finished.at(0).at(1).toString()};
    }
};

TEST_F(StoreCheckTest, ASoundStorePassesAndDamagedPagesAreFound) {
    for (int i = 0; i < 3000; ++i)
        storage->context().insert(
            std::make_shared<ClipItem>(QString("clip %1 ").arg(i).repeated(20), start.addSecs(i)));
    ASSERT_TRUE(storage->context().save());
    storage.reset();  // everything checkpointed into the file
    QString indexProblem;
    EXPECT_EQ(check(&indexProblem), std::make_pair(true, QString()));
    EXPECT_EQ(indexProblem, QString());

    QFile file(dir.file("store/history.sqlite"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_GT(file.size(), 400'000);
    file.seek(file.size() / 2);
    file.write(QByteArray(64 * 1024, '\xA5'));  // a run of pages in the middle
    file.close();
    const auto [sound, problems] = check();
    EXPECT_FALSE(sound);
    EXPECT_FALSE(problems.isEmpty());
}

TEST_F(StoreCheckTest, ADamagedIndexInASoundFileIsFoundAndReplacedWithoutLoss) {
    addClips(3000, "clip %1 of the history");
    ASSERT_EQ(sqlite3_exec(storage->context().handle(),
                           "UPDATE ClipTrigram_data SET block = randomblob(length(block)) "
                           "WHERE id > 10",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    QString indexProblem;
    EXPECT_EQ(check(&indexProblem), std::make_pair(true, QString())) << "the pages are sound";
    ASSERT_FALSE(indexProblem.isEmpty());

    ASSERT_TRUE(storage->replaceSearchIndex(indexProblem));
    addClip("a copy while the index is rebuilt", 4000);
    ASSERT_TRUE(waitForIndex());
    EXPECT_EQ(storage->fetchItems("").size(), 3001);
    EXPECT_EQ(storage->fetchItems("clip 2500 ").size(), 1);
    EXPECT_EQ(check(&indexProblem), std::make_pair(true, QString()));
    EXPECT_EQ(indexProblem, QString());
}

}  // namespace
}  // namespace quillet::test

namespace quillet::test {
namespace {

TEST_F(StoreCheckTest, AFullStoreSaysSoAndLosesNothingOnceThereIsRoomAgain) {
    addClip("before", 1);
    sqlite3* db = storage->context().handle();
    // The file may not grow: a full disk as SQLite sees it.
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA max_page_count = 1", nullptr, nullptr, nullptr), SQLITE_OK);
    QSignalSpy failed(&storage->context(), &StorageContext::saveFailed);
    storage->context().insert(std::make_shared<ClipItem>(QString(100'000, u'z'), start.addSecs(2)));
    storage->context().insert(std::make_shared<ClipItem>("after", start.addSecs(3)));
    QString reason;
    EXPECT_FALSE(storage->context().save(&reason));
    EXPECT_TRUE(reason.contains("full")) << qPrintable(reason);
    EXPECT_EQ(failed.count(), 1);
    EXPECT_TRUE(storage->context().hasChanges()) << "the clips wait for the next save";

    ASSERT_EQ(sqlite3_exec(db, "PRAGMA max_page_count = 1000000", nullptr, nullptr, nullptr),
              SQLITE_OK);
    ASSERT_TRUE(storage->context().save());
    reopen();
    EXPECT_EQ(texts(storage->fetchItems("")).size(), 3);
}

}  // namespace
}  // namespace quillet::test
