#include "menus/PhraseSearchModel.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>

#include "menus/BlankTextMarker.h"
#include "phrases/PhraseRowDelegate.h"
#include "store/Record.h"
#include "store/StorageContext.h"

namespace quillet {

namespace {

constexpr int margin = 8;
constexpr int gap = 12;

// The body's first line with something on it, spaces run together.
QString firstLine(const QString& body) {
    for (const QString& line : body.split(u'\n'))
        if (const QString simple = line.simplified(); !simple.isEmpty()) return simple;
    return {};
}

}  // namespace

PhraseSearchModel::PhraseSearchModel(StorageContext& context, QObject* parent)
    : QAbstractListModel(parent), m_context(context) {
    connect(&m_context, &StorageContext::didSave, this, &PhraseSearchModel::noteSave);
}

void PhraseSearchModel::noteSave(const SaveSummary& summary) {
    if (!m_current) return;
    auto touchesLibrary = [](const std::vector<std::shared_ptr<Record>>& records) {
        return std::any_of(records.begin(), records.end(), [](const auto& record) {
            return record->entity() != Record::Entity::Clip;
        });
    };
    if (touchesLibrary(summary.inserted) || touchesLibrary(summary.changed) ||
        touchesLibrary(summary.deleted))
        m_current = false;
}

void PhraseSearchModel::search(const QString& text) {
    beginResetModel();
    m_text = text;
    m_hits = PhraseSearch::find(m_context.handle(), text, maxRows);
    m_current = text.isEmpty();
    m_highlighted = m_hits.empty() ? -1 : 0;
    endResetModel();
    emit highlightChanged(m_highlighted);
}

void PhraseSearchModel::showAll() {
    if (!m_current) return search(QString());
    if (m_highlighted != (m_hits.empty() ? -1 : 0)) {
        m_highlighted = m_hits.empty() ? -1 : 0;
        emit highlightChanged(m_highlighted);
    }
}

int PhraseSearchModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_hits.size());
}

const PhraseHit* PhraseSearchModel::hitAt(int row) const {
    return row >= 0 && row < int(m_hits.size()) ? &m_hits[size_t(row)] : nullptr;
}

QVariant PhraseSearchModel::data(const QModelIndex& index, int role) const {
    const PhraseHit* hit = hitAt(index.row());
    if (!hit) return {};
    switch (role) {
        case Qt::DisplayRole:
            return isBlankText(hit->title) ? blankTextMarker(hit->title) : hit->title;
        case AbbreviationRole:
            return hit->abbreviation;
        case BodyRole:
            return firstLine(hit->bodyStart);
        case CategoryRole:
            return hit->category;
        default:
            return {};
    }
}

void PhraseSearchModel::moveHighlight(int step) {
    if (m_hits.empty()) return;
    const int row = std::clamp(m_highlighted + step, 0, int(m_hits.size()) - 1);
    if (row == m_highlighted) return;
    m_highlighted = row;
    emit highlightChanged(row);
}

void PhraseHitDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);

    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    const QColor strong = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const QColor dim = selected ? strong : palette.color(QPalette::PlaceholderText);
    const QRect area = option.rect.adjusted(margin, margin / 2, -margin, -margin / 2);
    const int lineHeight = option.fontMetrics.height();
    const QRect first(area.left(), area.top(), area.width(), lineHeight);
    const QRect second(area.left(), area.top() + lineHeight, area.width(), lineHeight);

    painter->save();
    painter->setPen(dim);
    const int abbreviationWidth = PhraseRowDelegate::drawAbbreviation(
        painter, first, index.data(PhraseSearchModel::AbbreviationRole).toString(),
        option.fontMetrics, gap);
    painter->setPen(strong);
    const QRect titleRect = first.adjusted(0, 0, -abbreviationWidth, 0);
    painter->drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(index.data().toString().simplified(),
                                                    Qt::ElideRight, titleRect.width()));
    painter->setPen(dim);
    painter->drawText(second, Qt::AlignLeft | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(
                          index.data(PhraseSearchModel::BodyRole).toString(), Qt::ElideRight,
                          second.width()));
    painter->restore();
}

QSize PhraseHitDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), 2 * option.fontMetrics.height() + margin};
}

}  // namespace quillet
