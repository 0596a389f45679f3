#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>

#include "fakes/ManualClock.h"
#include "menus/BlankTextMarker.h"
#include "menus/HistoryItemDelegate.h"
#include "menus/HistoryListModel.h"

namespace quillet {
namespace {

// --- relative time -----------------------------------------------------------------------

TEST(RelativeTime, CountsInTheLargestWholeUnit) {
    const QDateTime now = test::ManualClock().now();
    const std::pair<qint64, const char*> secondsBeforeAndShown[] = {
        {-3600, "just now"},  // a clock set back must not show negative ages
        {4, "just now"},
        {5, "5 seconds ago"},
        {59, "59 seconds ago"},
        {60, "1 minute ago"},
        {2 * 60 + 59, "2 minutes ago"},
        {3600, "1 hour ago"},
        {23 * 3600 + 3599, "23 hours ago"},
        {24 * 3600, "1 day ago"},
        {6 * 86400, "6 days ago"},
        {7 * 86400, "1 week ago"},
        {29 * 86400, "4 weeks ago"},
        {30 * 86400, "1 month ago"},
        {200 * 86400, "6 months ago"},
        {365 * 86400, "1 year ago"},
        {1000 * 86400, "2 years ago"},
    };
    for (const auto& [before, shown] : secondsBeforeAndShown)
        EXPECT_EQ(relativeTimeText(now.addSecs(-before), now), shown) << before;
    EXPECT_EQ(relativeTimeText(QDateTime(), now), "") << "no stamp, no time";
}

// --- preview lines -----------------------------------------------------------------------

class PreviewLinesTest : public ::testing::Test {
protected:
    QStringList lines(const QString& text, int width = 1000) {
        return HistoryItemDelegate::previewLines(text, font, width);
    }
    const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFontMetrics metrics{font};
};

TEST_F(PreviewLinesTest, AtMostTheFirstTwoNonBlankLinesAreShown) {
    const QString more = QString(QChar(0x2026));
    EXPECT_EQ(lines("hello"), QStringList{"hello"});
    EXPECT_EQ(lines("a\tb"), QStringList{"a    b"}) << "tabs become spaces";
    EXPECT_EQ(lines("one\r\ntwo"), (QStringList{"one", "two"}));
    EXPECT_EQ(lines("one\ntwo\n\n  \n"), (QStringList{"one", "two"}))
        << "trailing blank lines hide nothing";
    EXPECT_EQ(lines("first\nsecond\nthird"), (QStringList{"first", "second" + more}));
    EXPECT_EQ(lines("\n\nthird"), (QStringList{"", more}));
}

TEST_F(PreviewLinesTest, LongLinesWrapIntoTwoCutToTheRow) {
    const int width = metrics.horizontalAdvance(QString(20, u'x'));
    const QString fits = "alpha beta gamma delta";
    EXPECT_EQ(lines(fits, width).join(' ').simplified(), fits) << "a short wrap loses nothing";
    const QString text = fits + " epsilon zeta eta theta iota kappa lambda";
    // A huge single line is cut without laying it all out.
    for (const QString& line : {text, QString(2'000'000, u'q')}) {
        const QStringList shown = lines(line, width);
        ASSERT_EQ(shown.size(), 2);
        EXPECT_TRUE(line.startsWith(shown[0])) << qPrintable(shown[0]);
        EXPECT_TRUE(shown[1].endsWith(QChar(0x2026))) << qPrintable(shown[1]);
        for (const QString& part : shown) EXPECT_LE(metrics.horizontalAdvance(part), width);
    }
}

// --- white space only ----------------------------------------------------------------

TEST(BlankTextMarker, WhiteSpaceAloneIsShownAsSymbolsAndALabel) {
    EXPECT_TRUE(isBlankText("   "));
    EXPECT_TRUE(isBlankText("\u3000\u00a0\n"));
    EXPECT_FALSE(isBlankText(""));
    EXPECT_FALSE(isBlankText(" a "));
    EXPECT_EQ(blankTextSymbols("  \t\r\n\r\n"), "␣␣⇥↵↵") << "CR LF is one line break";
    EXPECT_EQ(blankTextSymbols(QString(30, ' '), 5), "␣␣␣␣␣…");
    EXPECT_EQ(blankTextMarker(" "), "␣  (white space only)");
    EXPECT_EQ(blankTextMarker("x"), "");
}

TEST(HistoryItemDelegateTest, ARowOfWhiteSpaceOnlyDrawsItsMarker) {
    test::ManualClock clock;
    HistoryItemDelegate delegate(clock);
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 400, 10);
    option.rect.setHeight(delegate.sizeHint(option, {}).height());
    option.palette.setColor(QPalette::Base, Qt::white);
    // Ink in the rows' text lines (not the icon, not the time below), for a clip's text.
    auto inkInText = [&](const QString& content) {
        QStandardItemModel model;
        auto* item = new QStandardItem;
        item->setData(content, HistoryListModel::ContentRole);
        model.appendRow(item);
        QImage image(option.rect.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        delegate.paint(&painter, option, model.index(0, 0));
        painter.end();
        const int left = HistoryItemDelegate::horizontalPadding +
                         HistoryItemDelegate::iconColumnWidth + HistoryItemDelegate::spacing;
        const int bottom = option.rect.height() - HistoryItemDelegate::verticalPadding -
                           QFontMetrics(delegate.timeFont()).height() -
                           HistoryItemDelegate::lineGap;
        int ink = 0;
        for (int y = 0; y < bottom; ++y)
            for (int x = left; x < image.width(); ++x) ink += image.pixel(x, y) != qRgb(255, 255, 255);
        return ink;
    };
    EXPECT_EQ(inkInText(""), 0) << "nothing to show draws nothing";
    EXPECT_GT(inkInText("   "), 0);
    EXPECT_GT(inkInText("\n\t"), 0);
}

// --- row size ----------------------------------------------------------------------------

TEST(HistoryItemDelegateTest, EveryRowHasTheSameHeightWhateverItsText) {
    test::ManualClock clock;
    HistoryItemDelegate delegate(clock);
    QStandardItemModel model;
    model.appendRow(new QStandardItem("one line"));
    model.appendRow(new QStandardItem("one\ntwo\nthree\nfour\nfive"));
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 400, 10);

    const QSize first = delegate.sizeHint(option, model.index(0, 0));
    EXPECT_EQ(first, delegate.sizeHint(option, model.index(1, 0)));
    const int needed = 2 * QFontMetrics(delegate.contentFont()).lineSpacing() +
                       QFontMetrics(delegate.timeFont()).height() +
                       2 * HistoryItemDelegate::verticalPadding;
    EXPECT_GE(first.height(), needed) << "room for two lines of text and the time";
}

}  // namespace
}  // namespace quillet
