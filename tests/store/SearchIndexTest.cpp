// The clip index against the plain truth: every search lists exactly the clips whose text
// contains the search text (QString::contains, with and without case), newest first,
// whichever way the store finds them; and a store of an earlier version keeps every clip
// while its index is rebuilt, also when the rebuild is stopped half-way.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QSet>
#include <QUuid>
#include <random>

#include "store/CaseFolding.h"
#include "store/SqlStatement.h"
#include "store/StoreFixture.h"
#include "store/StoreSchema.h"
#include "store/TrigramTokenizer.h"

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

// The index's tokenizer up to version 4: the same tokens, case kept.
int caseKeepingTokenize(Fts5Tokenizer*, void* context, int flags, const char* text, int size,
                        int (*addToken)(void*, int, const char*, int, int, int)) {
    std::vector<int> starts;
    for (int at = 0; at < size; at = CaseFolding::nextCharacter(text, size, at))
        starts.push_back(at);
    starts.push_back(size);
    const int count = int(starts.size()) - 1;
    const bool query = (flags & FTS5_TOKENIZE_QUERY) != 0;
    if (query && count <= 2)
        return (flags & FTS5_TOKENIZE_PREFIX) && size > 0
                   ? addToken(context, 0, text, size, 0, size)
                   : SQLITE_OK;
    for (int first = 0; first < (query ? count - 2 : count); ++first) {
        const int end = starts[size_t(std::min(first + 3, count))];
        const int rc = addToken(context, 0, text + starts[size_t(first)],
                                end - starts[size_t(first)], starts[size_t(first)], end);
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}

bool registerCaseKeepingTokenizer(sqlite3* db) {
    static char instance;
    static fts5_tokenizer tokenizer{[](void*, const char**, int, Fts5Tokenizer** out) {
                                        *out = reinterpret_cast<Fts5Tokenizer*>(&instance);
                                        return SQLITE_OK;
                                    },
                                    [](Fts5Tokenizer*) {}, caseKeepingTokenize};
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_pointer(statement, 1, &api, "fts5_api_ptr", nullptr);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
    return api && api->xCreateTokenizer(api, TrigramTokenizer::name, nullptr, &tokenizer,
                                        nullptr) == SQLITE_OK;
}

// Clips of a few frequent letters, with rarer characters planted in a few of them, often at
// the very end or as the whole clip; the rarest ones only among the older clips, the others
// also among the newest.
QStringList randomTexts(int count, quint32 seed, const QStringList& frequent,
                        const QStringList& rare) {
    std::mt19937 random(seed);
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
    return texts;
}

// Accents, CJK, an emoji as a surrogate pair, CR/LF, quotes; one clip too long for the index.
QStringList randomTexts(int count, quint32 seed) {
    QStringList texts = randomTexts(count, seed, {"a", "b", "c", " "},
                                    {"é", "日", "🦊", "\r\n", "\n", "Ω", "\"", "x", "*"});
    texts[count / 2] = QString(20'000, u'b') + "日x\r\n🦊";
    return texts;
}

// Letters whose case folding is not ASCII's: ẞ (folds to ß, which never matches "ss"), the
// three sigmas, dotted and dotless I, umlauts, the Kelvin sign (folds to k), a letter beyond
// the BMP and its lower case; and one long clip that only the scan sees.
QStringList casedTexts(int count, quint32 seed) {
    QStringList texts = randomTexts(count, seed, {"a", "B", "k", " "},
                                    {"ß", "ẞ", "ss", "Σ", "σ", "ς", "İ", "ı", "I", "i", "Ä", "ä",
                                     "K", "𐐀", "𐐨", "A", "b", "\u212A"});
    texts[count / 3] = QString(20'000, u'a') + "ÄRGER";
    texts[count / 4] = "ärger";
    return texts;
}

// Every text of one and two characters over the alphabet, and `longer` ones.
QStringList searchTerms(const QStringList& alphabet, const QStringList& longer) {
    QStringList terms = alphabet;
    for (const QString& first : alphabet)
        for (const QString& second : alphabet) terms << first + second;
    return terms + longer;
}

QStringList searchTerms() {
    return searchTerms({"a", "b", " ", "é", "日", "🦊", "\r", "\n", "Ω", "\"", "x", "*", "z"},
                       {"abc", "🦊🦊", "x\r\n", "bbbb", "\"Ω"});
}

QStringList casedSearchTerms() {
    return searchTerms({"a", "A", "b", "B", "k", "K", "\u212A", "ß", "ẞ", "s", "σ",
                        "Σ", "ς", "İ", "i", "I", "ı", "Ä",      "ä", "𐐀", "𐐨", " "},
                       {"ÄRGER", "ärger", "aRgEr", "ΣσςΣ", "𐐀𐐨𐐀", "ab k", "ẞß", "SS"});
}

class SearchIndexTest : public StoreFixture {
protected:
    // The clips that contain `term`, newest first (the texts were stored oldest first).
    static QStringList expectedMatches(const QStringList& oldestFirst, const QString& term,
                                       Qt::CaseSensitivity cs = Qt::CaseSensitive) {
        QStringList matches;
        for (qsizetype i = oldestFirst.size() - 1; i >= 0; --i)
            if (oldestFirst[i].contains(term, cs)) matches << oldestFirst[i];
        return matches;
    }

    void expectSearchesAgree(const QStringList& oldestFirst, const char* when,
                             const QStringList& terms = searchTerms()) {
        for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive})
            for (const QString& term : terms)
                ASSERT_EQ(texts(storage->fetchItems(term, cs)),
                          expectedMatches(oldestFirst, term, cs))
                    << when << ": \"" << qPrintable(term) << '"'
                    << (cs == Qt::CaseSensitive ? " (match case)" : " (any case)");
    }

    void store(const QStringList& oldestFirst) {
        for (int i = 0; i < oldestFirst.size(); ++i)
            storage->context().insert(std::make_shared<ClipItem>(oldestFirst[i], start.addSecs(i)));
        ASSERT_TRUE(storage->context().save());
    }

    bool indexIsConsistent() {
        return sqlite3_exec(storage->context().handle(),
                            "INSERT INTO ClipTrigram (ClipTrigram) VALUES ('integrity-check')",
                            nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    // Stores `oldestFirst` a second apart in one transaction, through the file's own triggers.
    static bool insertClips(sqlite3* db, const QStringList& oldestFirst) {
        bool ok = execSql(db, "BEGIN");
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
        return ok && execSql(db, "COMMIT");
    }

    // A store file of the previous version holding `oldestFirst`.
    static bool writeVersion2Store(const QString& path, const QStringList& oldestFirst) {
        sqlite3* db = nullptr;
        const bool ok = sqlite3_open(qPrintable(path), &db) == SQLITE_OK &&
                        execSql(db, kVersion2Layout) && insertClips(db, oldestFirst);
        sqlite3_close(db);
        return ok;
    }

    // A store file of version 4, its index holding the tokens as that version made them.
    static bool writeVersion4Store(const QString& path, const QStringList& oldestFirst) {
        sqlite3* db = nullptr;
        const bool ok = sqlite3_open(qPrintable(path), &db) == SQLITE_OK &&
                        registerCaseKeepingTokenizer(db) &&
                        StoreSchema::migrate(db, 0, nullptr) && insertClips(db, oldestFirst) &&
                        // Phrases had no abbreviation then.
                        execSql(db, "ALTER TABLE PhraseItem DROP COLUMN abbreviation;") &&
                        execSql(db, "PRAGMA user_version = 4;");
        sqlite3_close(db);
        return ok;
    }

    // The index's terms that case folding changes but whose folded form is not a term,
    // read from the file at `path`. Today's tokenizer indexes every token folded.
    static QStringList termsWithoutFoldedTwin(const QString& path) {
        sqlite3* db = nullptr;
        QSet<QString> terms;
        if (sqlite3_open(qPrintable(path), &db) == SQLITE_OK &&
            TrigramTokenizer::registerWith(db) &&
            execSql(db,
                    "CREATE VIRTUAL TABLE temp.Terms USING fts5vocab(main, ClipTrigram, row)")) {
            SqlStatement query(db, "SELECT term FROM temp.Terms");
            while (query.step() == SQLITE_ROW) terms.insert(query.text(0));
        }
        sqlite3_close(db);
        QStringList lonely;
        for (const QString& term : terms)
            if (!terms.contains(term.toCaseFolded())) lonely << term;
        return lonely;
    }

    qint64 count(const char* sql) {
        SqlStatement query(storage->context().handle(), QString::fromLatin1(sql));
        return query.step() == SQLITE_ROW ? query.int64(0) : -1;
    }

    bool hasOldIndex() {
        SqlStatement old(storage->context().handle(),
                         "SELECT 1 FROM sqlite_schema WHERE name LIKE 'ClipSearch%'");
        return old.step() == SQLITE_ROW;
    }
};

TEST_F(SearchIndexTest, ShortAndLongTextsMatchExactlyAsASubstringTest) {
    const QStringList oldestFirst = randomTexts(3000, 7);
    store(oldestFirst);
    expectSearchesAgree(oldestFirst, "fresh store");
    EXPECT_TRUE(indexIsConsistent());
}

TEST_F(SearchIndexTest, CaseCountsOnlyWhenMatchingCaseAndFoldsAsQStringDoes) {
    const QStringList oldestFirst = casedTexts(3000, 13);
    store(oldestFirst);
    expectSearchesAgree(oldestFirst, "fresh store", casedSearchTerms());
    EXPECT_TRUE(indexIsConsistent());
    // The cases the index must not lose, spelled out.
    EXPECT_TRUE(texts(storage->fetchItems("ÄRGER", Qt::CaseInsensitive)).contains("ärger"));
    EXPECT_FALSE(texts(storage->fetchItems("ÄRGER")).contains("ärger"));
}

TEST_F(SearchIndexTest, AStoreOfThePreviousVersionKeepsEveryClipAndResumesAnInterruptedRebuild) {
    const QStringList oldestFirst = randomTexts(7000, 11);
    storage.reset();
    const QString path = dir.file("store/history.sqlite");
    QFile::remove(path);
    ASSERT_TRUE(writeVersion2Store(path, oldestFirst));

    // Stopped after its first batch of clips, as a kill between two batches would leave it.
    reopen();
    waitFor([this] { return storage->migrationProgress().done > 0; }, std::chrono::seconds(30));
    const SearchIndexProgress stopped = storage->migrationProgress();
    EXPECT_EQ(stopped.total, oldestFirst.size());
    EXPECT_GT(stopped.done, 0);
    EXPECT_LT(stopped.done, stopped.total) << "the rebuild ended before it could be stopped";
    reopen();
    // The resumed rebuild counts what the first one did.
    waitFor([this] { return storage->migrationProgress().total > 0; }, std::chrono::seconds(30));
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

TEST_F(SearchIndexTest, AStoreOfVersion4IsIndexedAgainWithFoldedTokensAndKeepsEveryClip) {
    const QStringList oldestFirst = casedTexts(5000, 17);
    storage.reset();
    const QString path = dir.file("store/history.sqlite");
    QFile::remove(path);
    ASSERT_TRUE(writeVersion4Store(path, oldestFirst));
    ASSERT_FALSE(termsWithoutFoldedTwin(path).isEmpty()) << "the old index lacks folded tokens";

    reopen();
    EXPECT_EQ(count("PRAGMA user_version"), StoreSchema::version);
    // Searches scan while the index is rebuilt, with the same results.
    EXPECT_EQ(texts(storage->fetchItems("ärger", Qt::CaseInsensitive)),
              expectedMatches(oldestFirst, "ärger", Qt::CaseInsensitive));
    ASSERT_TRUE(waitForIndex());
    EXPECT_EQ(storage->migrationProgress().done, oldestFirst.size());
    EXPECT_EQ(count("SELECT count(*) FROM sqlite_schema WHERE name LIKE 'ClipTrigramRetired%'"), 0)
        << "the old index is gone from the file";
    EXPECT_TRUE(indexIsConsistent());
    const QStringList lonely = termsWithoutFoldedTwin(path);
    EXPECT_TRUE(lonely.isEmpty()) << "every clip indexed again, folded; not "
                                  << qPrintable(lonely.mid(0, 5).join(u'|'));
    EXPECT_EQ(texts(storage->fetchItems("")), expectedMatches(oldestFirst, ""));
    expectSearchesAgree(oldestFirst, "migrated", casedSearchTerms());
}

}  // namespace
}  // namespace quillet::test
