#include <gtest/gtest.h>

#include "menus/HistoryItemDelegate.h"
#include "menus/HistoryListModel.h"

namespace quillet {
namespace {

using Spans = QList<QPair<qsizetype, qsizetype>>;

TEST(MatchHighlightTest, EveryExactOccurrenceIsMarkedLeftToRight) {
    EXPECT_EQ(HistoryItemDelegate::matchSpans("abcabc", "bc"), (Spans{{1, 2}, {4, 2}}));
    EXPECT_EQ(HistoryItemDelegate::matchSpans("aaaa", "aa"), (Spans{{0, 2}, {2, 2}}))
        << "occurrences do not overlap";
    EXPECT_TRUE(HistoryItemDelegate::matchSpans("ABC", "abc").isEmpty()) << "case matters";
    EXPECT_EQ(HistoryItemDelegate::matchSpans("ABC abc ÄBC", "äbc", Qt::CaseInsensitive),
              (Spans{{8, 3}}))
        << "unless the search ignores it";
    EXPECT_EQ(HistoryItemDelegate::matchSpans("Fox fOX", "fox", Qt::CaseInsensitive),
              (Spans{{0, 3}, {4, 3}}));
    EXPECT_TRUE(HistoryItemDelegate::matchSpans("abc", "").isEmpty());
}

TEST(MatchHighlightTest, TheTooltipShowsTheFirstLinesAndTheLineOfAMatchFurtherDown) {
    QStringList lines;
    for (int i = 1; i <= 300; ++i) lines << QString("line %1").arg(i);
    lines[249] = "the <needle> is here";
    const QString content = lines.join('\n');

    const QString far = HistoryListModel::tooltip(content, "<needle>");
    EXPECT_TRUE(far.contains("line 40<br>")) << "the first forty lines";
    EXPECT_FALSE(far.contains("line 41<br>"));
    EXPECT_TRUE(far.contains("Line 250: the &lt;needle&gt; is here")) << qPrintable(far);
    EXPECT_FALSE(far.contains("<needle>")) << "clip text is never markup";

    EXPECT_TRUE(
        HistoryListModel::tooltip(content, "<NEEDLE>", Qt::CaseInsensitive).contains("Line 250: "))
        << "a match in any case is shown too";
    EXPECT_FALSE(HistoryListModel::tooltip(content, "<NEEDLE>").contains("Line 250: "));

    const QString near = HistoryListModel::tooltip(content, "line 3");
    EXPECT_FALSE(near.contains("Line ")) << "a match among the shown lines adds nothing";

    const QString longLine = QString(10'000, u'x') + "needle";
    const QString cut = HistoryListModel::tooltip(longLine, "needle");
    EXPECT_LT(cut.size(), 1000) << "a long line is cut";
    EXPECT_TRUE(cut.contains("Line 1: ")) << "the match, beyond the cut, is shown";
    EXPECT_TRUE(cut.contains("needle"));
}

}  // namespace
}  // namespace quillet
