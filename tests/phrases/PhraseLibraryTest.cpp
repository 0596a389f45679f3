#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>

#include "phrases/PhraseCSVFile.h"
#include "phrases/PhraseLibrary.h"
#include "phrases/PhraseListModels.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StoreFixture.h"

namespace quillet {
namespace {

class PhraseLibraryTest : public test::StoreFixture {
protected:
    std::shared_ptr<PhraseCategory> category(const QString& name, const QStringList& titles = {}) {
        auto made = library.createCategory(name);
        for (const QString& title : titles) library.createPhrase(made, title, title + " body");
        return made;
    }
    static QStringList titles(const std::shared_ptr<PhraseCategory>& category) {
        QStringList result;
        for (const auto& phrase : category->sortedItems()) result << phrase->title();
        return result;
    }
    static std::vector<qint64> orders(const std::shared_ptr<PhraseCategory>& category) {
        std::vector<qint64> result;
        for (const auto& phrase : category->sortedItems()) result.push_back(phrase->sortOrder());
        return result;
    }
    QStringList names() {
        QStringList result;
        for (const auto& c : library.categories()) result << c->name();
        return result;
    }

    PhraseLibrary library{storage->context()};
};

TEST_F(PhraseLibraryTest, AMoveTakesRowsOutAndInsertsThemBeforeTheDestination) {
    const std::vector<char> list{'a', 'b', 'c', 'd'};
    const struct {
        QList<int> rows;
        int destination;
        std::vector<char> result;
    } cases[] = {
        {{3}, 0, {'d', 'a', 'b', 'c'}},    {{0}, 4, {'b', 'c', 'd', 'a'}},
        {{0}, 2, {'b', 'a', 'c', 'd'}},    {{2}, 2, {'a', 'b', 'c', 'd'}},
        {{2}, 3, {'a', 'b', 'c', 'd'}},    {{0, 2}, 4, {'b', 'd', 'a', 'c'}},
        {{1, 3}, 0, {'b', 'd', 'a', 'c'}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PhraseLibrary::moved(list, c.rows, c.destination), c.result)
            << c.rows.first() << " -> " << c.destination;
}

TEST_F(PhraseLibraryTest, DraggingCategoriesRenumbersAllOfThemAndSurvivesReopening) {
    category("a");
    category("b");
    category("c");
    const QStringList before = names();  // ties at 0: the store's order
    library.moveCategories({2}, 0);
    const QStringList after{before[2], before[0], before[1]};
    EXPECT_EQ(names(), after);
    reopen();
    PhraseLibrary reopened(storage->context());
    QStringList stored;
    std::vector<qint64> numbers;
    for (const auto& c : reopened.categories()) {
        stored << c->name();
        numbers.push_back(c->sortOrder());
    }
    EXPECT_EQ(stored, after);
    EXPECT_EQ(numbers, (std::vector<qint64>{0, 1, 2}));
}

TEST_F(PhraseLibraryTest, AnImportAppendsInFileOrderInOneSave) {
    auto target = category("target", {"a", "b", "c"});
    const auto phrases = target->sortedItems();
    phrases[1]->setSortOrder(5);
    storage->context().save();

    QSignalSpy saves(&storage->context(), &StorageContext::didSave);
    library.importRows(target, {{"x", "1"}, {"y", "2"}, {"x", "1"}});
    EXPECT_EQ(saves.size(), 1);
    EXPECT_EQ(titles(target), (QStringList{"a", "c", "b", "x", "y", "x"}));
    EXPECT_EQ(orders(target), (std::vector<qint64>{0, 2, 5, 6, 7, 8}));
}

TEST_F(PhraseLibraryTest, ListModelsFollowTheStoreAndDragsRenumberIt) {
    CategoryListModel categories(library);
    PhraseListModel phrases(library);
    auto first = category("first", {"p0", "p1", "p2"});
    ASSERT_EQ(categories.rowCount(), 1);
    phrases.setCategory(first);
    ASSERT_EQ(phrases.rowCount(), 3);

    // Another editor renames a phrase: the row changes in place.
    QSignalSpy resets(&phrases, &QAbstractItemModel::modelReset);
    library.updatePhrase(first->sortedItems()[1], "renamed", "b");
    EXPECT_EQ(phrases.index(1).data().toString(), "renamed");
    EXPECT_EQ(resets.size(), 0);

    // A drag of the first row to the end, as the list view asks for it, renumbers only the
    // phrases of its category; a new phrase there goes after the largest number.
    auto other = category("other", {"q0", "q1"});
    other->sortedItems().back()->setSortOrder(7);
    storage->context().save();
    ASSERT_TRUE(phrases.moveRows({}, 0, 1, {}, 3));
    EXPECT_EQ(titles(first), (QStringList{"renamed", "p2", "p0"}));
    EXPECT_EQ(orders(first), (std::vector<qint64>{0, 1, 2}));
    EXPECT_EQ(orders(other), (std::vector<qint64>{0, 7}));
    EXPECT_EQ(library.createPhrase(other, "new", "b")->sortOrder(), 8);
    EXPECT_EQ(phrases.index(2).data().toString(), "p0");
    EXPECT_FALSE(phrases.moveRows({}, 1, 1, {}, 2)) << "dropped onto itself";

    library.deletePhrase(phrases.phrase(0));
    EXPECT_EQ(phrases.rowCount(), 2);
    auto second = category("second");
    EXPECT_EQ(categories.rowCount(), 3);
    EXPECT_EQ(categories.category(categories.rowOf(second->id())), second);
    library.deleteCategory(first);
    EXPECT_EQ(categories.rowCount(), 2);
    EXPECT_EQ(phrases.rowCount(), 0) << "the phrases of a deleted category are gone";
}

TEST_F(PhraseLibraryTest, AFileOverTheLimitIsRefusedUnread) {
    const QString path = dir.file("big.csv");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("title,body\nt,b");  // 14 bytes
    file.close();
    using Status = PhraseCSVFile::ParseResult::Status;
    PhraseCSVFile::Progress progress;
    EXPECT_EQ(PhraseCSVFile::parse(path, {13}, &progress).status, Status::TooLarge);
    EXPECT_EQ(progress.bytesRead, 0) << "its size alone refuses it";
    EXPECT_EQ(PhraseCSVFile::parse(path, {14}).status, Status::Ok);
}

}  // namespace
}  // namespace quillet
