#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StoreFixture.h"

namespace quillet {
namespace {

using StorageServiceTest = test::StoreFixture;

TEST_F(StorageServiceTest, SearchFindsExactLiteralSubstringsNewestFirstByScanAndByIndex) {
    qint64 second = 1000;
    for (const char* text :
         {"Hello World", "hello there", "say hello", "Grüße aus Köln", "ｗｉｄｅ",
          "price: 5*3 [net]", "what? 100%_done", R"(he said "yes")", "banana nasal", "hello there"})
        addClip(text, ++second);
    const QStringList none;
    const std::vector<std::pair<QString, QStringList>> searches{
        {"hello", {"hello there", "say hello", "hello there"}},  // duplicates are kept
        {"Hello", {"Hello World"}},
        {"llo", {"hello there", "say hello", "hello there", "Hello World"}},
        {"o W", {"Hello World"}},
        {" hello", {"say hello"}},  // not trimmed
        {"Köln", {"Grüße aus Köln"}},
        {"Koln", none},
        {"wide", none},  // width counts
        {"5*3", {"price: 5*3 [net]"}},
        {"[net]", {"price: 5*3 [net]"}},
        {"5?3", none},
        {"t? 1", {"what? 100%_done"}},
        {"%_d", {"what? 100%_done"}},
        {"_", {"what? 100%_done"}},
        {R"("yes")", {R"(he said "yes")"}},
        {R"(d "y)", {R"(he said "yes")"}},
        {R"("no")", none},
        {"ananas", none},  // every trigram is there, the text is not
    };
    // Among few clips most texts are common and scanned for; among many more, the longer
    // texts go through the trigram index, whose candidates must be confirmed the same way.
    for (const char* round : {"scan", "index"}) {
        for (const auto& [query, expected] : searches)
            EXPECT_EQ(texts(storage->fetchItems(query)), expected)
                << round << ": " << qPrintable(query);
        addClips(400, "#%1");
    }
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
    // The list reads its clips in windows and does not keep the ones far away alive.
    std::weak_ptr<ClipItem> newest = live.at(0);
    EXPECT_EQ(newest.lock()->content(), "clip 2999");
    EXPECT_EQ(live.at(2999)->content(), "clip 0");
    EXPECT_TRUE(newest.expired()) << "reading far away replaced the window";
    EXPECT_EQ(live.at(3000), nullptr);
    EXPECT_EQ(live.at(-1), nullptr);
    EXPECT_EQ(live.at(1500)->content(), "clip 1499");
    EXPECT_EQ(storage->fetchItems("clip 12").size(), 111);  // 12, 120-129, 1200-1299

    reopen();
    EXPECT_TRUE(storage->fetchItems("") == live) << "the kept order matches the file's";
}

TEST_F(StorageServiceTest, KeptOrderFollowsChangesWhileListsHandedOutStay) {
    auto a = addClip("a", 1);
    auto b = addClip("b", 2);
    const ClipList before = storage->fetchItems("");
    addClip("c", 3);  // appended in place to the kept order
    const ClipList afterAppend = storage->fetchItems("");
    a->setTimestamp(start.addSecs(10));  // moved: the kept order is replaced
    ASSERT_TRUE(storage->context().save());
    EXPECT_EQ(texts(storage->fetchItems("")), (QStringList{"a", "c", "b"}));
    EXPECT_EQ(texts(before), (QStringList{"b", "a"}));
    EXPECT_EQ(texts(afterAppend), (QStringList{"c", "b", "a"}));

    // A clock that went back puts the clip where its timestamp says, as the file would.
    a->setTimestamp(start.addSecs(0));
    storage->context().remove(b);
    ASSERT_TRUE(storage->context().save());
    EXPECT_EQ(texts(storage->fetchItems("")), (QStringList{"c", "a"}));
    reopen();
    EXPECT_EQ(texts(storage->fetchItems("")), (QStringList{"c", "a"}));
}

TEST_F(StorageServiceTest, StoreFileAndFolderAreTheUsersAlone) {
    for (const char* path : {"store", "store/history.sqlite"})
        EXPECT_EQ(QFileInfo(dir.file(path)).permissions() & 0x0077, 0) << path;
}

TEST_F(StorageServiceTest, AStoreThatCannotBeOpenedFailsWithAReason) {
    QFile garbage(dir.file("garbage.sqlite"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(8192, 'x'));
    garbage.close();
    for (const QString& path : {garbage.fileName(), QString("/proc/no-such/place/h.sqlite")}) {
        QString error;
        EXPECT_EQ(StorageService::open(path, &error), nullptr) << qPrintable(path);
        EXPECT_FALSE(error.isEmpty()) << qPrintable(path);
    }
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
    EXPECT_EQ(storage->fetchCategories(), (std::vector{zero, one, second}));
    EXPECT_EQ(second->items().size(), 1u);

    context.remove(second);
    ASSERT_TRUE(context.save());
    EXPECT_TRUE(phrase->isDeleted());
    EXPECT_EQ(storage->fetchCategories(), (std::vector{zero, one}));
    reopen();
    const auto phrases = storage->context().fetchPhrases({});
    ASSERT_EQ(phrases.size(), 1u) << "no orphan phrase remains";
    EXPECT_EQ(phrases[0]->title(), "u");
    EXPECT_EQ(phrases[0]->category()->name(), "one");
}

}  // namespace
}  // namespace quillet
