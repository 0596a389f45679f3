#include "phrases/PhraseLibrary.h"

#include "phrases/PhraseOrdering.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StorageContext.h"

namespace quillet {

void PhraseLibrary::save() {
    // A failure is logged by the store and the changes stay pending for the next save.
    m_context.save();
}

std::vector<std::shared_ptr<PhraseCategory>> PhraseLibrary::categories() {
    return m_context.fetchCategories({std::nullopt, {SortKey{QStringLiteral("sortOrder")}}, {}});
}

std::shared_ptr<PhraseCategory> PhraseLibrary::createCategory(const QString& name) {
    auto category = std::make_shared<PhraseCategory>(name, PhraseOrdering::newCategorySortOrder());
    m_context.insert(category);
    save();
    return category;
}

void PhraseLibrary::renameCategory(const std::shared_ptr<PhraseCategory>& category,
                                   const QString& name) {
    if (!category) return;
    category->setName(name);
    save();
}

void PhraseLibrary::deleteCategory(const std::shared_ptr<PhraseCategory>& category) {
    if (!category) return;
    m_context.remove(category);
    save();
}

void PhraseLibrary::moveCategories(const QList<int>& rows, int destination) {
    PhraseOrdering::renumber(moved(categories(), rows, destination));
    save();
}

std::shared_ptr<PhraseItem> PhraseLibrary::createPhrase(
    const std::shared_ptr<PhraseCategory>& category, const QString& title, const QString& body) {
    if (!category) return nullptr;
    auto phrase = std::make_shared<PhraseItem>(
        title, body, PhraseOrdering::newPhraseSortOrder(category->items()));
    phrase->setCategory(category);
    m_context.insert(phrase);
    save();
    return phrase;
}

void PhraseLibrary::updatePhrase(const std::shared_ptr<PhraseItem>& phrase, const QString& title,
                                 const QString& body) {
    if (!phrase) return;
    phrase->setTitle(title);
    phrase->setBody(body);
    save();
}

void PhraseLibrary::deletePhrase(const std::shared_ptr<PhraseItem>& phrase) {
    if (!phrase) return;
    m_context.remove(phrase);
    save();
}

void PhraseLibrary::reorderPhrases(const std::vector<std::shared_ptr<PhraseItem>>& inNewOrder) {
    PhraseOrdering::renumber(inNewOrder);
    save();
}

void PhraseLibrary::importRows(const std::shared_ptr<PhraseCategory>& category,
                               const std::vector<PhraseRow>& rows) {
    if (!category) return;
    appendRows(category, rows.data(), qsizetype(rows.size()), firstImportedSortOrder(category));
}

qint64 PhraseLibrary::firstImportedSortOrder(const std::shared_ptr<PhraseCategory>& category) {
    return category ? PhraseOrdering::importedSortOrders(category->items(), 1).front() : 0;
}

void PhraseLibrary::appendRows(const std::shared_ptr<PhraseCategory>& category,
                               const PhraseRow* rows, qsizetype count, qint64 firstSortOrder) {
    if (!category) return;
    for (qsizetype i = 0; i < count; ++i) {
        auto phrase = std::make_shared<PhraseItem>(rows[i].title, rows[i].body, firstSortOrder + i);
        phrase->setCategory(category);
        m_context.insert(phrase);
    }
    save();
}

}  // namespace quillet
