#include <gtest/gtest.h>

#include "phrases/PhraseOrdering.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StoreFixture.h"

namespace quillet {
namespace {

class PhraseOrderingTest : public test::StoreFixture {
protected:
    std::shared_ptr<PhraseItem> addPhrase(const std::shared_ptr<PhraseCategory>& category,
                                          const QString& title, qint64 sortOrder) {
        auto phrase = std::make_shared<PhraseItem>(title, title + " body", sortOrder);
        phrase->setCategory(category);
        storage->context().insert(phrase);
        EXPECT_TRUE(storage->context().save());
        return phrase;
    }
    std::shared_ptr<PhraseCategory> addCategory(const QString& name) {
        auto category =
            std::make_shared<PhraseCategory>(name, PhraseOrdering::newCategorySortOrder());
        storage->context().insert(category);
        EXPECT_TRUE(storage->context().save());
        return category;
    }
};

TEST_F(PhraseOrderingTest, NewPhrasesGoAfterTheLargestAndStartAtZero) {
    auto category = addCategory("c");
    EXPECT_EQ(PhraseOrdering::newPhraseSortOrder(category->items()), 0);
    addPhrase(category, "a", 0);
    addPhrase(category, "b", 5);
    addPhrase(category, "c", 2);
    EXPECT_EQ(PhraseOrdering::newPhraseSortOrder(category->items()), 6);
}

TEST_F(PhraseOrderingTest, ImportsContinueAfterTheLargestInFileOrder) {
    auto category = addCategory("c");
    EXPECT_EQ(PhraseOrdering::importedSortOrders(category->items(), 3),
              (std::vector<qint64>{0, 1, 2}));
    addPhrase(category, "a", 0);
    addPhrase(category, "b", 5);
    addPhrase(category, "c", 2);
    EXPECT_EQ(PhraseOrdering::importedSortOrders(category->items(), 3),
              (std::vector<qint64>{6, 7, 8}));
    EXPECT_TRUE(PhraseOrdering::importedSortOrders(category->items(), 0).empty());
}

TEST_F(PhraseOrderingTest, NewCategoriesTieAtZeroUntilADragRenumbersThem) {
    auto first = addCategory("first");
    auto second = addCategory("second");
    EXPECT_EQ(first->sortOrder(), 0);
    EXPECT_EQ(second->sortOrder(), 0);
    PhraseOrdering::renumber(std::vector{second, first});
    ASSERT_TRUE(storage->context().save());
    auto third = addCategory("third");
    const auto listed = storage->fetchCategories();
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(second->sortOrder(), 0);
    EXPECT_EQ(first->sortOrder(), 1);
    EXPECT_EQ(listed.back(), first);
}

TEST_F(PhraseOrderingTest, SortedPhrasesAreStableAndRenumberingMakesThemDense) {
    auto category = addCategory("c");
    auto five = addPhrase(category, "five", 5);
    auto one = addPhrase(category, "one", 1);
    auto fiveAgain = addPhrase(category, "five again", 5);
    auto sorted = category->sortedItems();
    ASSERT_EQ(sorted.size(), 3u);
    EXPECT_EQ(sorted[0], one);
    EXPECT_EQ(sorted[1], five);
    EXPECT_EQ(sorted[2], fiveAgain);
    PhraseOrdering::renumber(std::vector{fiveAgain, one, five});
    ASSERT_TRUE(storage->context().save());
    reopen();
    std::vector<qint64> orders;
    QStringList titles;
    for (const auto& p : storage->fetchCategories().front()->sortedItems()) {
        orders.push_back(p->sortOrder());
        titles << p->title();
    }
    EXPECT_EQ(orders, (std::vector<qint64>{0, 1, 2}));
    EXPECT_EQ(titles, (QStringList{"five again", "one", "five"}));
}

}  // namespace
}  // namespace quillet
