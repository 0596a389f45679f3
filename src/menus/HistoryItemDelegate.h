#pragma once

#include <QDateTime>
#include <QFont>
#include <QIcon>
#include <QStringList>
#include <QStyledItemDelegate>

namespace quillet {

class Clock;

// "just now", "5 minutes ago", ...: how long ago `then` was, seen at `now`.
QString relativeTimeText(const QDateTime& then, const QDateTime& now);

// Paints one clip of the history list: a document icon, the first two lines of the text in
// the fixed-pitch font and, below them, how long ago the clip was copied. Every row has the
// same height, so a view with uniform item sizes never measures the rows one by one.
class HistoryItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit HistoryItemDelegate(Clock& clock, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The lines a row shows for `text` in `font` within `width` pixels: at most `maxLines`,
    // wrapped at word boundaries, taken from the first `maxLines` lines of the text only; the
    // last one ends in an ellipsis when anything is left out.
    static QStringList previewLines(const QString& text, const QFont& font, int width,
                                    int maxLines = contentLines);

    // How long ago the row's clip was copied, as a row shows it now, and as it was last
    // painted (empty for a row not painted since the last forgetPaintedTimes()).
    QString timeText(const QModelIndex& index) const;
    QString paintedTime(int row) const { return m_paintedTimes.value(row); }
    void forgetPaintedTimes() { m_paintedTimes.clear(); }

    // The text whose occurrences are marked in every row (the search), empty for none, and
    // whether case counts in finding them.
    void setHighlight(const QString& text, Qt::CaseSensitivity cs = Qt::CaseSensitive) {
        m_highlight = text;
        m_highlightCase = cs;
    }
    // Where `query` occurs in `line`, as (start, length) pairs, left to right, not overlapping.
    static QList<QPair<qsizetype, qsizetype>> matchSpans(
        const QString& line, const QString& query, Qt::CaseSensitivity cs = Qt::CaseSensitive);

    QFont contentFont() const { return m_contentFont; }
    QFont timeFont() const { return m_timeFont; }

    static constexpr int contentLines = 2;
    static constexpr int iconColumnWidth = 20;
    static constexpr int spacing = 12;
    static constexpr int lineGap = 4;  // between the text and the time below it
    static constexpr int verticalPadding = 8;
    static constexpr int horizontalPadding = 12;

private:
    int rowHeight() const;

    Clock& m_clock;
    QFont m_contentFont;
    QFont m_timeFont;
    QIcon m_documentIcon;
    QString m_highlight;
    Qt::CaseSensitivity m_highlightCase = Qt::CaseSensitive;
    mutable QHash<int, QString> m_paintedTimes;  // row -> the time text it shows
};

}  // namespace quillet
