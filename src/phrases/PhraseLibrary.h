#pragma once

#include <QList>
#include <QString>
#include <QUuid>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "phrases/PhraseCSVService.h"

namespace quillet {

class PhraseCategory;
class PhraseItem;
class StorageContext;

// A phrase as it was, to be put back with its identity.
struct PhraseState {
    QUuid id;
    QString title;
    QString body;
    qint64 sortOrder = 0;
    QString abbreviation = {};
};

// A category with its phrases (in their listed order) as it was.
struct CategoryState {
    QUuid id;
    QString name;
    qint64 sortOrder = 0;
    std::vector<PhraseState> phrases;
};

// One change made through the library, as it can be taken back and made again. Both act on
// records by id, so they hold whatever objects the store has for them by then, and do nothing
// for records that have gone meanwhile.
struct PhraseChange {
    std::function<void()> undo;
    std::function<void()> redo;
};

// Every change the phrase windows make to the library. Each one is saved at once; a failed
// save keeps the change pending in the context (the store warns) and is not reported.
class PhraseLibrary {
public:
    explicit PhraseLibrary(StorageContext& context) : m_context(context) {}

    StorageContext& context() { return m_context; }

    // Told of every change made through the calls below (not of the undoing and redoing).
    void setChangeObserver(std::function<void(PhraseChange)> observer) {
        m_observer = std::move(observer);
    }
    // Tells the observer of phrases that another library appended (an import), so that they
    // can be taken out again and put back.
    void noteAppended(const QUuid& categoryId, std::vector<PhraseState> appended);

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
                                             const QString& title, const QString& body,
                                             const QString& abbreviation = {});
    void updatePhrase(const std::shared_ptr<PhraseItem>& phrase, const QString& title,
                      const QString& body, const QString& abbreviation = {});
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
    // Returns the new phrases' ids, in row order.
    std::vector<QUuid> appendRows(const std::shared_ptr<PhraseCategory>& category, const PhraseRow* rows,
                    qsizetype count, qint64 firstSortOrder);

    // `list` with the entries at `rows` moved before `destination`, as a list view's drag does.
    template <class T>
    static std::vector<T> moved(const std::vector<T>& list, const QList<int>& rows,
                                int destination);

    static PhraseState stateOf(const PhraseItem& phrase);

private:
    void save();
    void notify(PhraseChange change);
    std::shared_ptr<PhraseCategory> categoryWithId(const QUuid& id);
    std::shared_ptr<PhraseItem> phraseWithId(const QUuid& id);
    // Ids whose delete has not reached the store (saves failing): a record put back under
    // one of them could never be saved.
    QList<QUuid> pendingDeletes();
    void removeCategory(const QUuid& id);
    void removePhrases(const QUuid& categoryId, const QList<QUuid>& ids);
    // Puts the records back and, where sortOrder ties let the store list them elsewhere,
    // renumbers the list into `order` (ids as they were listed).
    void restoreCategory(const CategoryState& state, const QList<QUuid>& order);
    void restorePhrases(const QUuid& categoryId, const std::vector<PhraseState>& phrases,
                        const QList<QUuid>& order);
    void applySortOrders(const std::vector<std::pair<QUuid, qint64>>& orders);

    StorageContext& m_context;
    std::function<void(PhraseChange)> m_observer;
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
