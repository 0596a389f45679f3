// The search index against what the clipboard can hand over: NUL bytes (what UTF-16 offered
// as UTF-8 looks like), lone surrogates, every character value, long runs. The index must stay
// sound after every save, searches must agree with the plain truth, and an index that is
// damaged anyway is replaced without losing a clip.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "store/SqlStatement.h"
#include "store/StoreFixture.h"

namespace quillet::test {
namespace {

class IndexDamageTest : public StoreFixture {
protected:
    sqlite3* db() { return storage->context().handle(); }

    // The index's own structural check: empty when sound.
    std::string indexCheck() {
        char* message = nullptr;
        const int rc =
            sqlite3_exec(db(), "INSERT INTO ClipTrigram (ClipTrigram) VALUES ('integrity-check')",
                         nullptr, nullptr, &message);
        const std::string result = rc == SQLITE_OK ? std::string() : std::string(message);
        sqlite3_free(message);
        return result;
    }

    qint64 count(const char* sql) {
        SqlStatement query(db(), QString::fromLatin1(sql));
        return query.step() == SQLITE_ROW ? query.int64(0) : -1;
    }

    // Every clip whose text contains `needle`, newest first, as the truth has it.
    static QStringList truth(const QStringList& newestFirst, const QString& needle,
                             Qt::CaseSensitivity cs = Qt::CaseSensitive) {
        QStringList found;
        for (const QString& text : newestFirst)
            if (text.contains(needle, cs)) found << text;
        return found;
    }

    // Overwrites every block of the index, its header included.
    void damageIndex() {
        ASSERT_EQ(
            sqlite3_exec(db(), "UPDATE ClipTrigram_data SET block = randomblob(length(block))",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
    }
};

QStringList hostileTexts() {
    QStringList texts;
    texts << QString::fromUtf8("before-nul\0after\0\0end-nul-marker", 32);
    QString utf16AsBytes;  // "hello" as UTF-16LE read byte by byte
    for (QChar c : QStringLiteral("hello world")) utf16AsBytes += QString(c) + QChar(0);
    texts << utf16AsBytes;
    texts << QString(3000, QChar(0)) + QStringLiteral("tail");
    // A NUL first, then more than the index takes: length() of such a text stops at the NUL.
    texts << QChar(0) + QString(20'000, u'q');
    QString everyLatin1;
    for (int c = 0; c < 256; ++c) everyLatin1 += QChar(c);
    texts << everyLatin1;
    QByteArray everyByte;
    for (int c = 0; c < 256; ++c) everyByte += char(c);
    texts << QString::fromUtf8(everyByte);  // invalid sequences become replacement characters
    texts << QStringLiteral("lone ") + QChar(0xD800) + QStringLiteral(" and ") + QChar(0xDC00);
    texts << QStringLiteral("🦊").repeated(4500).left(8999);  // ends in half a pair
    texts << QString(16'000, u'日');
    texts << QString::fromUtf8("\0a", 2) << QString::fromUtf8("a\0", 2);
    return texts;
}

TEST_F(IndexDamageTest, HostileTextsKeepTheIndexSoundAndEveryLaterCopyIsSaved) {
    QStringList newestFirst;
    qint64 second = 0;
    for (const QString& text : hostileTexts()) {
        ASSERT_TRUE(addClip(text, ++second)) << "saving a hostile text";
        newestFirst.prepend(QString::fromUtf8(text.toUtf8()));  // as UTF-8 can hold it
        ASSERT_EQ(indexCheck(), "") << "after a text of " << text.size() << " characters";
    }
    for (int i = 0; i < 40; ++i) {
        const QString text = QStringLiteral("ordinary copy %1").arg(i);
        storage->context().insert(std::make_shared<ClipItem>(text, start.addSecs(++second)));
        ASSERT_TRUE(storage->context().save()) << "copy " << i << " after the hostile texts";
        newestFirst.prepend(text);
    }
    EXPECT_EQ(indexCheck(), "");
    EXPECT_EQ(count("SELECT count(*) FROM LargeClip"), 1) << "the NUL-led long clip is large";

    reopen();
    EXPECT_TRUE(texts(storage->fetchItems("")) == newestFirst) << "all kept, byte for byte";
    const QStringList needles{"end-nul-marker",
                              "after",
                              "hello",
                              "ordinary copy 3",
                              "qqq",
                              QString::fromUtf8("\0\0", 2),
                              QString::fromUtf8("r\0l", 3),
                              "日日",
                              QString(QChar(0xFFFD)),
                              "a",
                              "tail",
                              "ÿ",
                              QString::fromUtf8("\xC5\xB8"),  // Ÿ, whose folding is ÿ
                              QString::fromUtf8("\0END", 4),
                              "HeLLo"};
    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (const QString& needle : needles) {
            const QStringList found = texts(storage->fetchItems(needle, cs));
            const QStringList expected = truth(newestFirst, needle, cs);
            EXPECT_TRUE(found == expected)
                << "searching for " << qPrintable(needle.toUtf8().toHex()) << ": " << found.size()
                << " found, " << expected.size() << " expected"
                << (cs == Qt::CaseSensitive ? "" : " (any case)");
        }
    }
}

TEST_F(IndexDamageTest, ADamagedIndexIsReplacedOnTheNextSaveAndNoClipIsLost) {
    addClips(3000, "clip number %1 with some text");
    damageIndex();

    // The save that meets the damage replaces the index and goes through.
    auto clip = addClip("the copy after the damage", 5000);
    ASSERT_GT(clip->rowId(), 0);
    EXPECT_EQ(texts(storage->fetchItems("after the damage")), QStringList{clip->content()});
    EXPECT_EQ(storage->fetchItems("number 12 ").size(), 1) << "searches scan meanwhile";

    ASSERT_TRUE(waitForIndex());
    EXPECT_EQ(indexCheck(), "");
    EXPECT_EQ(count("SELECT indexedFrom FROM SearchIndexState"), 0) << "every clip indexed";
    EXPECT_EQ(count("SELECT count(*) FROM sqlite_schema WHERE name LIKE 'ClipTrigramRetired%'"), 0)
        << "the damaged index is gone from the file";
    EXPECT_EQ(storage->fetchItems("").size(), 3001);
    EXPECT_EQ(texts(storage->fetchItems("number 2999 ")),
              QStringList{"clip number 2999 with some text"});

    // Found by the check at start instead: replaced the same way, also twice in a row.
    damageIndex();
    ASSERT_TRUE(storage->replaceSearchIndex("found by a check"));
    damageIndex();
    ASSERT_TRUE(storage->replaceSearchIndex("found again"));
    addClip("one more", 6000);
    ASSERT_TRUE(waitForIndex());
    EXPECT_EQ(indexCheck(), "");
    EXPECT_EQ(storage->fetchItems("").size(), 3002);
    EXPECT_EQ(storage->fetchItems("number 1500 ").size(), 1);
}

}  // namespace
}  // namespace quillet::test
