#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "store/HeldChanges.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StoreFixture.h"

namespace quillet {
namespace {

class HeldChangesTest : public test::StoreFixture {
protected:
    HeldChangesTest() { held = makeHeld(); }

    std::unique_ptr<HeldChanges> makeHeld() {
        return std::make_unique<HeldChanges>(storage->context(), recoveryPath());
    }
    QString recoveryPath() const {
        return HeldChanges::pathBeside(dir.file("store/history.sqlite"));
    }
    // The program ends with its pending changes unsaved and starts again.
    HeldChanges::Restored restart() {
        held.reset();
        reopen();
        held = makeHeld();
        return held->restore();
    }
    void writeRecoveryFile(const QByteArray& data) {
        QFile file(recoveryPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(data);
    }
    QStringList setAsideFiles() const {
        return QDir(dir.file("store")).entryList({"held-changes.jsonl.damaged-*"}, QDir::Files);
    }
    std::shared_ptr<PhraseCategory> addCategory(const QString& name, const QString& phraseBody) {
        auto category = std::make_shared<PhraseCategory>(name, 0);
        auto phrase = std::make_shared<PhraseItem>(name + " phrase", phraseBody, 0);
        phrase->setCategory(category);
        storage->context().insert(category);
        storage->context().insert(phrase);
        return category;
    }
    QStringList phraseBodies() {
        QStringList bodies;
        for (const auto& category : storage->fetchCategories())
            for (const auto& phrase : category->sortedItems())
                bodies << category->name() + ":" + phrase->body() +
                              (phrase->abbreviation().isEmpty() ? "" : "/" + phrase->abbreviation());
        bodies.sort();
        return bodies;
    }

    std::unique_ptr<HeldChanges> held;
};

TEST_F(HeldChangesTest, ChangesOfAFailedSaveComeBackAtTheNextStart) {
    auto used = addClip("used again", 1);
    auto doomed = addClip("deleted", 2);
    addCategory("Greetings", "hello");
    ASSERT_TRUE(storage->context().save());

    lockFromOutside();
    auto& context = storage->context();
    context.insert(std::make_shared<ClipItem>("copied while full", start.addSecs(3)));
    used->setTimestamp(start.addSecs(9));
    context.remove(doomed);
    const auto edited = storage->fetchCategories().front()->sortedItems().front();
    edited->setBody("hello, edited");
    edited->setAbbreviation("hl");
    addCategory("Farewells", "bye");
    EXPECT_FALSE(context.save());
    EXPECT_TRUE(held->isFailing());
    EXPECT_FALSE(held->saveError().isEmpty());
    EXPECT_TRUE(held->copyError().isEmpty());
    ASSERT_TRUE(QFileInfo::exists(recoveryPath())) << "kept at once, not only at quit";
    EXPECT_EQ(QFileInfo(recoveryPath()).permissions(),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    unlock();

    const HeldChanges::Restored restored = restart();
    EXPECT_TRUE(restored.found);
    EXPECT_TRUE(restored.saved) << qPrintable(restored.saveError);
    EXPECT_TRUE(restored.replay.problems.isEmpty())
        << qPrintable(restored.replay.problems.join('\n'));
    EXPECT_EQ(restored.replay.applied, 6);
    EXPECT_FALSE(QFileInfo::exists(recoveryPath())) << "removed once saved";
    EXPECT_EQ(texts(storage->fetchItems("")), (QStringList{"used again", "copied while full"}));
    EXPECT_EQ(storage->fetchItems("").at(0)->timestamp(), start.addSecs(9));
    EXPECT_EQ(phraseBodies(), (QStringList{"Farewells:bye", "Greetings:hello, edited/hl"}));
}

TEST_F(HeldChangesTest, ReplayingTwiceStoresEverythingOnceAndKeepsLaterUses) {
    auto used = addClip("used again", 1);
    lockFromOutside();
    storage->context().insert(std::make_shared<ClipItem>("new", start.addSecs(3)));
    addCategory("Greetings", "hello");
    used->setTimestamp(start.addSecs(5));
    EXPECT_FALSE(storage->context().save());
    unlock();
    const QString copy = dir.file("copy.jsonl");
    ASSERT_TRUE(QFile::copy(recoveryPath(), copy));

    ASSERT_TRUE(restart().saved);
    // Used once more after the replay: an old file replayed again must not move it back.
    auto clip = storage->fetchItems("").at(0);
    ASSERT_EQ(clip->content(), "used again");
    clip->setTimestamp(start.addSecs(60));
    ASSERT_TRUE(storage->context().save());

    ASSERT_TRUE(QFile::copy(copy, recoveryPath()));
    const HeldChanges::Restored again = restart();
    EXPECT_TRUE(again.saved);
    EXPECT_EQ(again.replay.applied, 0);
    EXPECT_EQ(again.replay.alreadyThere, 4);
    EXPECT_EQ(texts(storage->fetchItems("")), (QStringList{"used again", "new"}));
    EXPECT_EQ(storage->fetchItems("").at(0)->timestamp(), start.addSecs(60));
    EXPECT_EQ(phraseBodies(), QStringList{"Greetings:hello"});
}

TEST_F(HeldChangesTest, QuittingKeepsWhatCannotBeSavedOrSaysItIsLost) {
    EXPECT_EQ(held->secure().safety, HeldChanges::Safety::Saved) << "nothing pending";
    lockFromOutside();
    storage->context().insert(std::make_shared<ClipItem>("held", start));
    addCategory("Greetings", "hello");

    HeldChanges::Outcome outcome = held->secure();
    EXPECT_EQ(outcome.safety, HeldChanges::Safety::KeptInFile);
    EXPECT_EQ(outcome.changes, 3);
    EXPECT_EQ(outcome.newClips, 1);
    EXPECT_FALSE(outcome.saveError.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(recoveryPath()));

    // No folder to write into: nothing can hold the changes.
    HeldChanges nowhere(storage->context(), dir.file("missing/held-changes.jsonl"));
    outcome = nowhere.secure();
    EXPECT_EQ(outcome.safety, HeldChanges::Safety::Lost);
    EXPECT_FALSE(outcome.copyError.isEmpty());
    EXPECT_EQ(outcome.changes, 3);

    unlock();
    EXPECT_EQ(held->secure().safety, HeldChanges::Safety::Saved);
    EXPECT_FALSE(held->isFailing());
    EXPECT_FALSE(QFileInfo::exists(recoveryPath())) << "a saved change needs no copy";
}

TEST_F(HeldChangesTest, AForeignOrOversizedFileIsSetAsideUnread) {
    static const char binary[] =
        "\x7f"
        "ELF\x02\x01\x01\0\0\0 not ours\n{\"op\":\"insert\"}\n";
    const QByteArray garbage(binary, sizeof binary - 1);
    for (const QByteArray& content :
         {garbage, QByteArray(), QByteArray("{\"quilletHeldChanges\":9}\n")}) {
        writeRecoveryFile(content);
        const HeldChanges::Restored restored = restart();
        EXPECT_TRUE(restored.replay.unreadable);
        EXPECT_EQ(restored.replay.applied, 0);
        EXPECT_FALSE(restored.setAsideAs.isEmpty());
        EXPECT_TRUE(QFileInfo::exists(restored.setAsideAs)) << "kept, not deleted";
        EXPECT_FALSE(QFileInfo::exists(recoveryPath()));
    }
    EXPECT_EQ(setAsideFiles().size(), 3);

    QFile huge(recoveryPath());
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(RecoveryFile::maxBytes + 1));  // sparse: no disk used
    huge.close();
    const HeldChanges::Restored restored = restart();
    EXPECT_TRUE(restored.replay.unreadable);
    EXPECT_TRUE(QFileInfo::exists(restored.setAsideAs));
    EXPECT_TRUE(storage->fetchItems("").isEmpty());
}

TEST_F(HeldChangesTest, DamagedLinesAreSkippedAndTheRestIsRestored) {
    const QByteArray id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8();
    const QByteArray good = "{\"op\":\"insert\",\"kind\":\"clip\",\"id\":\"" + id +
                            "\",\"content\":\"survivor\",\"timestamp\":1700000000000}";
    writeRecoveryFile("{\"quilletHeldChanges\":1}\n" + good.left(good.size() / 2) + "\n" +
                      "{\"op\":\"insert\",\"kind\":\"clip\",\"id\":\"not-a-uuid\"}\n"
                      "{\"op\":\"insert\",\"kind\":\"clip\",\"id\":\"" +
                      id +
                      "\",\"content\":7,\"timestamp\":\"soon\"}\n"
                      "{\"op\":\"drop\",\"kind\":\"clip\",\"id\":\"" +
                      id +
                      "\"}\n"
                      "{\"op\":\"insert\",\"kind\":\"clip\",\"id\":\"" +
                      id +
                      "\",\"content\":\"x\",\"timestamp\":1e300}\n"
                      "{\"op\":\"insert\",\"kind\":\"phrase\",\"id\":\"" +
                      QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8() +
                      "\",\"title\":\"t\",\"body\":\"b\",\"sortOrder\":0,\"category\":\"" + id +
                      "\"}\n[1,2,3]\n" + good + "\n");
    const HeldChanges::Restored restored = restart();
    EXPECT_FALSE(restored.replay.unreadable);
    EXPECT_EQ(restored.replay.problems.size(), 7)
        << qPrintable(restored.replay.problems.join('\n'));
    EXPECT_EQ(restored.replay.applied, 1);
    EXPECT_TRUE(restored.saved);
    EXPECT_EQ(texts(storage->fetchItems("")), QStringList{"survivor"});
    EXPECT_TRUE(storage->fetchCategories().empty()) << "a phrase without its category is dropped";
    EXPECT_TRUE(QFileInfo::exists(restored.setAsideAs)) << "kept for the user to look at";
}

}  // namespace
}  // namespace quillet
