#include <gtest/gtest.h>

#include <QStringList>
#include <random>

#include "phrases/PhraseCSVService.h"
#include "store/PhraseItem.h"

namespace quillet {

void PrintTo(const PhraseRow& row, std::ostream* os) {
    *os << "(" << row.title.toStdString() << " | " << row.body.toStdString() << ")";
}

namespace {

using Rows = std::vector<PhraseRow>;

std::shared_ptr<PhraseItem> phrase(const QString& title, const QString& body, qint64 order) {
    return std::make_shared<PhraseItem>(title, body, order);
}

TEST(PhraseCSVServiceTest, FieldsAreQuotedOnlyWhenTheyMustBe) {
    const struct {
        QString field, written;
    } cases[] = {
        {"plain title", "plain title"},
        {"", ""},
        {" spaced ", " spaced "},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"carriage\rreturn", "\"carriage\rreturn\""},
        {"tab\there", "tab\there"},
        {"日本語、全角，コンマ", "日本語、全角，コンマ"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PhraseCSVService::escapeField(c.field), c.written) << qPrintable(c.field);
}

TEST(PhraseCSVServiceTest, ExportWritesTheHeaderAndPhrasesBySortOrderWithoutATrailingBreak) {
    const PhraseCSVService csv;
    EXPECT_EQ(csv.exportCSV({}), "title,body,abbreviation");
    auto abbreviated = phrase("one, second", "x\ny", 1);
    abbreviated->setAbbreviation("o,2");
    const QString text = csv.exportCSV({phrase("two", "b2", 2), phrase("zero", "", 0),
                                        phrase("one, first", "b\"1\"", 1), abbreviated});
    EXPECT_EQ(text,
              "title,body,abbreviation\n"
              "zero,,\n"
              "\"one, first\",\"b\"\"1\"\"\",\n"
              "\"one, second\",\"x\ny\",\"o,2\"\n"
              "two,b2,");
}

TEST(PhraseCSVServiceTest, TheTemplateImportsAsOnePhraseWithALineBreakAndAComma) {
    const Rows rows = PhraseCSVService::parseCSV(PhraseCSVService().generateTemplate());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FALSE(rows[0].title.isEmpty());
    EXPECT_TRUE(rows[0].body.contains('\n') && rows[0].body.contains(','))
        << qPrintable(rows[0].body);
}

TEST(PhraseCSVServiceTest, ParsingFollowsTheQuotingAndLineBreakRules) {
    const struct {
        const char* name;
        QString text;
        Rows rows;
    } cases[] = {
        {"empty file", "", {}},
        {"header only", "title,body", {}},
        {"final LF adds no row", "a,1\nb,2\n", {{"a", "1"}, {"b", "2"}}},
        {"CR LF, CR and LF all end records",
         "a,1\r\nb,2\rc,3\nd,4",
         {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}}},
        {"CR LF inside quotes stays", "t,\"x\r\ny\"", {{"t", "x\r\ny"}}},
        {"doubled quotes read as one", "\"a \"\"q\"\"\",\"b,c\"", {{"a \"q\"", "b,c"}}},
        {"a quote anywhere opens quoting and is dropped", "ab\"c,d\"e,f", {{"abc,de", "f"}}},
        {"a record whose quote never closes is left out", "a,b\nt,\"open\nstill", {{"a", "b"}}},
        {"closing quote at the very end", "t,\"b\"", {{"t", "b"}}},
        {"only the title is trimmed", "  ,  ", {{"", "  "}}},
        {"tabs and ideographic spaces trimmed", "\t\u3000 t \u00a0,b", {{"t", "b"}}},
        {"line breaks at the ends of a quoted title stay", "\"\nt\n\",b", {{"\nt\n", "b"}}},
        {"both empty is dropped", ",\n \t,\nx,", {{"x", ""}}},
        {"a single field is dropped", "lonely\nt,b", {{"t", "b"}}},
        {"blank lines are dropped", "\n\nt,b\n\n", {{"t", "b"}}},
        {"the third column is the abbreviation, trimmed", "t,b, c \t", {{"t", "b", "c"}}},
        {"two and three columns mix", "title,body,abbreviation\nt,b\nu,c,ab\nv,d,",
         {{"t", "b", ""}, {"u", "c", "ab"}, {"v", "d", ""}}},
        {"columns after the third are ignored", "t,b,c,d", {{"t", "b", "c"}}},
        {"header recognised after trimming, whatever its body",
         "  title ,anything\nt,b",
         {{"t", "b"}}},
        {"Title is not the header", "Title,body\nt,b", {{"Title", "body"}, {"t", "b"}}},
        {"only the first row is the header", "title,x\ntitle,y", {{"title", "y"}}},
        {"a byte-order mark is skipped", "\ufefftitle,body\nt,b", {{"t", "b"}}},
        {"duplicates stay", "t,b\nt,b", {{"t", "b"}, {"t", "b"}}},
    };
    for (const auto& c : cases) EXPECT_EQ(PhraseCSVService::parseCSV(c.text), c.rows) << c.name;
}

// Titles and bodies built from the pieces that make CSV hard.
QString randomText(std::mt19937& random) {
    static const QStringList pieces{",", "\"",    "\n",   "\r", "\r\n", "\t",   " ",   "\u3000",
                                    "a", "title", "日本", "é",  "😀",    "\"\"", ",\"", "x y"};
    std::uniform_int_distribution<int> length(0, 8);
    std::uniform_int_distribution<int> pick(0, int(pieces.size()) - 1);
    QString text;
    for (int n = length(random); n > 0; --n) text += pieces[pick(random)];
    return text;
}

QString trimmedAsTitle(const QString& text) {
    auto isSpace = [](QChar c) { return c == '\t' || c.category() == QChar::Separator_Space; };
    qsizetype begin = 0, end = text.size();
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
    return text.mid(begin, end - begin);
}

TEST(PhraseCSVServiceTest, ExportedPhrasesReadBackTheSameUpToTrimming) {
    std::mt19937 random(20261206);
    const PhraseCSVService csv;
    for (int round = 0; round < 500; ++round) {
        std::vector<std::shared_ptr<PhraseItem>> phrases;
        Rows expected;
        const int count = int(random() % 6);
        for (int i = 0; i < count; ++i) {
            const QString title = randomText(random);
            const QString body = randomText(random);
            const QString abbreviation = randomText(random);
            phrases.push_back(phrase(title, body, i));
            phrases.back()->setAbbreviation(abbreviation);
            const PhraseRow row{trimmedAsTitle(title), body, trimmedAsTitle(abbreviation)};
            if (!row.title.isEmpty() || !row.body.isEmpty()) expected.push_back(row);
        }
        const QString text = csv.exportCSV(phrases);
        ASSERT_EQ(PhraseCSVService::parseCSV(text), expected) << qPrintable(text);
    }
}

}  // namespace
}  // namespace quillet
