#pragma once

#include <QtGlobal>
#include <memory>
#include <vector>

namespace quillet {

class PhraseCategory;
class PhraseItem;

// The numbering rules of the phrase library. Each creating or reordering path applies one.
namespace PhraseOrdering {

// A category made in the editor always starts at 0 (it ties with any other 0).
constexpr qint64 newCategorySortOrder() {
    return 0;
}

// A phrase made in the editor goes after the largest sortOrder of its category, 0 when empty.
qint64 newPhraseSortOrder(const std::vector<std::shared_ptr<PhraseItem>>& existing);

// Imported rows get m+1, m+2, ... in file order, m being the largest existing sortOrder
// (-1 for an empty category).
std::vector<qint64> importedSortOrders(const std::vector<std::shared_ptr<PhraseItem>>& existing,
                                       qsizetype importedCount);

// After a drag, every entry gets its 0-based position in the new order.
void renumber(const std::vector<std::shared_ptr<PhraseCategory>>& inNewOrder);
void renumber(const std::vector<std::shared_ptr<PhraseItem>>& inNewOrder);

}  // namespace PhraseOrdering
}  // namespace quillet
