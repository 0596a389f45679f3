// What the store does with files it did not just create: stores of the previous version are
// brought up to date, files that are not (or no longer) ours are refused untouched, and long
// clips stay out of the index but are still found.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <QCryptographicHash>
#include <QFile>

#include "store/PhraseItem.h"
#include "store/StoreFixture.h"

namespace quillet::test {
namespace {

QByteArray hashOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

bool runSql(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    const bool ok = sqlite3_open(qPrintable(path), &db) == SQLITE_OK &&
                    sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// The first released layout, as users' files hold it (journal left in rollback mode so the
// file alone is the store).
const char* const kVersion1File = R"sql(
CREATE TABLE ClipItem (pk INTEGER PRIMARY KEY, id TEXT NOT NULL UNIQUE, content TEXT NOT NULL,
                       timestamp INTEGER NOT NULL);
CREATE INDEX ClipItem_timestamp ON ClipItem (timestamp, pk);
CREATE TABLE PhraseCategory (id TEXT NOT NULL UNIQUE, name TEXT NOT NULL, sortOrder INTEGER NOT NULL);
CREATE TABLE PhraseItem (id TEXT NOT NULL UNIQUE, title TEXT NOT NULL, body TEXT NOT NULL,
    sortOrder INTEGER NOT NULL, category TEXT REFERENCES PhraseCategory (id) ON DELETE CASCADE);
CREATE VIRTUAL TABLE ClipSearch USING fts5 (content, content = 'ClipItem', content_rowid = 'pk',
    tokenize = 'trigram case_sensitive 1', detail = none);
CREATE TRIGGER ClipItem_ai AFTER INSERT ON ClipItem BEGIN
    INSERT INTO ClipSearch (rowid, content) VALUES (new.pk, new.content); END;
CREATE TRIGGER ClipItem_ad AFTER DELETE ON ClipItem BEGIN
    INSERT INTO ClipSearch (ClipSearch, rowid, content) VALUES ('delete', old.pk, old.content); END;
CREATE TRIGGER ClipItem_au AFTER UPDATE OF content ON ClipItem BEGIN
    INSERT INTO ClipSearch (ClipSearch, rowid, content) VALUES ('delete', old.pk, old.content);
    INSERT INTO ClipSearch (rowid, content) VALUES (new.pk, new.content); END;
INSERT INTO ClipItem VALUES (1, 'a0000000-0000-4000-8000-000000000001', 'short needle', 1000);
INSERT INTO ClipItem VALUES (2, 'a0000000-0000-4000-8000-000000000002',
                             'needle' || printf('%.30000c', 'x'), 2000);
PRAGMA user_version = 1;
)sql";

class StoreSchemaTest : public StoreFixture {
protected:
    // The FTS index agrees with the table it indexes.
    bool indexIsConsistent() {
        return sqlite3_exec(storage->context().handle(),
                            "INSERT INTO ClipTrigram (ClipTrigram) VALUES ('integrity-check')",
                            nullptr, nullptr, nullptr) == SQLITE_OK;
    }
};

TEST_F(StoreSchemaTest, LongClipsStayOutOfTheIndexButAreFoundAndDeletedCleanly) {
    const QString longText = "start " + QString(40'000, u'z') + " needle";
    auto big = addClip(longText, 1);
    addClip("a short needle", 2);
    addClip("nothing here", 3);
    EXPECT_EQ(texts(storage->fetchItems("needle")), (QStringList{"a short needle", longText}));
    EXPECT_EQ(texts(storage->fetchItems("zzz")), QStringList{longText});

    // An edited text moves between the long list and the index (nothing edits clips today,
    // but the file must stay consistent if anything does).
    sqlite3* db = storage->context().handle();
    const QByteArray shorten =
        "UPDATE ClipItem SET content = 'short' WHERE pk = " + QByteArray::number(big->rowId());
    ASSERT_EQ(sqlite3_exec(db, shorten.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_TRUE(indexIsConsistent());
    const QByteArray lengthen =
        "UPDATE ClipItem SET content = printf('%.20000c', 'y') WHERE pk = " +
        QByteArray::number(big->rowId());
    ASSERT_EQ(sqlite3_exec(db, lengthen.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_TRUE(indexIsConsistent());
    storage->context().remove(big);
    ASSERT_TRUE(storage->context().save());
    EXPECT_EQ(texts(storage->fetchItems("needle")), QStringList{"a short needle"});
    EXPECT_TRUE(indexIsConsistent());
}

TEST_F(StoreSchemaTest, AStoreOfTheFirstVersionIsBroughtUpToDate) {
    storage.reset();
    const QString path = dir.file("old.sqlite");
    ASSERT_TRUE(runSql(path, kVersion1File));
    QString error;
    storage = StorageService::open(path, &error);
    ASSERT_TRUE(storage) << qPrintable(error);
    ASSERT_TRUE(waitForIndex());
    EXPECT_EQ(storage->fetchItems("needle").size(), 2);
    EXPECT_TRUE(indexIsConsistent());
    storage->context().remove(storage->fetchItems("").at(0));  // the long one, newest
    ASSERT_TRUE(storage->context().save());
    EXPECT_TRUE(indexIsConsistent());
    EXPECT_EQ(texts(storage->fetchItems("needle")), QStringList{"short needle"});
}

TEST_F(StoreSchemaTest, PhrasesOfAnOldStoreGetNoAbbreviationAndKeepTheOnesGivenLater) {
    storage.reset();
    const QString path = dir.file("old.sqlite");
    ASSERT_TRUE(runSql(path, kVersion1File));
    ASSERT_TRUE(runSql(path, R"sql(
INSERT INTO PhraseCategory VALUES ('c0000000-0000-4000-8000-000000000001', 'Work', 0);
INSERT INTO PhraseItem VALUES ('b0000000-0000-4000-8000-000000000001', 'Sig', 'Regards', 0,
                               'c0000000-0000-4000-8000-000000000001');
)sql"));
    QString error;
    storage = StorageService::open(path, &error);
    ASSERT_TRUE(storage) << qPrintable(error);
    auto phrases = storage->context().fetchPhrases({});
    ASSERT_EQ(phrases.size(), 1u);
    EXPECT_EQ(phrases[0]->title(), "Sig");
    EXPECT_EQ(phrases[0]->abbreviation(), "");
    phrases[0]->setAbbreviation("rg");
    ASSERT_TRUE(storage->context().save());
    phrases.clear();

    storage.reset();
    storage = StorageService::open(path, &error);
    ASSERT_TRUE(storage) << qPrintable(error);
    phrases = storage->context().fetchPhrases({});
    ASSERT_EQ(phrases.size(), 1u);
    EXPECT_EQ(phrases[0]->abbreviation(), "rg");
    EXPECT_EQ(phrases[0]->body(), "Regards");
}

TEST_F(StoreSchemaTest, FilesThatAreNotOursAreRefusedUntouched) {
    struct Case {
        const char* name;
        const char* sql;
        const char* reason;
    };
    const Case cases[] = {
        {"another program's database",
         "CREATE TABLE notes (body TEXT); INSERT INTO notes VALUES ('x');", "another program"},
        {"our version with a table gone", "", "ClipItem"},
        {"a first version without tables", "PRAGMA user_version = 1;", "lacks ClipItem"},
    };
    storage.reset();
    for (const Case& c : cases) {
        const QString path = dir.file(QStringLiteral("%1.sqlite").arg(c.name));
        if (*c.sql) {
            ASSERT_TRUE(runSql(path, c.sql));
        } else {
            {
                QString error;
                ASSERT_TRUE(StorageService::open(path, &error)) << qPrintable(error);
            }
            ASSERT_TRUE(runSql(path,
                               "PRAGMA journal_mode = DELETE; DROP TRIGGER ClipItem_ai; "
                               "DROP TRIGGER ClipItem_ad; DROP TRIGGER ClipItem_au; "
                               "DROP TABLE ClipItem;"));
        }
        const QByteArray before = hashOf(path);
        QString error;
        EXPECT_FALSE(StorageService::open(path, &error)) << c.name;
        EXPECT_TRUE(error.contains(c.reason)) << c.name << ": " << qPrintable(error);
        EXPECT_TRUE(error.contains(path)) << c.name << ": the message names the file";
        EXPECT_EQ(hashOf(path), before) << c.name << ": the file was changed";
    }
}

TEST_F(StoreSchemaTest, APipeInPlaceOfTheStoreIsRefusedWithoutWaiting) {
    storage.reset();
    const QString path = dir.file("pipe.sqlite");
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    QString error;
    EXPECT_FALSE(StorageService::open(path, &error));
    EXPECT_TRUE(error.contains("not a regular file")) << qPrintable(error);
    EXPECT_TRUE(error.contains(path)) << qPrintable(error);
}

}  // namespace
}  // namespace quillet::test
