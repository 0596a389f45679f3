#include "store/PhraseCategory.h"

#include <algorithm>

#include "store/PhraseItem.h"
#include "store/StorageContext.h"

namespace quillet {

PhraseCategory::PhraseCategory(QString name, qint64 sortOrder)
    : PhraseCategory(QUuid::createUuid(), std::move(name), sortOrder) {}

PhraseCategory::PhraseCategory(QUuid id, QString name, qint64 sortOrder)
    : Record(id), m_name(std::move(name)), m_sortOrder(sortOrder) {}

void PhraseCategory::setName(const QString& name) {
    if (name == m_name) return;
    m_name = name;
    didChange();
}

void PhraseCategory::setSortOrder(qint64 sortOrder) {
    if (sortOrder == m_sortOrder) return;
    m_sortOrder = sortOrder;
    didChange();
}

std::vector<std::shared_ptr<PhraseItem>> PhraseCategory::items() const {
    StorageContext* store = context();
    if (store == nullptr || isDeleted()) return {};
    return store->phrasesOf(id());
}

std::vector<std::shared_ptr<PhraseItem>> PhraseCategory::sortedItems() const {
    auto list = items();
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return a->sortOrder() < b->sortOrder(); });
    return list;
}

}  // namespace quillet
