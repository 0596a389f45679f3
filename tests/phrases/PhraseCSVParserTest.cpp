#include <gtest/gtest.h>

#include <QFile>
#include <random>

#include "phrases/PhraseCSVFile.h"
#include "phrases/PhraseCSVParser.h"
#include "phrases/PhraseCSVService.h"
#include "support/TempDir.h"

namespace quillet {
namespace {

using Error = PhraseCSVParser::Error;
using Status = PhraseCSVFile::ParseResult::Status;
using Rows = std::vector<PhraseRow>;

// Feeds `text` cut at the given offsets.
PhraseCSVParser parsedInPieces(const QString& text, const std::vector<qsizetype>& cuts,
                               PhraseCSVParser::Limits limits = {}) {
    PhraseCSVParser parser(limits);
    qsizetype from = 0;
    for (qsizetype cut : cuts) {
        parser.feed(QStringView(text).mid(from, cut - from));
        from = cut;
    }
    parser.feed(QStringView(text).mid(from));
    parser.finish();
    return parser;
}

TEST(PhraseCSVParserTest, TextCutAnywhereParsesAsTheWholeText) {
    const QString texts[] = {
        "\ufefftitle,body\r\nA,\"x\"\"y\"\"\"\r\nB,\"1\r\n2\"\rC,3\n",
        "t,\"\"\"\"\r\n\"a,b\",\"\"",
        "x,\"q\"\"\"\"\",z\r\r\n\n",
        "\"\ufeff\",b\nt,\"\"",
    };
    for (const QString& text : texts) {
        const Rows whole = PhraseCSVService::parseCSV(text);
        for (qsizetype cut = 0; cut <= text.size(); ++cut)
            EXPECT_EQ(parsedInPieces(text, {cut}).rows(), whole) << qPrintable(text) << cut;
        std::vector<qsizetype> everyCharacter;
        for (qsizetype i = 1; i < text.size(); ++i) everyCharacter.push_back(i);
        EXPECT_EQ(parsedInPieces(text, everyCharacter).rows(), whole) << qPrintable(text);
    }
}

TEST(PhraseCSVParserTest, RowsPastTheLimitStopTheParseAndTheHeaderIsNotCounted) {
    QString text = "title,body\n";
    for (int i = 0; i < 3; ++i) text += QString("t%1,b\n").arg(i);
    PhraseCSVParser atLimit({3, 100});
    EXPECT_TRUE(atLimit.feed(text) && atLimit.finish());
    EXPECT_EQ(atLimit.rows().size(), 3u);

    PhraseCSVParser over({3, 100});
    EXPECT_FALSE(over.feed(text + "t3,b\nt4,b\n"));
    EXPECT_EQ(over.error(), Error::TooManyRows);
    EXPECT_EQ(over.errorLine(), 5) << "the first row past the limit";
    EXPECT_FALSE(over.feed(u"more,rows\n")) << "later pieces are ignored";
    EXPECT_FALSE(over.finish());
}

TEST(PhraseCSVParserTest, AFieldPastTheLimitInUtf8BytesStopsTheParseWhateverItsColumn) {
    const PhraseCSVParser::Limits sixBytes{100, 6};
    // "日" is three bytes in the file, "😀" four.
    EXPECT_EQ(parsedInPieces("t,日日\n", {}, sixBytes).error(), Error::None);
    EXPECT_EQ(parsedInPieces("t,\"日\"\"12\"", {4}, sixBytes).error(), Error::None);
    const struct {
        const char* name;
        QString text;
        qsizetype line;
    } cases[] = {
        {"three-byte characters", "a,b\nt,日日x\n", 2},
        {"a surrogate pair", "t,😀日\n", 1},
        {"a title", "1234567,b", 1},
        {"across pieces, quoted over lines", "a,b\nt,\"12\n3\n4567\"", 2},
        {"a third column", "t,b,1234567", 1},
    };
    for (const auto& c : cases) {
        const auto parser = parsedInPieces(c.text, {c.text.size() / 2}, sixBytes);
        EXPECT_EQ(parser.error(), Error::FieldTooLong) << c.name;
        EXPECT_EQ(parser.errorLine(), c.line) << c.name;
    }
}

TEST(PhraseCSVParserTest, AnUnclosedQuoteIsAnErrorAtTheLineItOpens) {
    const auto parser = parsedInPieces("a,1\r\nb,2\r\nc,\"open\r\nd,4\ne,5", {9});
    EXPECT_EQ(parser.error(), Error::UnclosedQuote);
    EXPECT_EQ(parser.errorLine(), 3);
    // A quote that ends the last piece closes quoting: not an error.
    EXPECT_EQ(parsedInPieces("t,\"b\"", {4}).error(), Error::None);
    EXPECT_EQ(parsedInPieces("t,\"b\"", {4}).rows(), (Rows{{"t", "b"}}));
}

class PhraseCSVFileTest : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes) {
        const QString path = dir.file(QString("f%1.csv").arg(++count));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    test::TempDir dir;
    int count = 0;
};

TEST_F(PhraseCSVFileTest, EmptyAndHeaderOnlyFilesHaveNoRows) {
    for (const QByteArray& bytes : {QByteArray(), QByteArray("\xef\xbb\xbf"),
                                    QByteArray("title,body\r\n"), QByteArray("\n,\n")})
        EXPECT_EQ(PhraseCSVFile::parse(write(bytes)).status, Status::NoRows) << bytes.data();
    EXPECT_EQ(PhraseCSVFile::parse(write("title,body\nt,b")).rows, (Rows{{"t", "b"}}));
}

TEST_F(PhraseCSVFileTest, CharactersCutBetweenPiecesDecodeAndACutEndIsRefused) {
    // The file is read in pieces of 256 KiB: put a three-byte character across the boundary.
    QByteArray bytes = "title,body\nt,";
    bytes += QByteArray(256 * 1024 - bytes.size() - 1, 'x');
    bytes += "日\n";
    const auto result = PhraseCSVFile::parse(write(bytes));
    ASSERT_EQ(result.status, Status::Ok);
    ASSERT_EQ(result.rows.size(), 1u);
    EXPECT_TRUE(result.rows[0].body.endsWith(u'日'));

    EXPECT_EQ(result.encoding, PhraseCSVFile::Encoding::Utf8);

    // Cut or broken in UTF-8 and in Shift_JIS alike.
    for (const QByteArray& bytes : {QByteArray("t,\xe6\x97\xa5\xe6"), QByteArray("t,\xff\n"),
                                    QByteArray("title,body\ncaf\xe9,x")})
        EXPECT_EQ(PhraseCSVFile::parse(write(bytes)).status, Status::UnknownEncoding) << bytes.data();
}

TEST_F(PhraseCSVFileTest, AFileThatIsNotUtf8IsReadAsShiftJisInItsWindowsForm) {
    // As a spreadsheet saves it: CR LF, second bytes equal to a backslash (表, ソ), NEC and
    // IBM extensions (①, 髙), half-width kana, 0x8160 as the full-width tilde and a plain
    // backslash in a path.
    const QByteArray bytes = "title,body\r\n"
                             "\x95\x5c\x8e\xa6,\"\x83\x5c\x83\x74\x83\x67\x87\x40\x81\x60\"\r\n"
                             "\xb1\x93\xfa\x96\x7b\xee\xe0,C:\\temp\r\n";
    const auto result = PhraseCSVFile::parse(write(bytes));
    ASSERT_EQ(result.status, Status::Ok);
    EXPECT_EQ(result.encoding, PhraseCSVFile::Encoding::ShiftJis);
    EXPECT_EQ(result.rows, (Rows{{"表示", "ソフト①～"}, {"ｱ日本髙", "C:\\temp"}}));

    // A two-byte character across the boundary of the pieces the file is read in.
    QByteArray across = "title,body\nt,";
    across += QByteArray(256 * 1024 - across.size() - 1, 'x');
    across += "\x93\xfa\n";
    const auto cut = PhraseCSVFile::parse(write(across));
    ASSERT_EQ(cut.status, Status::Ok);
    ASSERT_EQ(cut.rows.size(), 1u);
    EXPECT_TRUE(cut.rows[0].body.endsWith(u'日'));

    // A lead byte whose second byte is not one of Shift_JIS's.
    EXPECT_EQ(PhraseCSVFile::parse(write("t,\x95\n")).status, Status::UnknownEncoding);
}

TEST_F(PhraseCSVFileTest, AFileIsReadNoFurtherThanTheFirstBrokenLimit) {
    QByteArray rows = "title,body\n";
    for (int i = 0; i < 200'000; ++i) rows += "title of a phrase,its body\n";
    PhraseCSVFile::Progress progress;
    const auto many = PhraseCSVFile::parse(write(rows), {}, &progress);
    EXPECT_EQ(many.status, Status::TooManyRows);
    EXPECT_TRUE(many.rows.empty()) << "refused whole";
    EXPECT_EQ(many.line, PhraseCSVFile::maxRows + 2);
    EXPECT_EQ(progress.totalBytes, rows.size());
    EXPECT_LT(progress.bytesRead, rows.size() * 3 / 4);

    const QByteArray longField = "t,\"" + QByteArray(PhraseCSVFile::maxFieldBytes, 'a');
    EXPECT_EQ(PhraseCSVFile::parse(write(longField + "\"")).status, Status::Ok);
    PhraseCSVFile::Progress fieldProgress;
    const auto tooLong =
        PhraseCSVFile::parse(write(longField + QByteArray(4 << 20, 'a')), {}, &fieldProgress);
    EXPECT_EQ(tooLong.status, Status::FieldTooLong);
    EXPECT_LT(fieldProgress.bytesRead, 2 << 20);

    PhraseCSVFile::Progress cancelled;
    cancelled.cancelled = true;
    EXPECT_EQ(PhraseCSVFile::parse(write(rows), {}, &cancelled).status, Status::Cancelled);
}

}  // namespace
}  // namespace quillet
