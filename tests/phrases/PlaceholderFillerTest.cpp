#include <gtest/gtest.h>

#include "phrases/PlaceholderFiller.h"

namespace quillet {
namespace {

using Kind = PlaceholderField::Kind;

// A fill at a fixed moment (UTC, so no time zone moves it) with a small phrase library.
class PlaceholderFillerTest : public ::testing::Test {
protected:
    PlaceholderFillerTest() {
        context.now = QDateTime(QDate(2026, 1, 31), QTime(22, 30), Qt::UTC);
        context.locale = QLocale(QLocale::English, QLocale::UnitedStates);
        context.lookup = [this](const QString& category, const QString& title) {
            ++lookups;
            return library.contains({category, title})
                       ? std::optional<QString>(library.value({category, title}))
                       : std::nullopt;
        };
    }

    QString filled(const QString& body) { return PlaceholderFiller::fill(body, context).text; }
    // Several bodies at once: each maps to what it should become.
    void expectFills(const QList<QPair<QString, QString>>& cases) {
        for (const auto& [body, expected] : cases)
            EXPECT_EQ(filled(body), expected) << "body: " << qPrintable(body);
    }

    FillContext context;
    QHash<QPair<QString, QString>, QString> library;
    int lookups = 0;
};

TEST_F(PlaceholderFillerTest, BodiesWithoutPlaceholdersAndUnknownOnesStayAsWritten) {
    const QString plain[] = {"",
                             "plain text",
                             "line\r\nbreaks\n\ttab 😀 é",
                             "a:b=c|d",
                             "{foo}",
                             "{ date }",
                             "{Date}",
                             "{cursor:here}",
                             "{clipboard:x}",
                             "{input:}",
                             "{choice:no equals}",
                             "{choice:=a|b}",
                             "{phrase:Missing/Phrase}",
                             "{phrase:no slash}",
                             "{time:HH}",
                             "{date:yyyy +1x}",
                             "{date:yyyy +999999d}",
                             "{date:yyyy +d}",
                             "{date:yyyy -+1d}",
                             "{unclosed",
                             "open { and { again",
                             "{a{b}",
                             "x}"};
    for (const QString& body : plain) {
        const FilledPhrase result = PlaceholderFiller::fill(body, context);
        EXPECT_EQ(result.text, body);
        EXPECT_FALSE(result.hasCursor) << qPrintable(body);
        EXPECT_TRUE(result.complete);
    }
    EXPECT_FALSE(PlaceholderFiller::mayHavePlaceholders("no braces\nat all"));
    EXPECT_TRUE(PlaceholderFiller::mayHavePlaceholders("x}"));
}

TEST_F(PlaceholderFillerTest, DoubledBracesAreLiteralBraces) {
    expectFills({{"{{date}}", "{date}"},
                 {"a{{b", "a{b"},
                 {"}}", "}"},
                 {"{{{date:yyyy}}}", "{2026}"},
                 {"{{{{", "{{"},
                 {"{{cursor}}", "{cursor}"}});
    EXPECT_FALSE(PlaceholderFiller::fill("{{cursor}}", context).hasCursor);
}

TEST_F(PlaceholderFillerTest, DatesTakeQtFormatLettersAndOffsetsAcrossMonthAndYearEnds) {
    expectFills({{"{date:yyyy-MM-dd}", "2026-01-31"},
                 {"{date:HH:mm}", "22:30"},
                 {"{date:yyyy-MM-dd +1d}", "2026-02-01"},
                 {"{date:yyyy-MM-dd +1M}", "2026-02-28"},
                 {"{date:yyyy-MM-dd -2w}", "2026-01-17"},
                 {"{date:yyyy-MM-dd +1y}", "2027-01-31"},
                 {"{date:yyyy-MM-dd -1y}", "2025-01-31"},
                 {"{date:yyyy-MM-dd HH:mm +2h}", "2026-02-01 00:30"},
                 {"{date:yyyy-MM-dd HH:mm -4h}", "2026-01-31 18:30"},
                 {"{date:HH:mm +45m}", "23:15"},
                 {"{date:yyyy-MM-dd +11M +1d}", "2027-01-01"},
                 {"{date:dd.MM.yyyy   -31d}", "31.12.2025"},
                 {"due {date:'day' d} and {date:MMM}", "due day 31 and Jan"}});

    context.now = QDateTime(QDate(2028, 2, 29), QTime(0, 10), Qt::UTC);
    expectFills({{"{date:yyyy-MM-dd +1y}", "2029-02-28"},
                 {"{date:yyyy-MM-dd HH:mm -15m}", "2028-02-28 23:55"},
                 {"{date:yyyy-MM-dd -1M}", "2028-01-29"}});
}

TEST_F(PlaceholderFillerTest, ShortDateAndTimeAndMonthNamesFollowTheLocale) {
    expectFills({{"{date}", "1/31/26"},
                 {"{time}", "10:30 PM"},
                 {"{date:MMMM}", "January"},
                 {"{date: +1d}", "2/1/26"}});
    context.locale = QLocale(QLocale::Japanese, QLocale::Japan);
    expectFills({{"{date}", "2026/01/31"}, {"{time}", "22:30"}, {"{date:MMMM}", "1月"}});
    context.locale = QLocale(QLocale::German, QLocale::Germany);
    expectFills({{"{date}", "31.01.26"}, {"{date:dddd +1d}", "Sonntag"}});
}

TEST_F(PlaceholderFillerTest, ClipboardTextIsInsertedAsItIsAndNothingWhenThereIsNone) {
    context.clipboard = QStringLiteral("{date} and {{ stay");
    expectFills({{"[{clipboard}]", "[{date} and {{ stay]"},
                 {"{clipboard}{clipboard}", "{date} and {{ stay{date} and {{ stay"}});
    context.clipboard = QString();
    expectFills({{"[{clipboard}]", "[]"}});
    context.clipboard.reset();
    expectFills({{"[{clipboard}]", "[]"}});
}

TEST_F(PlaceholderFillerTest, TheCaretCountsCodePointsAndLineBreaksAfterTheFirstCursorMark) {
    struct Case {
        QString body;
        QString text;
        int caretLeft;
    };
    context.clipboard = QStringLiteral("😀x");
    const Case cases[] = {
        {"a{cursor}b", "ab", 1},
        {"{cursor}", "", 0},
        {"abc{cursor}", "abc", 0},
        {"{cursor}😀é\n", "😀é\n", 3},
        {"{cursor}e\u0301", "e\u0301", 2},  // a combining accent is a code point of its own
        {"{cursor}a\r\nb\rc\n\nd", "a\r\nb\rc\n\nd", 8},
        {"<{cursor}{clipboard}>", "<😀x>", 3},
        {"a{cursor}b{cursor}c", "ab{cursor}c", 10},
        {"{{cursor}}{cursor}!", "{cursor}!", 1},
    };
    for (const Case& c : cases) {
        const FilledPhrase result = PlaceholderFiller::fill(c.body, context);
        EXPECT_EQ(result.text, c.text) << qPrintable(c.body);
        EXPECT_TRUE(result.hasCursor) << qPrintable(c.body);
        EXPECT_EQ(result.caretLeft, c.caretLeft) << qPrintable(c.body);
    }
}

TEST_F(PlaceholderFillerTest, OtherPhrasesAreFilledInUpToFiveDeepAndCyclesStayLiteral) {
    library[{"Mail", "Sign"}] = "Regards,\n{date:yyyy} {phrase:Mail/Name}";
    library[{"Mail", "Name"}] = "Ann";
    library[{"Work/Team", "Lead"}] = "Bo";
    expectFills(
        {{"Hi\n{phrase:Mail/Sign}", "Hi\nRegards,\n2026 Ann"}, {"{phrase:Work/Team/Lead}", "Bo"}});

    // p0 -> p1 -> ... -> p6: five levels below the body are filled, the sixth stays written.
    for (int i = 0; i < 6; ++i)
        library[{"C", QString("p%1").arg(i)}] = QString("%1{phrase:C/p%2}").arg(i).arg(i + 1);
    library[{"C", "p6"}] = "6";
    EXPECT_EQ(filled("{phrase:C/p0}"), "01234{phrase:C/p5}");
    EXPECT_EQ(filled("{phrase:C/p2}"), "23456") << "exactly five levels";

    library[{"C", "A"}] = "a{phrase:C/B}";
    library[{"C", "B"}] = "b{phrase:C/A}";
    library[{"C", "Self"}] = "s{phrase:C/Self}";
    expectFills({{"{phrase:C/A}", "ab{phrase:C/A}"},
                 {"{phrase:C/Self}", "s{phrase:C/Self}"},
                 {"{phrase:C/A}|{phrase:C/A}", "ab{phrase:C/A}|ab{phrase:C/A}"}});

    // The caret may be placed by a phrase filled in, counted in the whole text.
    library[{"C", "Caret"}] = "[{cursor}]";
    const FilledPhrase caret = PlaceholderFiller::fill("x{phrase:C/Caret}yz{cursor}", context);
    EXPECT_EQ(caret.text, "x[]yz{cursor}");
    EXPECT_EQ(caret.caretLeft, 11);
}

TEST_F(PlaceholderFillerTest, AReferenceUsedOftenIsLookedUpOnce) {
    library[{"C", "x"}] = "x";
    QString body;
    for (int i = 0; i < 1000; ++i) body += "{phrase:C/x}{phrase:No/ne}";
    EXPECT_EQ(filled(body), QString("x{phrase:No/ne}").repeated(1000));
    EXPECT_EQ(lookups, 2);

    lookups = 0;
    EXPECT_EQ(filled("{phrase:" + QString("a/").repeated(100) + "}"),
              "{phrase:" + QString("a/").repeated(100) + "}");
    EXPECT_LE(lookups, 8) << "a reference of many slashes is not tried every way";
}

TEST_F(PlaceholderFillerTest, FormFieldsAreListedOnceInOrderAndTakeTheAnswers) {
    library[{"F", "Inner"}] = "{input:Name} {choice:Size=S|M|L}";
    const QString body = "{choice:Tone=warm|cool}{phrase:F/Inner}{input:Name}{input:Date}";
    const QList<PlaceholderField> expected{{Kind::choice, "Tone", {"warm", "cool"}},
                                           {Kind::input, "Name", {}},
                                           {Kind::choice, "Size", {"S", "M", "L"}},
                                           {Kind::input, "Date", {}}};
    EXPECT_EQ(PlaceholderFiller::needs(body, context.lookup).fields, expected);
    EXPECT_TRUE(PlaceholderFiller::needs("{{input:x}} {date} {clipboard}", context.lookup)
                    .fields.isEmpty());

    // The clipboard is needed only where it is inserted, a nested phrase's included.
    library[{"F", "Quote"}] = "> {clipboard}";
    EXPECT_FALSE(PlaceholderFiller::needs(body + "{{clipboard}}", context.lookup).clipboard);
    EXPECT_TRUE(PlaceholderFiller::needs("{clipboard}", context.lookup).clipboard);
    EXPECT_TRUE(PlaceholderFiller::needs("Re: {phrase:F/Quote}", context.lookup).clipboard);

    EXPECT_EQ(filled(body), "warm S") << "no answers: empty inputs, first choices";
    context.answers = {{"Tone", "cool"}, {"Name", "{clipboard}"}, {"Size", "L"}, {"Date", "x"}};
    EXPECT_EQ(filled(body), "cool{clipboard} L{clipboard}x") << "answers are not filled in again";
}

TEST_F(PlaceholderFillerTest, HostileBodiesStopAtTheBoundsAndSayTheyDid) {
    context.clipboard = QString(1024 * 1024, u'c');
    const int copies = int(PlaceholderFiller::maxOutputLength / context.clipboard->size()) + 1;
    const FilledPhrase tooLong =
        PlaceholderFiller::fill(QString("{clipboard}").repeated(copies), context);
    EXPECT_FALSE(tooLong.complete);
    EXPECT_LE(tooLong.text.size(), PlaceholderFiller::maxOutputLength);

    // Bodies that write nothing but are read again and again.
    context.clipboard.reset();
    library[{"H", "empty"}] = QString("{clipboard}").repeated(1024 * 1024);
    library[{"H", "fan"}] = QString("{phrase:H/empty}").repeated(64);
    const FilledPhrase fan =
        PlaceholderFiller::fill(QString("{phrase:H/fan}").repeated(64), context);
    EXPECT_FALSE(fan.complete);
    EXPECT_TRUE(fan.text.isEmpty());

    const FilledPhrase fine = PlaceholderFiller::fill("{phrase:H/empty}!", context);
    EXPECT_TRUE(fine.complete);
    EXPECT_EQ(fine.text, "!");
}

}  // namespace
}  // namespace quillet
