#pragma once

#include <QStyledItemDelegate>

namespace quillet {

// A phrase row: its title, then its body on one dimmed, elided line.
class PhraseRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The first line of `body`, marked as cut when more lines follow.
    static QString firstLine(const QString& body);
    // Draws a phrase's abbreviation at the right end of its title's `line`, with the painter's
    // font (which `metrics` measures) and pen, cut to a third of the line. Returns the width
    // it takes, `gap` before the title included; 0 without an abbreviation.
    static int drawAbbreviation(QPainter* painter, const QRect& line, const QString& abbreviation,
                                const QFontMetrics& metrics, int gap);
};

}  // namespace quillet
