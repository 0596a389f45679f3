#include "phrases/PhraseOrdering.h"

#include <algorithm>

#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"

namespace quillet::PhraseOrdering {

namespace {

qint64 largestSortOrder(const std::vector<std::shared_ptr<PhraseItem>>& existing) {
    qint64 largest = -1;
    for (const auto& phrase : existing) largest = std::max(largest, phrase->sortOrder());
    return largest;
}

}  // namespace

qint64 newPhraseSortOrder(const std::vector<std::shared_ptr<PhraseItem>>& existing) {
    return existing.empty() ? 0 : largestSortOrder(existing) + 1;
}

std::vector<qint64> importedSortOrders(const std::vector<std::shared_ptr<PhraseItem>>& existing,
                                       qsizetype importedCount) {
    const qint64 first = largestSortOrder(existing) + 1;
    std::vector<qint64> orders;
    orders.reserve(static_cast<size_t>(std::max<qsizetype>(importedCount, 0)));
    for (qsizetype i = 0; i < importedCount; ++i) orders.push_back(first + i);
    return orders;
}

void renumber(const std::vector<std::shared_ptr<PhraseCategory>>& inNewOrder) {
    for (size_t i = 0; i < inNewOrder.size(); ++i) inNewOrder[i]->setSortOrder(qint64(i));
}

void renumber(const std::vector<std::shared_ptr<PhraseItem>>& inNewOrder) {
    for (size_t i = 0; i < inNewOrder.size(); ++i) inNewOrder[i]->setSortOrder(qint64(i));
}

}  // namespace quillet::PhraseOrdering
