#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>

#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StoreFixture.h"

namespace quillet {
namespace {

using StorageServiceTest = test::StoreFixture;

TEST_F(StorageServiceTest, ListsNewestFirstAndKeepsDuplicates) {
    addClip("first", 1);
    addClip("same", 2);
    addClip("third", 3);
    addClip("same", 4);
    EXPECT_EQ(texts(storage->fetchItems("")), (QStringList{"same", "third", "same", "first"}));
    EXPECT_TRUE(storage->fetchItems("absent").isEmpty());
}

TEST_F(StorageServiceTest, SearchIsAnExactCaseSensitiveSubstring) {
    addClip("Hello World", 1);
    addClip("hello there", 2);
    addClip("say hello", 3);
    addClip("Grüße aus Köln", 4);
    addClip("a b", 5);
    addClip("ｗｉｄｅ", 6);
    EXPECT_EQ(texts(storage->fetchItems("hello")), (QStringList{"say hello", "hello there"}));
    EXPECT_EQ(texts(storage->fetchItems("Hello")), QStringList{"Hello World"});
    EXPECT_EQ(texts(storage->fetchItems("llo")),
              (QStringList{"say hello", "hello there", "Hello World"}));
    EXPECT_EQ(texts(storage->fetchItems("Köln")), QStringList{"Grüße aus Köln"});
    EXPECT_TRUE(storage->fetchItems("Koln").isEmpty());
    EXPECT_TRUE(storage->fetchItems("wide").isEmpty());  // width counts
    // Not trimmed: one space matches every clip containing a space.
    EXPECT_EQ(storage->fetchItems(" ").size(), 5);
    EXPECT_EQ(texts(storage->fetchItems("o W")), QStringList{"Hello World"});
}

TEST_F(StorageServiceTest, PatternCharactersAreSearchedLiterally) {
    addClip("price: 5*3 [net]", 1);
    addClip("price: 513 net", 2);
    addClip("what? 100%_done", 3);
    EXPECT_EQ(texts(storage->fetchItems("5*3")), QStringList{"price: 5*3 [net]"});
    EXPECT_EQ(texts(storage->fetchItems("[net]")), QStringList{"price: 5*3 [net]"});
    EXPECT_EQ(texts(storage->fetchItems("t? 1")), QStringList{"what? 100%_done"});
    EXPECT_EQ(texts(storage->fetchItems("%_d")), QStringList{"what? 100%_done"});
    EXPECT_TRUE(storage->fetchItems("5?3").isEmpty());
    addClip(R"(he said "yes" twice)", 4);
    EXPECT_EQ(texts(storage->fetchItems(R"("yes")")), QStringList{R"(he said "yes" twice)"});
    EXPECT_EQ(texts(storage->fetchItems(R"(d "y)")), QStringList{R"(he said "yes" twice)"});
    EXPECT_TRUE(storage->fetchItems(R"("no")").isEmpty());
}

TEST_F(StorageServiceTest, ThousandsOfClipsAreAllKeptAndSurviveReopening) {
    storage->fetchItems("");  // the order is held in memory from here on
    for (int i = 0; i < 3000; ++i) {
        storage->context().insert(
            std::make_shared<ClipItem>(QString("clip %1").arg(i), start.addSecs(i)));
        if (i % 500 == 499) {
            ASSERT_TRUE(storage->context().save());
        }
    }
    const ClipList live = storage->fetchItems("");
    ASSERT_EQ(live.size(), 3000);
    EXPECT_EQ(live.at(0)->content(), "clip 2999");
    EXPECT_EQ(live.at(2999)->content(), "clip 0");
    EXPECT_EQ(live.at(1500)->content(), "clip 1499");
    EXPECT_EQ(storage->fetchItems("clip 12").size(), 111);  // 12, 120-129, 1200-1299

    reopen();
    const ClipList stored = storage->fetchItems("");
    ASSERT_EQ(stored.size(), 3000);
    EXPECT_TRUE(stored == live) << "the kept order matches the order read from the file";
}

TEST_F(StorageServiceTest, KeptOrderFollowsTimestampChangesAndDeletes) {
    auto a = addClip("a", 1);
    auto b = addClip("b", 2);
    addClip("c", 3);
    ASSERT_EQ(texts(storage->fetchItems("")), (QStringList{"c", "b", "a"}));
    a->setTimestamp(start.addSecs(10));
    ASSERT_TRUE(storage->context().save());
    EXPECT_EQ(texts(storage->fetchItems("")), (QStringList{"a", "c", "b"}));
    // A clock that went back puts the clip where its timestamp says, as the file would.
    a->setTimestamp(start.addSecs(0));
    storage->context().remove(b);
    ASSERT_TRUE(storage->context().save());
    EXPECT_EQ(texts(storage->fetchItems("")), (QStringList{"c", "a"}));
    reopen();
    EXPECT_EQ(texts(storage->fetchItems("")), (QStringList{"c", "a"}));
}

TEST_F(StorageServiceTest, ListsHandedOutNeverChange) {
    auto a = addClip("a", 1);
    addClip("b", 2);
    const ClipList before = storage->fetchItems("");
    addClip("c", 3);  // appended in place to the kept order
    const ClipList afterCopy = storage->fetchItems("");
    a->setTimestamp(start.addSecs(4));  // moved: the kept order is replaced
    ASSERT_TRUE(storage->context().save());
    EXPECT_EQ(texts(before), (QStringList{"b", "a"}));
    EXPECT_EQ(texts(afterCopy), (QStringList{"c", "b", "a"}));
    EXPECT_EQ(texts(storage->fetchItems("")), (QStringList{"a", "c", "b"}));
    EXPECT_FALSE(before == afterCopy);
}

TEST_F(StorageServiceTest, ListsReadClipsInWindowsWithoutKeepingThemAlive) {
    for (int i = 0; i < 1000; ++i)
        storage->context().insert(std::make_shared<ClipItem>(QString::number(i), start.addSecs(i)));
    ASSERT_TRUE(storage->context().save());
    const ClipList list = storage->fetchItems("");
    std::weak_ptr<ClipItem> first = list.at(0);
    ASSERT_FALSE(first.expired());
    EXPECT_EQ(list.at(999)->content(), "0");
    EXPECT_TRUE(first.expired()) << "reading far away replaced the window";
    EXPECT_EQ(list.at(0)->content(), "999");
    EXPECT_EQ(list.at(1000), nullptr);
    EXPECT_EQ(list.at(-1), nullptr);
}

TEST_F(StorageServiceTest, StoreFileAndFolderArePrivate) {
    const QString file = dir.file("store/history.sqlite");
    EXPECT_EQ(QFileInfo(file).permissions() & 0x0077, 0) << "no group or other bits on the file";
    EXPECT_EQ(QFile::permissions(dir.file("store")), QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner | QFile::ReadUser |
                                                         QFile::WriteUser | QFile::ExeUser);
}

TEST_F(StorageServiceTest, FileThatIsNotAStoreFailsToOpenWithAReason) {
    const QString path = dir.file("garbage.sqlite");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'x'));
    file.close();
    QString error;
    EXPECT_EQ(StorageService::open(path, &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(StorageService::open("/proc/no-such/place/h.sqlite", &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(StorageServiceTest, CategoriesAreOrderedAndDeletingOneDeletesItsPhrases) {
    auto& context = storage->context();
    auto second = std::make_shared<PhraseCategory>("second", 2);
    auto zero = std::make_shared<PhraseCategory>("zero", 0);
    auto one = std::make_shared<PhraseCategory>("one", 1);
    for (const auto& c : {second, zero, one}) context.insert(c);
    auto phrase = std::make_shared<PhraseItem>("t", "body", 0);
    phrase->setCategory(second);
    context.insert(phrase);
    auto other = std::make_shared<PhraseItem>("u", "body 2", 0);
    other->setCategory(one);
    context.insert(other);
    ASSERT_TRUE(context.save());

    const auto categories = storage->fetchCategories();
    ASSERT_EQ(categories.size(), 3u);
    EXPECT_EQ(categories[0], zero);
    EXPECT_EQ(categories[1], one);
    EXPECT_EQ(categories[2], second);
    EXPECT_EQ(second->items().size(), 1u);

    context.remove(second);
    ASSERT_TRUE(context.save());
    EXPECT_TRUE(phrase->isDeleted());
    EXPECT_EQ(storage->fetchCategories().size(), 2u);
    EXPECT_TRUE(context.fetchPhrases({Predicate::equals("title", "t"), {}, {}}).empty());
    reopen();
    const auto phrases = storage->context().fetchPhrases({});
    ASSERT_EQ(phrases.size(), 1u) << "no orphan phrase remains";
    EXPECT_EQ(phrases[0]->title(), "u");
    EXPECT_EQ(phrases[0]->category()->name(), "one");
}

}  // namespace
}  // namespace quillet
