#include "phrases/PhraseRowDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QRegularExpression>

#include "phrases/PhraseListModels.h"

namespace quillet {

namespace {

constexpr int kMargin = 6;
constexpr int kGap = 2;

QFont titleFont(const QFont& base) {
    QFont font = base;
    font.setBold(true);
    return font;
}

QFont bodyFont(const QFont& base) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.9);
    return font;
}

}  // namespace

QString PhraseRowDelegate::firstLine(const QString& body) {
    static const QRegularExpression lineBreak(QStringLiteral("[\\r\\n\\x{2028}\\x{2029}]"));
    const qsizetype lineEnd = body.indexOf(lineBreak);
    if (lineEnd < 0) return body;
    return body.left(lineEnd) + QChar(0x2026);
}

int PhraseRowDelegate::drawAbbreviation(QPainter* painter, const QRect& line,
                                        const QString& abbreviation, const QFontMetrics& metrics,
                                        int gap) {
    if (abbreviation.isEmpty()) return 0;
    const QString shown = metrics.elidedText(abbreviation, Qt::ElideRight, line.width() / 3);
    painter->drawText(line, Qt::AlignRight | Qt::AlignVCenter, shown);
    return metrics.horizontalAdvance(shown) + gap;
}

void PhraseRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    const QRect area = option.rect.adjusted(kMargin, kMargin / 2, -kMargin, -kMargin / 2);
    const QFont title = titleFont(option.font);
    const QFont body = bodyFont(option.font);
    const QFontMetrics titleMetrics(title);
    const QFontMetrics bodyMetrics(body);

    QColor dimmed = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    dimmed.setAlphaF(0.6f);
    painter->save();
    const QRect titleRect(area.left(), area.top(), area.width(), titleMetrics.height());
    // The abbreviation, if any, at the right end of the title's line, as in the phrase menu.
    painter->setFont(body);
    painter->setPen(dimmed);
    const int abbreviationWidth = drawAbbreviation(
        painter, titleRect, index.data(PhraseListModel::AbbreviationRole).toString(), bodyMetrics,
        2 * kMargin);
    painter->setFont(title);
    painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
                      titleMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                              Qt::ElideRight, area.width() - abbreviationWidth));
    painter->setFont(body);
    painter->setPen(dimmed);
    const QRect bodyRect(area.left(), titleRect.bottom() + 1 + kGap, area.width(),
                         bodyMetrics.height());
    painter->drawText(
        bodyRect, Qt::AlignLeft | Qt::AlignVCenter,
        bodyMetrics.elidedText(firstLine(index.data(PhraseListModel::BodyRole).toString()),
                               Qt::ElideRight, area.width()));
    painter->restore();
}

QSize PhraseRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    const int height = QFontMetrics(titleFont(option.font)).height() + kGap +
                       QFontMetrics(bodyFont(option.font)).height() + kMargin;
    return {option.rect.width() > 0 ? option.rect.width() : 200, height};
}

}  // namespace quillet
