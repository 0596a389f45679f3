#include "phrases/PhraseLibrary.h"

#include <QHash>
#include <QSet>

#include "phrases/PhraseOrdering.h"
#include "base/Logging.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StorageContext.h"

namespace quillet {

namespace {

template <class T>
QList<QUuid> idsOf(const std::vector<std::shared_ptr<T>>& records) {
    QList<QUuid> ids;
    ids.reserve(qsizetype(records.size()));
    for (const auto& record : records) ids << record->id();
    return ids;
}

template <class T>
std::vector<std::pair<QUuid, qint64>> sortOrdersOf(const std::vector<std::shared_ptr<T>>& records) {
    std::vector<std::pair<QUuid, qint64>> orders;
    orders.reserve(records.size());
    for (const auto& record : records) orders.emplace_back(record->id(), record->sortOrder());
    return orders;
}

// `shown` is a list as displayed. Records put back get their old sortOrder, but where it ties
// with others the store may list them elsewhere than before: then the places the ids of
// `order` take are filled in that order, every other record keeps its place, and the list is
// renumbered. True when it was.
template <class T>
bool keepOrder(const std::vector<std::shared_ptr<T>>& shown, const QList<QUuid>& order) {
    QHash<QUuid, qsizetype> rank;
    for (qsizetype i = 0; i < order.size(); ++i) rank.insert(order[i], i);
    std::vector<std::shared_ptr<T>> known;
    for (const auto& record : shown)
        if (rank.contains(record->id())) known.push_back(record);
    auto wanted = known;
    std::stable_sort(wanted.begin(), wanted.end(), [&rank](const auto& a, const auto& b) {
        return rank.value(a->id()) < rank.value(b->id());
    });
    if (wanted == known) return false;
    auto renumbered = shown;
    auto next = wanted.begin();
    for (auto& record : renumbered)
        if (rank.contains(record->id())) record = *next++;
    PhraseOrdering::renumber(renumbered);
    return true;
}

}  // namespace

void PhraseLibrary::save() {
    // A failure is logged by the store and the changes stay pending for the next save.
    m_context.save();
}

void PhraseLibrary::notify(PhraseChange change) {
    if (m_observer) m_observer(std::move(change));
}

PhraseState PhraseLibrary::stateOf(const PhraseItem& phrase) {
    return {phrase.id(), phrase.title(), phrase.body(), phrase.sortOrder(), phrase.abbreviation()};
}

std::shared_ptr<PhraseCategory> PhraseLibrary::categoryWithId(const QUuid& id) {
    return std::static_pointer_cast<PhraseCategory>(
        m_context.recordWithId(Record::Entity::Category, id));
}

std::shared_ptr<PhraseItem> PhraseLibrary::phraseWithId(const QUuid& id) {
    return std::static_pointer_cast<PhraseItem>(m_context.recordWithId(Record::Entity::Phrase, id));
}

std::vector<std::shared_ptr<PhraseCategory>> PhraseLibrary::categories() {
    return m_context.fetchCategories({std::nullopt, {SortKey{QStringLiteral("sortOrder")}}, {}});
}

std::shared_ptr<PhraseCategory> PhraseLibrary::createCategory(const QString& name) {
    auto category = std::make_shared<PhraseCategory>(name, PhraseOrdering::newCategorySortOrder());
    m_context.insert(category);
    save();
    const CategoryState state{category->id(), name, category->sortOrder(), {}};
    notify({[this, id = state.id] { removeCategory(id); },
            [this, state, order = idsOf(categories())] { restoreCategory(state, order); }});
    return category;
}

void PhraseLibrary::renameCategory(const std::shared_ptr<PhraseCategory>& category,
                                   const QString& name) {
    if (!category) return;
    const QString before = category->name();
    category->setName(name);
    save();
    auto rename = [this, id = category->id()](const QString& to) {
        if (auto found = categoryWithId(id)) {
            found->setName(to);
            save();
        }
    };
    notify({[rename, before] { rename(before); }, [rename, name] { rename(name); }});
}

void PhraseLibrary::deleteCategory(const std::shared_ptr<PhraseCategory>& category) {
    if (!category || category->isDeleted()) return;
    CategoryState state{category->id(), category->name(), category->sortOrder(), {}};
    for (const auto& phrase : category->sortedItems()) state.phrases.push_back(stateOf(*phrase));
    const QList<QUuid> order = idsOf(categories());
    m_context.remove(category);
    save();
    notify({[this, state, order] { restoreCategory(state, order); },
            [this, id = state.id] { removeCategory(id); }});
}

void PhraseLibrary::moveCategories(const QList<int>& rows, int destination) {
    const auto shown = categories();
    const auto before = sortOrdersOf(shown);
    const auto inNewOrder = moved(shown, rows, destination);
    PhraseOrdering::renumber(inNewOrder);
    save();
    notify({[this, before] { applySortOrders(before); },
            [this, after = sortOrdersOf(inNewOrder)] { applySortOrders(after); }});
}

std::shared_ptr<PhraseItem> PhraseLibrary::createPhrase(
    const std::shared_ptr<PhraseCategory>& category, const QString& title, const QString& body,
    const QString& abbreviation) {
    if (!category) return nullptr;
    auto phrase = std::make_shared<PhraseItem>(
        title, body, PhraseOrdering::newPhraseSortOrder(category->items()));
    phrase->setAbbreviation(abbreviation);
    phrase->setCategory(category);
    m_context.insert(phrase);
    save();
    notify({[this, categoryId = category->id(), id = phrase->id()] {
                removePhrases(categoryId, {id});
            },
            [this, categoryId = category->id(), state = stateOf(*phrase),
             order = idsOf(category->sortedItems())] {
                restorePhrases(categoryId, {state}, order);
            }});
    return phrase;
}

void PhraseLibrary::updatePhrase(const std::shared_ptr<PhraseItem>& phrase, const QString& title,
                                 const QString& body, const QString& abbreviation) {
    if (!phrase) return;
    const PhraseState before = stateOf(*phrase);
    phrase->setTitle(title);
    phrase->setBody(body);
    phrase->setAbbreviation(abbreviation);
    save();
    auto write = [this](const PhraseState& to) {
        if (auto found = phraseWithId(to.id)) {
            found->setTitle(to.title);
            found->setBody(to.body);
            found->setAbbreviation(to.abbreviation);
            save();
        }
    };
    notify({[write, before] { write(before); },
            [write, after = stateOf(*phrase)] { write(after); }});
}

void PhraseLibrary::deletePhrase(const std::shared_ptr<PhraseItem>& phrase) {
    if (!phrase || phrase->isDeleted()) return;
    const auto category = phrase->category();
    const QUuid categoryId = phrase->categoryId();
    const QList<QUuid> order = category ? idsOf(category->sortedItems()) : QList<QUuid>();
    const PhraseState state = stateOf(*phrase);
    m_context.remove(phrase);
    save();
    notify({[this, categoryId, state, order] { restorePhrases(categoryId, {state}, order); },
            [this, categoryId, id = state.id] { removePhrases(categoryId, {id}); }});
}

void PhraseLibrary::reorderPhrases(const std::vector<std::shared_ptr<PhraseItem>>& inNewOrder) {
    const auto before = sortOrdersOf(inNewOrder);
    PhraseOrdering::renumber(inNewOrder);
    save();
    notify({[this, before] { applySortOrders(before); },
            [this, after = sortOrdersOf(inNewOrder)] { applySortOrders(after); }});
}

void PhraseLibrary::importRows(const std::shared_ptr<PhraseCategory>& category,
                               const std::vector<PhraseRow>& rows) {
    if (!category) return;
    appendRows(category, rows.data(), qsizetype(rows.size()), firstImportedSortOrder(category));
}

qint64 PhraseLibrary::firstImportedSortOrder(const std::shared_ptr<PhraseCategory>& category) {
    return category ? PhraseOrdering::importedSortOrders(category->items(), 1).front() : 0;
}

std::vector<QUuid> PhraseLibrary::appendRows(const std::shared_ptr<PhraseCategory>& category,
                                             const PhraseRow* rows, qsizetype count,
                                             qint64 firstSortOrder) {
    if (!category) return {};
    std::vector<QUuid> ids;
    ids.reserve(size_t(count));
    for (qsizetype i = 0; i < count; ++i) {
        auto phrase = std::make_shared<PhraseItem>(rows[i].title, rows[i].body, firstSortOrder + i);
        phrase->setAbbreviation(rows[i].abbreviation);
        phrase->setCategory(category);
        m_context.insert(phrase);
        ids.push_back(phrase->id());
    }
    save();
    return ids;
}

void PhraseLibrary::noteAppended(const QUuid& categoryId, std::vector<PhraseState> appended) {
    if (appended.empty()) return;
    QList<QUuid> ids;
    ids.reserve(qsizetype(appended.size()));
    for (const auto& state : appended) ids << state.id;
    // Shared: a large import's text is held once, however often the change is copied.
    auto states = std::make_shared<const std::vector<PhraseState>>(std::move(appended));
    notify({[this, categoryId, ids] { removePhrases(categoryId, ids); },
            [this, categoryId, states] { restorePhrases(categoryId, *states, {}); }});
}

QList<QUuid> PhraseLibrary::pendingDeletes() {
    if (m_context.pendingDeletes().empty()) return {};
    save();
    QList<QUuid> ids;
    for (const auto& record : m_context.pendingDeletes()) ids << record->id();
    return ids;
}

void PhraseLibrary::removeCategory(const QUuid& id) {
    if (auto category = categoryWithId(id)) {
        m_context.remove(category);
        save();
    }
}

void PhraseLibrary::removePhrases(const QUuid& categoryId, const QList<QUuid>& ids) {
    // A few are found by id; many (an import) with one read of their category.
    constexpr qsizetype fewPhrases = 16;
    if (ids.size() <= fewPhrases) {
        for (const QUuid& id : ids)
            if (auto phrase = phraseWithId(id)) m_context.remove(phrase);
    } else if (auto category = categoryWithId(categoryId)) {
        const QSet<QUuid> wanted(ids.begin(), ids.end());
        for (const auto& phrase : category->items())
            if (wanted.contains(phrase->id())) m_context.remove(phrase);
    }
    save();
}

void PhraseLibrary::restoreCategory(const CategoryState& state, const QList<QUuid>& order) {
    if (categoryWithId(state.id)) return;  // it is there already
    if (pendingDeletes().contains(state.id)) {
        qCWarning(lcPhrases) << "A category could not be put back: its delete is not saved yet";
        return;
    }
    auto category = std::make_shared<PhraseCategory>(state.id, state.name, state.sortOrder);
    m_context.insert(category);
    for (const PhraseState& phrase : state.phrases) {
        auto item = std::make_shared<PhraseItem>(phrase.id, phrase.title, phrase.body,
                                                 phrase.sortOrder);
        item->setAbbreviation(phrase.abbreviation);
        item->setCategory(category);
        m_context.insert(item);
    }
    save();
    if (keepOrder(categories(), order)) save();
}

void PhraseLibrary::restorePhrases(const QUuid& categoryId, const std::vector<PhraseState>& phrases,
                                   const QList<QUuid>& order) {
    const auto category = categoryWithId(categoryId);
    if (!category) return;
    const QList<QUuid> unsaved = pendingDeletes();
    for (const PhraseState& phrase : phrases) {
        if (unsaved.contains(phrase.id)) {
            qCWarning(lcPhrases) << "A phrase could not be put back: its delete is not saved yet";
            continue;
        }
        if (phraseWithId(phrase.id)) continue;
        auto item = std::make_shared<PhraseItem>(phrase.id, phrase.title, phrase.body,
                                                 phrase.sortOrder);
        item->setAbbreviation(phrase.abbreviation);
        item->setCategory(category);
        m_context.insert(item);
    }
    save();
    if (!order.isEmpty() && keepOrder(category->sortedItems(), order)) save();
}

void PhraseLibrary::applySortOrders(const std::vector<std::pair<QUuid, qint64>>& orders) {
    for (const auto& [id, sortOrder] : orders) {
        if (auto category = categoryWithId(id))
            category->setSortOrder(sortOrder);
        else if (auto phrase = phraseWithId(id))
            phrase->setSortOrder(sortOrder);
    }
    save();
}

}  // namespace quillet
