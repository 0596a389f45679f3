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
};

}  // namespace quillet
