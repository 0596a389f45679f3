#include <gtest/gtest.h>

#include <chrono>

#include "settings/FeedReader.h"
#include "support/FeedServer.h"

namespace quillet {
namespace {

using namespace std::chrono_literals;
using Kind = UpdateCheckError::Kind;

QByteArray enclosure(const QByteArray& extraAttributes = {}) {
    return "<enclosure url=\"https://example.org/q.tgz\" sparkle:shortVersionString=\"2.0\"" +
           extraAttributes + "/>";
}

QByteArray feed(const QByteArray& itemContent) {
    return test::feedWithItems("<item>" + itemContent + "</item>");
}

QByteArray attributes(int count) {
    QByteArray out;
    for (int i = 0; i < count; ++i) out += " a" + QByteArray::number(i) + "=\"v\"";
    return out;
}

// Reads to the end in slices of `budget`; `slices` counts them.
UpdateResult readAll(const QByteArray& body, std::chrono::nanoseconds budget = 10ms,
                     int* slices = nullptr) {
    FeedReader reader(body);
    int count = 1;
    while (!reader.readFor(budget)) ++count;
    if (slices) *slices = count;
    return reader.result();
}

QString refusal(const UpdateResult& result) {
    const auto* error = std::get_if<UpdateCheckError>(&result);
    if (!error || error->kind() != Kind::parseError) return QStringLiteral("<not refused>");
    return error->description();
}

TEST(FeedReaderTest, ElementsTooLargeForOneSliceRefuseTheFeed) {
    // Two attributes of the enclosure's own leave room for this many more.
    const int room = FeedReader::maxAttributesPerElement - 2;
    EXPECT_TRUE(std::holds_alternative<UpdateInfo>(readAll(feed(enclosure(attributes(room))))));
    EXPECT_TRUE(refusal(readAll(feed(enclosure(attributes(room + 1))))).contains("attributes"));
    // The campaign's start tag: it used to hold the loop for seconds.
    EXPECT_TRUE(refusal(readAll(feed(enclosure(attributes(90'000))))).contains("attributes"));

    const QByteArray longValue(FeedReader::maxStartTagBytes, 'v');
    EXPECT_TRUE(refusal(readAll(feed(enclosure(" title=\"" + longValue + "\""))))
                    .contains("longer than"));
    const QByteArray deep = QByteArray("<d>").repeated(FeedReader::maxDepth);
    EXPECT_TRUE(refusal(readAll(feed(deep + QByteArray("</d>").repeated(FeedReader::maxDepth))))
                    .contains("deeper"));
    EXPECT_TRUE(refusal(readAll("<!DOCTYPE rss [<!ENTITY a \"b\">]>" + feed(enclosure())))
                    .contains("Document type"));
    const QString utf16 = QString::fromUtf8(feed(enclosure()));
    EXPECT_TRUE(refusal(readAll(QByteArray(reinterpret_cast<const char*>(utf16.utf16()),
                                           utf16.size() * 2)))
                    .contains("UTF-8"));
}

TEST(FeedReaderTest, MarkupInsideCommentsValuesAndCDataIsNotCounted) {
    const QByteArray many = attributes(FeedReader::maxAttributesPerElement * 2);
    const QByteArray quoted = QByteArray(many).replace('"', '\'');
    const QByteArray body = feed("<!--<x" + many + ">--><![CDATA[<x" + many + ">]]><?pi" + many +
                                 "?>" + enclosure(" title=\"x" + quoted + ">\""));
    EXPECT_TRUE(std::holds_alternative<UpdateInfo>(readAll(body)))
        << qPrintable(refusal(readAll(body)));
}

TEST(FeedReaderTest, LongTextsAreKeptOnlyUpToTheirCaps) {
    const QByteArray huge(1'000'000, 'x');
    auto result = readAll(feed("<description>" + huge + "</description><pubDate>" + huge +
                               "</pubDate>" + enclosure()));
    ASSERT_TRUE(std::holds_alternative<UpdateInfo>(result));
    const UpdateInfo& info = std::get<UpdateInfo>(result);
    EXPECT_EQ(info.releaseNotes->size(), FeedParser::maxReleaseNotesLength);
    EXPECT_EQ(info.publishedAt->size(), FeedParser::maxPublishedAtLength);

    // Text in many pieces (split by comments) is capped the same way.
    const QByteArray pieces = QByteArray("ab<!---->").repeated(100'000);
    result = readAll(feed("<description>" + pieces + "</description>" + enclosure()));
    ASSERT_TRUE(std::holds_alternative<UpdateInfo>(result));
    EXPECT_EQ(std::get<UpdateInfo>(result).releaseNotes->size(), FeedParser::maxReleaseNotesLength);
    EXPECT_TRUE(std::get<UpdateInfo>(result).releaseNotes->startsWith("abab"));
}

TEST(FeedReaderTest, ManyTokensAreReadOverSeveralSlices) {
    const QByteArray lines = QByteArray("<b>line</b>\n").repeated(80'000);
    int slices = 0;
    const auto result = readAll(feed("<description>" + lines + "</description>" + enclosure()),
                                0ns, &slices);
    EXPECT_TRUE(std::holds_alternative<UpdateInfo>(result));
    EXPECT_GT(slices, 100) << "an empty budget still gives the loop its turn between slices";
}

TEST(ReleaseNotesExcerptTest, LongNotesAreCutAtTheirCapsWithAnEllipsis) {
    const QString shortNotes = QString("a line\n").repeated(NotesExcerpt::maxLines - 1) + "last";
    EXPECT_EQ(releaseNotesExcerpt(shortNotes).text, shortNotes);
    EXPECT_FALSE(releaseNotesExcerpt(shortNotes).isCut);

    const NotesExcerpt wide = releaseNotesExcerpt(QString(1'000'000, u'x'));
    EXPECT_TRUE(wide.isCut);
    EXPECT_EQ(wide.text, QString(NotesExcerpt::maxLength, u'x') + u'\u2026');

    const NotesExcerpt tall = releaseNotesExcerpt(QString("l\n").repeated(200'000));
    EXPECT_TRUE(tall.isCut);
    EXPECT_EQ(tall.text.count(u'\n'), NotesExcerpt::maxLines - 1);
    EXPECT_TRUE(tall.text.endsWith(u'\u2026'));

    // A character outside the BMP across the cut is dropped whole.
    const QString emoji = QString::fromUtf8("\U0001F600");
    const QString notes = QString(NotesExcerpt::maxLength - 1, u'y') + emoji + "tail";
    EXPECT_EQ(releaseNotesExcerpt(notes).text, QString(NotesExcerpt::maxLength - 1, u'y') + u'\u2026');
}

}  // namespace
}  // namespace quillet
