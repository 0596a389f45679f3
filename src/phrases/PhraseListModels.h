#pragma once

#include <QAbstractListModel>
#include <QUuid>
#include <memory>
#include <vector>

#include "store/StorageContext.h"

namespace quillet {

class PhraseCategory;
class PhraseItem;
class PhraseLibrary;

// Rows moved by drag and drop, then renumbered in the store by the subclass.
class ReorderableListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    // Rows take no drops onto themselves, only between them: the list is reordered, not nested.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }

protected:
    // Moves `list`'s rows [sourceRow, sourceRow + count) before `destination`; false for a
    // move out of range or onto itself.
    template <class T>
    bool moveEntries(std::vector<T>& list, int sourceRow, int count, int destination);
    // Shows `next` in place of `list`: records are identities, so the same rows in the same
    // order are the same list and only their `roles` are said to have changed.
    template <class T>
    void replaceEntries(std::vector<T>& list, std::vector<T> next, const QList<int>& roles);
    // The entry at `row`, null outside the list.
    template <class T>
    static T entryAt(const std::vector<T>& list, int row) {
        return row >= 0 && row < int(list.size()) ? list[size_t(row)] : T();
    }
};

// The live lists of the phrase-management window: each re-reads the store after every save
// that touched the library, so any change (an editor, an import, another window) shows at
// once. Dragging a row calls moveRows, which renumbers the list in the store.
class CategoryListModel : public ReorderableListModel {
    Q_OBJECT
public:
    enum Role { IdRole = Qt::UserRole + 1 };

    explicit CategoryListModel(PhraseLibrary& library, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                  const QModelIndex& destinationParent, int destinationChild) override;

    std::shared_ptr<PhraseCategory> category(int row) const;
    // The row of the category with this id, -1 when there is none.
    int rowOf(const QUuid& id) const;
    void refresh();

private:
    PhraseLibrary& m_library;
    std::vector<std::shared_ptr<PhraseCategory>> m_categories;
};

// The phrases of one category by ascending sortOrder.
class PhraseListModel : public ReorderableListModel {
    Q_OBJECT
public:
    enum Role { BodyRole = Qt::UserRole + 1, AbbreviationRole };

    explicit PhraseListModel(PhraseLibrary& library, QObject* parent = nullptr);

    void setCategory(std::shared_ptr<PhraseCategory> category);
    std::shared_ptr<PhraseCategory> category() const { return m_category; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                  const QModelIndex& destinationParent, int destinationChild) override;

    std::shared_ptr<PhraseItem> phrase(int row) const;
    void refresh();
    // While held, saves do not reload the list (an import saves in many small slices, and
    // each reload reads the whole category); letting go reloads once.
    void setRefreshHeld(bool held);

private:
    PhraseLibrary& m_library;
    bool m_refreshHeld = false;
    std::shared_ptr<PhraseCategory> m_category;
    std::vector<std::shared_ptr<PhraseItem>> m_phrases;
};

// Whether a save touched categories or phrases (clips are saved all the time).
bool touchesPhrases(const SaveSummary& summary);

}  // namespace quillet
