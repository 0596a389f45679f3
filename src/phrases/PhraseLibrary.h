#pragma once

#include <QList>
#include <QString>
#include <algorithm>
#include <memory>
#include <vector>

#include "phrases/PhraseCSVService.h"

namespace quillet {

class PhraseCategory;
class PhraseItem;
class StorageContext;

// Every change the phrase windows make to the library. Each one is saved at once; a failed
// save keeps the change pending in the context (the store warns) and is not reported.
class PhraseLibrary {
public:
    explicit PhraseLibrary(StorageContext& context) : m_context(context) {}

    StorageContext& context() { return m_context; }

    // Every category by ascending sortOrder (ties in the store's order).
    std::vector<std::shared_ptr<PhraseCategory>> categories();

    std::shared_ptr<PhraseCategory> createCategory(const QString& name);
    void renameCategory(const std::shared_ptr<PhraseCategory>& category, const QString& name);
    // Its phrases go with it.
    void deleteCategory(const std::shared_ptr<PhraseCategory>& category);
    // Moves the rows at `rows` of the displayed list before position `destination` (counted
    // before the move; the moved rows keep their order) and numbers all categories 0, 1, ...
    void moveCategories(const QList<int>& rows, int destination);

    std::shared_ptr<PhraseItem> createPhrase(const std::shared_ptr<PhraseCategory>& category,
                                             const QString& title, const QString& body);
    void updatePhrase(const std::shared_ptr<PhraseItem>& phrase, const QString& title,
                      const QString& body);
    void deletePhrase(const std::shared_ptr<PhraseItem>& phrase);
    // Numbers a category's phrases 0, 1, ... in the order given (its listed phrases after a
    // drag) and saves.
    void reorderPhrases(const std::vector<std::shared_ptr<PhraseItem>>& inNewOrder);
    // Appends the rows after the category's phrases, in file order, in one save.
    void importRows(const std::shared_ptr<PhraseCategory>& category,
                    const std::vector<PhraseRow>& rows);
    // The sortOrder the first of a file's rows gets in that category.
    qint64 firstImportedSortOrder(const std::shared_ptr<PhraseCategory>& category);
    // Appends `count` rows numbered from `firstSortOrder`, in one save: one slice of an import.
    void appendRows(const std::shared_ptr<PhraseCategory>& category, const PhraseRow* rows,
                    qsizetype count, qint64 firstSortOrder);

    // `list` with the entries at `rows` moved before `destination`, as a list view's drag does.
    template <class T>
    static std::vector<T> moved(const std::vector<T>& list, const QList<int>& rows,
                                int destination);

private:
    void save();

    StorageContext& m_context;
};

template <class T>
std::vector<T> PhraseLibrary::moved(const std::vector<T>& list, const QList<int>& rows,
                                    int destination) {
    const int size = int(list.size());
    std::vector<bool> picked(list.size(), false);
    for (int row : rows)
        if (row >= 0 && row < size) picked[size_t(row)] = true;
    destination = std::clamp(destination, 0, size);
    std::vector<T> movedEntries;
    std::vector<T> result;
    result.reserve(list.size());
    size_t insertAt = 0;
    for (int i = 0; i < size; ++i) {
        if (i == destination) insertAt = result.size();
        if (picked[size_t(i)])
            movedEntries.push_back(list[size_t(i)]);
        else
            result.push_back(list[size_t(i)]);
    }
    if (destination == size) insertAt = result.size();
    result.insert(result.begin() + qsizetype(insertAt), movedEntries.begin(), movedEntries.end());
    return result;
}

}  // namespace quillet
