#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <QSignalSpy>

#include "store/SearchCursors.h"
#include "store/SqlStatement.h"
#include "store/StoreFixture.h"

namespace quillet {
namespace {

class ForgetClipTest : public test::StoreFixture {
protected:
    sqlite3* db() { return storage->context().handle(); }

    qint64 single(const char* sql) {
        SqlStatement query(db(), sql);
        return query.step() == SQLITE_ROW ? query.int64(0) : -1;
    }

    // The rows the search index lists for a text, as a search with the index would ask.
    qint64 indexMatches(const QString& text) {
        SqlStatement query(db(), "SELECT count(*) FROM ClipTrigram WHERE ClipTrigram MATCH ?");
        query.bind(1, indexQuery(text, Qt::CaseSensitive));
        return query.step() == SQLITE_ROW ? query.int64(0) : -1;
    }

    // Whether any of the store's files holds the bytes, as anyone reading the disk would see.
    QStringList filesHolding(const QByteArray& bytes) {
        QStringList holding;
        for (const char* suffix : {"", "-wal", "-shm"}) {
            QFile file(dir.file(QStringLiteral("store/history.sqlite") + suffix));
            if (file.open(QIODevice::ReadOnly) && file.readAll().contains(bytes))
                holding << QStringLiteral("history.sqlite") + suffix;
        }
        return holding;
    }

    bool waitForCheckpoint(QSignalSpy& spy) { return spy.count() > 0 || spy.wait(10'000); }
};

TEST_F(ForgetClipTest, TheClipLeavesTheListSearchesAndIndexWhileOthersStay) {
    addClip("first clip to keep", 1);
    auto secret = addClip("my secret password 7Qz", 2);
    addClip("second clip to keep, secret too", 3);
    ASSERT_EQ(indexMatches("password 7Qz"), 1);

    ASSERT_TRUE(storage->forgetClip(secret));

    EXPECT_TRUE(secret->isDeleted());
    EXPECT_EQ(texts(storage->fetchItems(QString())),
              (QStringList{"second clip to keep, secret too", "first clip to keep"}));
    EXPECT_EQ(texts(storage->fetchItems("secret")), QStringList{"second clip to keep, secret too"});
    EXPECT_TRUE(storage->fetchItems("password").isEmpty());
    EXPECT_EQ(single("SELECT count(*) FROM ClipItem WHERE content LIKE '%password%'"), 0);
    EXPECT_EQ(indexMatches("password 7Qz"), 0);
    EXPECT_EQ(indexMatches("clip to keep"), 2);
    EXPECT_EQ(sqlite3_exec(db(), "INSERT INTO ClipTrigram (ClipTrigram) VALUES ('integrity-check')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db());

    // Gone for the next run too, and forgetting it twice changes nothing.
    EXPECT_FALSE(storage->forgetClip(secret));
    reopen();
    EXPECT_EQ(storage->fetchItems(QString()).size(), 2);
}

TEST_F(ForgetClipTest, EveryWritingConnectionOverwritesWhatItFrees) {
    EXPECT_EQ(single("PRAGMA secure_delete"), 1);
}

TEST_F(ForgetClipTest, NoCopyOfTheTextStaysInTheFilesOnceTheLogIsEmptied) {
    const QByteArray secret = "unguessable-Secret-4711";
    addClips(300, "an ordinary clip number %1 of some length");
    // Rewritten a few times, as a page is when later copies land beside it.
    auto clip = addClip(QString::fromLatin1(secret), 400);
    addClips(50, "a later clip %1");
    ASSERT_FALSE(filesHolding(secret).isEmpty()) << "the scan finds a stored text";

    QSignalSpy checkpointed(storage.get(), &StorageService::logCheckpointed);
    ASSERT_TRUE(storage->forgetClip(clip));
    ASSERT_TRUE(waitForCheckpoint(checkpointed));
    EXPECT_TRUE(checkpointed.first().first().toBool());

    EXPECT_EQ(filesHolding(secret), QStringList());
    EXPECT_EQ(QFile(dir.file("store/history.sqlite-wal")).size(), 0);
    EXPECT_EQ(filesHolding("an ordinary clip number 299"), QStringList{"history.sqlite"});
}

TEST_F(ForgetClipTest, AForgetHeldUpByAnotherWriterIsWrittenByTheNextSave) {
    addClip("keep", 1);
    auto clip = addClip("held secret", 2);
    QSignalSpy checkpointed(storage.get(), &StorageService::logCheckpointed);
    lockFromOutside();
    EXPECT_FALSE(storage->forgetClip(clip));
    EXPECT_EQ(storage->context().pendingDeletes().size(), 1u);
    unlock();

    addClip("next", 3);
    EXPECT_EQ(texts(storage->fetchItems(QString())), (QStringList{"next", "keep"}));
    ASSERT_TRUE(waitForCheckpoint(checkpointed));
    EXPECT_TRUE(filesHolding("held secret").isEmpty());
}

}  // namespace
}  // namespace quillet
