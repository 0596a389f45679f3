#include "menus/HistoryItemDelegate.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <algorithm>
#include <vector>

#include "menus/BlankTextMarker.h"
#include "menus/HistoryListModel.h"
#include "base/Clock.h"

namespace quillet {

namespace {

bool isLineBreak(QChar c) {
    return c == u'\n' || c == u'\r';
}

// The visual lines of one text line wrapped to `width`, at most `limit` of them.
QStringList wrapped(const QString& line, const QFont& font, int width, qsizetype limit) {
    if (line.isEmpty()) return {QString()};
    QTextLayout layout(line, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    while (lines.size() < limit) {
        QTextLine visual = layout.createLine();
        if (!visual.isValid()) break;
        visual.setLineWidth(width);
        lines << line.mid(visual.textStart(), visual.textLength());
    }
    layout.endLayout();
    return lines;
}

}  // namespace

QString relativeTimeText(const QDateTime& then, const QDateTime& now) {
    if (!then.isValid() || !now.isValid()) return {};
    // A clip stamped slightly in the future (the clock was set back) is simply new.
    const qint64 seconds = then.secsTo(now);
    //% "just now"
    if (seconds < 5) return qtTrId("RELATIVE_JUST_NOW");
    //% "%n second(s) ago"
    if (seconds < 60) return qtTrId("RELATIVE_SECONDS", int(seconds));
    const qint64 minutes = seconds / 60;
    //% "%n minute(s) ago"
    if (minutes < 60) return qtTrId("RELATIVE_MINUTES", int(minutes));
    const qint64 hours = minutes / 60;
    //% "%n hour(s) ago"
    if (hours < 24) return qtTrId("RELATIVE_HOURS", int(hours));
    const qint64 days = hours / 24;
    //% "%n day(s) ago"
    if (days < 7) return qtTrId("RELATIVE_DAYS", int(days));
    //% "%n week(s) ago"
    if (days < 30) return qtTrId("RELATIVE_WEEKS", int(days / 7));
    //% "%n month(s) ago"
    if (days < 365) return qtTrId("RELATIVE_MONTHS", int(days / 30));
    //% "%n year(s) ago"
    return qtTrId("RELATIVE_YEARS", int(days / 365));
}

HistoryItemDelegate::HistoryItemDelegate(Clock& clock, QObject* parent)
    : QStyledItemDelegate(parent),
      m_clock(clock),
      m_contentFont(QFontDatabase::systemFont(QFontDatabase::FixedFont)),
      m_timeFont(QApplication::font()),
      m_documentIcon(QIcon::fromTheme(QStringLiteral("text-x-generic"))) {
    if (m_timeFont.pointSizeF() > 0)
        m_timeFont.setPointSizeF(m_timeFont.pointSizeF() * 0.85);
    else
        m_timeFont.setPixelSize(std::max(8, m_timeFont.pixelSize() * 85 / 100));
    if (m_documentIcon.isNull())
        m_documentIcon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
}

QStringList HistoryItemDelegate::previewLines(const QString& text, const QFont& font, int width,
                                              int maxLines) {
    if (maxLines <= 0) return {};
    width = std::max(width, 1);
    // No glyph is narrower than a pixel, so this much of a line always fills the row; a
    // megabyte-long line is never laid out.
    const qsizetype lineCap = qsizetype(maxLines) * width + 1;

    QStringList visual;
    bool omitted = false;
    qsizetype pos = 0;
    for (int logical = 0; logical < maxLines; ++logical) {
        const qsizetype limit = std::min(text.size(), pos + lineCap);
        qsizetype end = pos;
        while (end < limit && !isLineBreak(text[end])) ++end;
        if (end == limit && limit < text.size() && !isLineBreak(text[end])) omitted = true;
        QString line = text.mid(pos, end - pos);
        line.replace(u'\t', QStringLiteral("    "));
        visual += wrapped(line, font, width, maxLines + 1 - visual.size());
        if (visual.size() > maxLines || omitted) break;

        if (end >= text.size()) break;
        pos =
            end + ((text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1);
        if (logical == maxLines - 1) {
            // Lines past the shown ones count only if they hold more than white space.
            omitted =
                std::any_of(text.begin() + pos, text.end(), [](QChar c) { return !c.isSpace(); });
        }
    }

    if (visual.size() > maxLines) {
        omitted = true;
        visual.resize(maxLines);
    }
    if (omitted && !visual.isEmpty()) {
        QString& last = visual.last();
        while (!last.isEmpty() && last.back().isSpace()) last.chop(1);
        last = QFontMetrics(font).elidedText(last + QChar(0x2026), Qt::ElideRight, width);
    }
    return visual;
}

QList<QPair<qsizetype, qsizetype>> HistoryItemDelegate::matchSpans(const QString& line,
                                                                   const QString& query,
                                                                   Qt::CaseSensitivity cs) {
    QList<QPair<qsizetype, qsizetype>> spans;
    if (query.isEmpty()) return spans;
    // Simple case folding maps a character to one of the same length: a match is as long as
    // the query either way.
    for (qsizetype at = line.indexOf(query, 0, cs); at >= 0;
         at = line.indexOf(query, at + query.size(), cs))
        spans.append({at, query.size()});
    return spans;
}

QString HistoryItemDelegate::timeText(const QModelIndex& index) const {
    return relativeTimeText(index.data(HistoryListModel::TimestampRole).toDateTime(),
                            m_clock.now());
}

int HistoryItemDelegate::rowHeight() const {
    const QFontMetrics content(m_contentFont);
    const QFontMetrics time(m_timeFont);
    // The divider under the row takes the last pixel.
    return verticalPadding + contentLines * content.lineSpacing() + lineGap + time.height() +
           verticalPadding + 1;
}

QSize HistoryItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    // The width follows the view; only the height matters to a list.
    return {std::max(option.rect.width(), 1), rowHeight()};
}

void HistoryItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const QRect row = option.rect;
    const QPalette& palette = option.palette;
    painter->save();
    painter->setClipRect(row);

