// The clip index against the plain truth: every search lists exactly the clips whose text
// contains the search text (QString::contains), newest first, whichever way the store finds
// them; and a store of the previous version keeps every clip while its index is rebuilt, also
// when the rebuild is stopped half-way.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QUuid>
#include <random>

#include "store/SqlStatement.h"
#include "store/StoreFixture.h"

namespace quillet::test {
namespace {

// The layout of the previous version (schema 2), as its files hold it.
const char* const kVersion2Layout = R"sql(
PRAGMA journal_mode = WAL;
CREATE TABLE ClipItem (pk INTEGER PRIMARY KEY, id TEXT NOT NULL UNIQUE, content TEXT NOT NULL,
                       timestamp INTEGER NOT NULL);
CREATE INDEX ClipItem_timestamp ON ClipItem (timestamp, pk);
CREATE TABLE PhraseCategory (id TEXT NOT NULL UNIQUE, name TEXT NOT NULL, sortOrder INTEGER NOT NULL);
CREATE TABLE PhraseItem (id TEXT NOT NULL UNIQUE, title TEXT NOT NULL, body TEXT NOT NULL,
    sortOrder INTEGER NOT NULL, category TEXT REFERENCES PhraseCategory (id) ON DELETE CASCADE);
CREATE INDEX PhraseItem_category ON PhraseItem (category);
CREATE VIRTUAL TABLE ClipSearch USING fts5 (content, content = 'ClipItem', content_rowid = 'pk',
    tokenize = 'trigram case_sensitive 1', detail = none);
CREATE TABLE LargeClip (pk INTEGER PRIMARY KEY);
CREATE TRIGGER ClipItem_ai AFTER INSERT ON ClipItem BEGIN
    INSERT INTO ClipSearch (rowid, content)
        SELECT new.pk, new.content WHERE length(new.content) <= 16384;
    INSERT INTO LargeClip (pk) SELECT new.pk WHERE length(new.content) > 16384;
END;
CREATE TRIGGER ClipItem_ad AFTER DELETE ON ClipItem BEGIN
    INSERT INTO ClipSearch (ClipSearch, rowid, content)
        SELECT 'delete', old.pk, old.content
        WHERE NOT EXISTS (SELECT 1 FROM LargeClip WHERE pk = old.pk);
    DELETE FROM LargeClip WHERE pk = old.pk;
END;
CREATE TRIGGER ClipItem_au AFTER UPDATE OF content ON ClipItem BEGIN
    INSERT INTO ClipSearch (ClipSearch, rowid, content)
        SELECT 'delete', old.pk, old.content
        WHERE NOT EXISTS (SELECT 1 FROM LargeClip WHERE pk = old.pk);
    DELETE FROM LargeClip WHERE pk = old.pk;
    INSERT INTO ClipSearch (rowid, content)
        SELECT new.pk, new.content WHERE length(new.content) <= 16384;
    INSERT INTO LargeClip (pk) SELECT new.pk WHERE length(new.content) > 16384;
END;
PRAGMA user_version = 2;
)sql";

// Clips of a few frequent letters, with rarer characters (accents, CJK, an emoji as a
// surrogate pair, CR/LF, quotes) planted in a few of them, often at the very end or as the
// whole clip; the rarest ones only among the older clips, the others also among the newest.
QStringList randomTexts(int count, quint32 seed) {
    std::mt19937 random(seed);
    const QStringList frequent{"a", "b", "c", " "};
    const QStringList rare{"é", "日", "🦊", "\r\n", "\n", "Ω", "\"", "x", "*"};
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        QString text;
        const int length = int(random() % 24);
        for (int c = 0; c < length; ++c) text += frequent[int(random() % frequent.size())];
        texts << text;
    }
    for (int r = 0; r < rare.size(); ++r) {
        for (int k = 0; k < 6; ++k) {
            // Half of them only in the oldest third; the newest clips get at most a few.
            const int span = r % 2 == 0 ? count / 3 : count;
            QString& text = texts[int(random() % span)];
            const QString planted =
                random() % 3 == 0 ? rare[r] + rare[(r + k) % rare.size()] : rare[r];
            switch (random() % 3) {
                case 0:
                    text = planted;
                    break;
                case 1:
                    text += planted;
                    break;
                default:
                    text.insert(int(random() % (text.size() + 1)), planted);
            }
        }
    }
    // One clip too long for the index, holding rare characters too.
    texts[count / 2] = QString(20'000, u'b') + "日x\r\n🦊";
    return texts;
}

// Every text of one and two characters over the alphabet, and a few longer ones.
QStringList searchTerms() {
    const QStringList alphabet{"a",  "b", " ",  "é", "日", "🦊", "\r",
                               "\n", "Ω", "\"", "x", "*",  "z"};
    QStringList terms = alphabet;
    for (const QString& first : alphabet)
        for (const QString& second : alphabet) terms << first + second;
    terms << "abc"
          << "🦊🦊"
          << "x\r\n"
          << "bbbb"
          << "\"Ω";
    return terms;
}

class SearchIndexTest : public StoreFixture {
protected:
    // The clips that contain `term`, newest first (the texts were stored oldest first).
    static QStringList expectedMatches(const QStringList& oldestFirst, const QString& term) {
        QStringList matches;
        for (qsizetype i = oldestFirst.size() - 1; i >= 0; --i)
            if (oldestFirst[i].contains(term)) matches << oldestFirst[i];
        return matches;
    }

