#include "store/PhraseItem.h"

#include "store/PhraseCategory.h"

namespace quillet {

PhraseItem::PhraseItem(QString title, QString body, qint64 sortOrder)
    : PhraseItem(QUuid::createUuid(), std::move(title), std::move(body), sortOrder) {}

PhraseItem::PhraseItem(QUuid id, QString title, QString body, qint64 sortOrder)
    : Record(id), m_title(std::move(title)), m_body(std::move(body)), m_sortOrder(sortOrder) {}

void PhraseItem::setTitle(const QString& title) {
    if (title == m_title) return;
    m_title = title;
    didChange();
}

void PhraseItem::setBody(const QString& body) {
    if (body == m_body) return;
    m_body = body;
    didChange();
}

void PhraseItem::setAbbreviation(const QString& abbreviation) {
    if (abbreviation == m_abbreviation) return;
    m_abbreviation = abbreviation;
    didChange();
}

void PhraseItem::setSortOrder(qint64 sortOrder) {
    if (sortOrder == m_sortOrder) return;
    m_sortOrder = sortOrder;
    didChange();
}

void PhraseItem::setCategory(std::shared_ptr<PhraseCategory> category) {
    if (category == m_category) return;
    m_category = std::move(category);
    didChange();
}

QUuid PhraseItem::categoryId() const {
    return m_category ? m_category->id() : QUuid();
}

}  // namespace quillet
