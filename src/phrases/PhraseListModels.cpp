#include "phrases/PhraseListModels.h"

#include "phrases/PhraseLibrary.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"

namespace quillet {

template <class T>
bool ReorderableListModel::moveEntries(std::vector<T>& list, int sourceRow, int count,
                                       int destination) {
    const int size = int(list.size());
    if (count <= 0 || sourceRow < 0 || sourceRow + count > size || destination < 0 ||
        destination > size)
        return false;
    if (destination >= sourceRow && destination <= sourceRow + count) return false;  // no-op
    QList<int> rows;
    for (int i = 0; i < count; ++i) rows << sourceRow + i;
    beginMoveRows({}, sourceRow, sourceRow + count - 1, {}, destination);
    list = PhraseLibrary::moved(list, rows, destination);
    endMoveRows();
    return true;
}

template <class T>
void ReorderableListModel::replaceEntries(std::vector<T>& list, std::vector<T> next,
                                          const QList<int>& roles) {
    if (next == list) {
        if (!list.empty()) emit dataChanged(index(0), index(int(list.size()) - 1), roles);
        return;
    }
    beginResetModel();
    list = std::move(next);
    endResetModel();
}

Qt::ItemFlags ReorderableListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

bool touchesPhrases(const SaveSummary& summary) {
    for (const auto* records : {&summary.inserted, &summary.changed, &summary.deleted})
        for (const auto& record : *records)
            if (record->entity() != Record::Entity::Clip) return true;
    return false;
}

CategoryListModel::CategoryListModel(PhraseLibrary& library, QObject* parent)
    : ReorderableListModel(parent), m_library(library) {
    connect(&library.context(), &StorageContext::didSave, this, [this](const SaveSummary& s) {
        if (touchesPhrases(s)) refresh();
    });
    connect(&library.context(), &StorageContext::changedElsewhere, this,
            [this](bool phrasesTouched) {
                if (phrasesTouched) refresh();
            });
    refresh();
}

void CategoryListModel::refresh() {
    replaceEntries(m_categories, m_library.categories(), {Qt::DisplayRole});
}

int CategoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_categories.size());
}

QVariant CategoryListModel::data(const QModelIndex& index, int role) const {
    const auto entry = category(index.row());
    if (!entry || !index.isValid()) return {};
    if (role == Qt::DisplayRole) return entry->name();
    if (role == IdRole) return entry->id();
    return {};
}

bool CategoryListModel::moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                                 const QModelIndex& destinationParent, int destinationChild) {
    if (sourceParent.isValid() || destinationParent.isValid()) return false;
    if (!moveEntries(m_categories, sourceRow, count, destinationChild)) return false;
    QList<int> rows;
    for (int i = 0; i < count; ++i) rows << sourceRow + i;
    m_library.moveCategories(rows, destinationChild);
    return true;
}

std::shared_ptr<PhraseCategory> CategoryListModel::category(int row) const {
    return entryAt(m_categories, row);
}

int CategoryListModel::rowOf(const QUuid& id) const {
    if (id.isNull()) return -1;
    for (size_t i = 0; i < m_categories.size(); ++i)
        if (m_categories[i]->id() == id) return int(i);
    return -1;
}

PhraseListModel::PhraseListModel(PhraseLibrary& library, QObject* parent)
    : ReorderableListModel(parent), m_library(library) {
    connect(&library.context(), &StorageContext::didSave, this, [this](const SaveSummary& s) {
        if (touchesPhrases(s)) refresh();
    });
    connect(&library.context(), &StorageContext::changedElsewhere, this,
            [this](bool phrasesTouched) {
                if (phrasesTouched) refresh();
            });
}

void PhraseListModel::setCategory(std::shared_ptr<PhraseCategory> category) {
    if (category == m_category) return;
    m_category = std::move(category);
    beginResetModel();
    m_phrases.clear();
    endResetModel();
    refresh();
}

void PhraseListModel::setRefreshHeld(bool held) {
    if (held == m_refreshHeld) return;
    m_refreshHeld = held;
    if (!held) refresh();
}

void PhraseListModel::refresh() {
    if (m_refreshHeld) return;
    replaceEntries(m_phrases,
                   m_category && !m_category->isDeleted()
                       ? m_category->sortedItems()
                       : std::vector<std::shared_ptr<PhraseItem>>{},
                   {Qt::DisplayRole, BodyRole, AbbreviationRole});
}

int PhraseListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_phrases.size());
}

QVariant PhraseListModel::data(const QModelIndex& index, int role) const {
    const auto entry = phrase(index.row());
    if (!entry || !index.isValid()) return {};
    if (role == Qt::DisplayRole) return entry->title();
    if (role == BodyRole) return entry->body();
    if (role == AbbreviationRole) return entry->abbreviation();
    return {};
}

bool PhraseListModel::moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                               const QModelIndex& destinationParent, int destinationChild) {
    if (sourceParent.isValid() || destinationParent.isValid() || !m_category) return false;
    // The rows shown are the category's phrases in their listed order: renumber them as moved
    // rather than reading all of them again.
    if (!moveEntries(m_phrases, sourceRow, count, destinationChild)) return false;
    m_library.reorderPhrases(m_phrases);
    return true;
}

std::shared_ptr<PhraseItem> PhraseListModel::phrase(int row) const {
    return entryAt(m_phrases, row);
}

}  // namespace quillet