    if (index.data(HistoryListModel::SelectedRole).toBool()) {
        QColor highlight = palette.color(QPalette::Highlight);
        highlight.setAlphaF(0.25);
        painter->fillRect(row.adjusted(0, 0, 0, -1), highlight);
    }
    QColor divider = palette.color(QPalette::WindowText);
    divider.setAlphaF(0.15);
    painter->setPen(divider);
    painter->drawLine(row.left(), row.bottom(), row.right(), row.bottom());

    const QRect inner =
        row.adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding - 1);
    const int iconSize = std::min(16, inner.height());
    const QRect iconRect(inner.left() + (iconColumnWidth - iconSize) / 2,
                         inner.top() + (inner.height() - iconSize) / 2, iconSize, iconSize);
    m_documentIcon.paint(painter, iconRect, Qt::AlignCenter, QIcon::Disabled);

    const int textLeft = inner.left() + iconColumnWidth + spacing;
    const int textWidth = inner.right() + 1 - textLeft;
    const QFontMetrics contentMetrics(m_contentFont);
    const QFontMetrics timeMetrics(m_timeFont);
    const QString content = index.data(HistoryListModel::ContentRole).toString();
    // White space alone would leave the row empty: its marker is shown, dimmed, instead.
    const bool blank = isBlankText(content);
    const QStringList lines =
        blank ? QStringList{contentMetrics.elidedText(blankTextMarker(content), Qt::ElideRight,
                                                      textWidth)}
              : previewLines(content, m_contentFont, textWidth);
    const int blockHeight =
        int(lines.size()) * contentMetrics.lineSpacing() + lineGap + timeMetrics.height();
    int y = inner.top() + std::max(0, (inner.height() - blockHeight) / 2);

    painter->setFont(m_contentFont);
    painter->setPen(palette.color(blank ? QPalette::PlaceholderText : QPalette::WindowText));
    QColor mark = palette.color(QPalette::Highlight);
    mark.setAlphaF(0.35);
    for (const QString& line : lines) {
        // What the search matched, marked behind the text (a match cut by a wrap or the
        // ellipsis is not marked; the tooltip shows the whole line).
        for (const auto& [start, length] :
             matchSpans(line, blank ? QString() : m_highlight, m_highlightCase)) {
            const int x = textLeft + contentMetrics.horizontalAdvance(line.left(start));
            const int w = contentMetrics.horizontalAdvance(line.mid(start, length));
            painter->fillRect(QRect(x, y, w, contentMetrics.height()), mark);
        }
        painter->drawText(textLeft, y + contentMetrics.ascent(), line);
        y += contentMetrics.lineSpacing();
    }
    y += lineGap;
    painter->setFont(m_timeFont);
    painter->setPen(palette.color(QPalette::PlaceholderText));
    const QString when = timeText(index);
    m_paintedTimes.insert(index.row(), when);
    painter->drawText(textLeft, y + timeMetrics.ascent(),
                      timeMetrics.elidedText(when, Qt::ElideRight, textWidth));
    painter->restore();
}

}  // namespace quillet