    void expectSearchesAgree(const QStringList& oldestFirst, const char* when) {
        for (const QString& term : searchTerms())
            ASSERT_EQ(texts(storage->fetchItems(term)), expectedMatches(oldestFirst, term))
                << when << ": \"" << qPrintable(term) << '"';
    }

    bool indexIsConsistent() {
        return sqlite3_exec(storage->context().handle(),
                            "INSERT INTO ClipTrigram (ClipTrigram) VALUES ('integrity-check')",
                            nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    // A store file of the previous version holding `oldestFirst`.
    static bool writeVersion2Store(const QString& path, const QStringList& oldestFirst) {
        sqlite3* db = nullptr;
        bool ok = sqlite3_open(qPrintable(path), &db) == SQLITE_OK &&
                  execSql(db, kVersion2Layout) && execSql(db, "BEGIN");
        {  // finalized before the close, which otherwise leaves the connection open
            SqlStatement insert(db,
                                "INSERT INTO ClipItem (id, content, timestamp) VALUES (?, ?, ?)");
            for (qsizetype i = 0; ok && i < oldestFirst.size(); ++i) {
                insert.reset();
                ok = insert.bindAll({QUuid::createUuid(), oldestFirst[i],
                                     qint64(1'700'000'000'000LL + i * 1000)}) &&
                     insert.run();
            }
        }
        ok = ok && execSql(db, "COMMIT");
        sqlite3_close(db);
        return ok;
    }

    bool hasOldIndex() {
        SqlStatement old(storage->context().handle(),
                         "SELECT 1 FROM sqlite_schema WHERE name LIKE 'ClipSearch%'");
        return old.step() == SQLITE_ROW;
    }
};

TEST_F(SearchIndexTest, ShortAndLongTextsMatchExactlyAsASubstringTest) {
    const QStringList oldestFirst = randomTexts(3000, 7);
    for (int i = 0; i < oldestFirst.size(); ++i)
        storage->context().insert(std::make_shared<ClipItem>(oldestFirst[i], start.addSecs(i)));
    ASSERT_TRUE(storage->context().save());
    expectSearchesAgree(oldestFirst, "fresh store");
    EXPECT_TRUE(indexIsConsistent());
}

TEST_F(SearchIndexTest, AStoreOfThePreviousVersionKeepsEveryClipAndResumesAnInterruptedRebuild) {
    const QStringList oldestFirst = randomTexts(7000, 11);
    storage.reset();
    const QString path = dir.file("store/history.sqlite");
    QFile::remove(path);
    ASSERT_TRUE(writeVersion2Store(path, oldestFirst));

    // Stopped after its first batch of clips, as a kill between two batches would leave it.
    reopen();
    QDeadlineTimer deadline(30'000);
    while (storage->migrationProgress().done == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const SearchIndexProgress stopped = storage->migrationProgress();
    EXPECT_EQ(stopped.total, oldestFirst.size());
    EXPECT_GT(stopped.done, 0);
    EXPECT_LT(stopped.done, stopped.total) << "the rebuild ended before it could be stopped";
    reopen();
    // The resumed rebuild counts what the first one did.
    deadline = QDeadlineTimer(30'000);
    while (storage->migrationProgress().total == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(storage->migrationProgress().total, oldestFirst.size());
    EXPECT_GE(storage->migrationProgress().done, stopped.done);
    // Searches scan while the index is incomplete, with the same results.
    EXPECT_EQ(texts(storage->fetchItems("🦊")), expectedMatches(oldestFirst, "🦊"));
    ASSERT_TRUE(waitForIndex());
    EXPECT_FALSE(hasOldIndex());

    EXPECT_EQ(texts(storage->fetchItems("")), expectedMatches(oldestFirst, ""));
    expectSearchesAgree(oldestFirst, "migrated");
    EXPECT_TRUE(indexIsConsistent());
    // Clips recorded and removed afterwards keep the index in step.
    addClip("Ω new", 100'000);
    storage->context().remove(storage->fetchItems("🦊").at(0));
    ASSERT_TRUE(storage->context().save());
    EXPECT_TRUE(indexIsConsistent());
    EXPECT_EQ(texts(storage->fetchItems("Ω ")).value(0), "Ω new");
}

}  // namespace
}  // namespace quillet::test
