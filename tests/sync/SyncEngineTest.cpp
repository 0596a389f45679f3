#include <QDir>
#include <QFile>

#include "sync/SegmentFolder.h"
#include "sync/SyncApplier.h"
#include "sync/SyncFixture.h"

namespace quillet::test {
namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class SyncEngineTest : public SyncFixture {};

TEST_F(SyncEngineTest, CopiesUsesAndForgetsReachTheOtherMachine) {
    SyncMachine& A = machine(a);
    SyncMachine& B = machine(b);
    startSync(A);
    startSync(B);
    copy(A, "one");
    copy(A, "two");
    EXPECT_EQ(publish(A).size(), 1);
    EXPECT_EQ(receive(B).changes.applied, 2);
    EXPECT_EQ(history(B), QStringList({"two", "one"}));

    // Used again on B: on top on both.
    B.clock.advance(10'000);
    clipWithText(B, "one")->setTimestamp(B.clock.now());
    ASSERT_TRUE(B.storage->context().save());
    publish(B);
    receive(A);
    EXPECT_EQ(history(A), QStringList({"one", "two"}));

    // Forgotten on A while B uses it: it stays forgotten everywhere.
    auto twoOnB = clipWithText(B, "two");
    ASSERT_TRUE(A.storage->forgetClip(clipWithText(A, "two")));
    publish(A);
    B.clock.advance(1000);
    twoOnB->setTimestamp(B.clock.now());
    ASSERT_TRUE(B.storage->context().save());
    publish(B);
    // B's offer to machines that join later still holds it.
    QString why;
    ASSERT_TRUE(B.engine->writeCheckpoint(&why)) << qPrintable(why);
    receive(A);
    receive(B);
    EXPECT_EQ(history(A), QStringList({"one"}));
    EXPECT_EQ(history(B), QStringList({"one"}));
    EXPECT_TRUE(twoOnB->isDeleted()) << "B's live object follows the store";
    EXPECT_EQ(historyFromFile(A), history(A)) << "the kept order follows the file";
    EXPECT_EQ(historyFromFile(B), history(B));
}

TEST_F(SyncEngineTest, AClipMovedHereWhileAnotherMachinesMoveWasUnderWayIsListedOnce) {
    SyncMachine& A = machine(a);
    SyncMachine& B = machine(b);
    startSync(A);
    startSync(B);
    copy(A, "x");
    copy(A, "y");
    publish(A);
    receive(B);
    ASSERT_EQ(history(B), QStringList({"y", "x"}));

    A.clock.advance(5000);
    clipWithText(A, "x")->setTimestamp(A.clock.now());
    ASSERT_TRUE(A.storage->context().save());
    publish(A);
    // B's worker applies A's move; before B's views hear of it, B uses the clip itself.
    const auto scan = B.engine->rescan(B.clock.now().toMSecsSinceEpoch());
    B.clock.advance(9000);
    clipWithText(B, "x")->setTimestamp(B.clock.now());
    ASSERT_TRUE(B.storage->context().save());
    B.storage->noteChangesElsewhere(scan.changes.clipMoves, scan.changes.clips,
                                    scan.changes.phrases);
    EXPECT_EQ(history(B), QStringList({"x", "y"}));
    EXPECT_EQ(history(B), historyFromFile(B));
}

TEST_F(SyncEngineTest, AFolderHoldingTheHistoryFileOrNoFolderIsRefused) {
    SyncMachine& A = machine(a);
    HybridClock versions;
    QString why;
    for (const QString& chosen : {A.dir.path(), QFileInfo(A.dir.path()).absolutePath(),
                                  folder.file("missing")}) {
        SyncEngine::Config config{A.storage->filePath(), chosen, a, key, 1000, 500};
        EXPECT_FALSE(SyncEngine::open(config, versions, &why)) << qPrintable(chosen);
        EXPECT_FALSE(why.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(chosen + "/Quillet")) << "nothing written there";
    }
}

TEST_F(SyncEngineTest, SegmentsPastAGapWaitForIt) {
    SyncMachine& A = machine(a);
    SyncMachine& B = machine(b);
    startSync(A);
    startSync(B);
    for (const char* text : {"1", "2", "3"}) {
        copy(A, text);
        publish(A);
    }
    const QString second = segmentPath(a, 2);
    const QString aside = folder.file("aside");
    ASSERT_TRUE(QFile::rename(second, aside));

    auto scan = receive(B);
    EXPECT_EQ(history(B), QStringList({"1"}));
    EXPECT_EQ(scan.waiting, 1);
    EXPECT_EQ(receive(B).changes.applied, 0) << "looking again changes nothing";

    ASSERT_TRUE(QFile::rename(aside, second));
    scan = receive(B);
    EXPECT_EQ(history(B), QStringList({"3", "2", "1"}));
    EXPECT_EQ(scan.waiting, 0);
    EXPECT_EQ(scan.devices, QStringList({a}));
}

TEST_F(SyncEngineTest, DuplicatesConflictCopiesAndStrayFilesChangeNothing) {
    SyncMachine& A = machine(a);
    SyncMachine& B = machine(b);
    startSync(A);
    startSync(B);
    copy(A, "x");
    const QString first = publish(A).value(0);
    receive(B);
    ASSERT_EQ(history(B), QStringList({"x"}));

    // What sync tools and crashes leave behind, some of it holding a valid segment's bytes.
    const QByteArray bytes = readFile(first);
    const QString own = QFileInfo(first).absolutePath();
    for (const char* name : {"000000000002.sync-conflict-20261207-120000-ABCDEFG.seg",
                                ".tmp-000000000002.seg-4f2a", "000000000002.seg.partial",
                                "2.seg", "000000000002.SEG"})
        ASSERT_TRUE(writeFile(own + "/" + QString::fromUtf8(name), bytes));
    ASSERT_TRUE(writeFile(folder.file("Quillet/not-a-device/000000000001.seg"), bytes));
    // The first segment again under the next number: bound to its own number, it never opens.
    ASSERT_TRUE(writeFile(own + "/000000000002.seg", bytes));
    auto scan = receive(B);
    EXPECT_EQ(scan.changes.applied, 0);
    EXPECT_EQ(scan.waiting, 1);
    EXPECT_EQ(scan.devices, QStringList({a}));
    QFile::remove(own + "/000000000002.seg");

    // A segment applied twice (its progress lost) adds nothing twice.
    QString why;
    ASSERT_TRUE(SyncApplier(B.storage->context().handle()).setAppliedSequence(a, 0, &why));
    receive(B);
    EXPECT_EQ(history(B), QStringList({"x"}));
}

TEST_F(SyncEngineTest, TruncatedAndTamperedSegmentsWaitAndAreNeverApplied) {
    SyncMachine& A = machine(a);
    SyncMachine& B = machine(b);
    startSync(A);
    startSync(B);
    copy(A, "arriving");
    const QString path = publish(A).value(0);
    const QByteArray whole = readFile(path);

    ASSERT_TRUE(writeFile(path, whole.left(whole.size() / 2)));
    auto scan = receive(B);
    EXPECT_TRUE(history(B).isEmpty());
    EXPECT_EQ(scan.waiting, 1);
    EXPECT_FALSE(scan.otherKey) << "a file still arriving is not another sync's";

    QByteArray tampered = whole;
    tampered[tampered.size() - 20] = char(tampered[tampered.size() - 20] ^ 0x40);
    ASSERT_TRUE(writeFile(path, tampered));
    scan = receive(B);
    EXPECT_TRUE(history(B).isEmpty());
    EXPECT_FALSE(scan.otherKey);

    ASSERT_TRUE(writeFile(path, QByteArray()));
    EXPECT_TRUE(receive(B).changes.isEmpty());

    ASSERT_TRUE(writeFile(path, whole));
    scan = receive(B);
    EXPECT_EQ(history(B), QStringList({"arriving"}));
    EXPECT_EQ(scan.waiting, 0);
}

TEST_F(SyncEngineTest, AnotherSyncsSegmentsAreNamedAndNeverApplied) {
    SyncMachine& A = machine(a);
    SyncMachine& B = machine(b);
    SyncMachine& C = machine(c);
    startSync(A);
    startSync(B);
    const QByteArray otherKey = SyncCrypto::newKey();
    startSync(C, otherKey);
    EXPECT_TRUE(C.engine->keyFitsFolder()) << "nothing in the folder to tell";
    copy(A, "from A");
    publish(A);
    copy(C, "from C");
    publish(C);

    auto scan = receive(B);
    EXPECT_TRUE(scan.otherKey);
    EXPECT_EQ(history(B), QStringList({"from A"}));
    EXPECT_TRUE(B.engine->keyFitsFolder());
    EXPECT_FALSE(C.engine->keyFitsFolder());
    EXPECT_TRUE(receive(C).otherKey);
    EXPECT_EQ(history(C), QStringList({"from C"}));
}

TEST_F(SyncEngineTest, AChangeMadeAfterAnotherArrivedWinsWhateverTheClocksSay) {
    SyncMachine& A = machine(a);
    SyncMachine& B = machine(b);
    A.clock.advance(3'600'000);  // an hour ahead of B
    startSync(A);
    startSync(B);
    auto mail = addCategory(A, "Mail");
    addPhrase(A, mail, "hi", "Hello");
    publish(A);
    receive(B);
    ASSERT_EQ(phrases(B), QStringList({"Mail: hi=Hello"}));

    auto phraseOnB = B.storage->fetchCategories().at(0)->sortedItems().at(0);
    phraseOnB->setBody("Hello there");
    ASSERT_TRUE(B.storage->context().save());
    publish(B);
    receive(A);
    receive(B);
    EXPECT_EQ(phrases(A), QStringList({"Mail: hi=Hello there"}));
    EXPECT_EQ(phrases(B), QStringList({"Mail: hi=Hello there"}));

    // A's clips do not stay above what B copies after they arrived.
    copy(A, "from the future");
    publish(A);
    receive(B);
    B.clock.advance(1000);
    copy(B, "now on B");
    EXPECT_EQ(history(B), QStringList({"now on B", "from the future"}));
}

// A phrase edited on one machine while the other deletes it: both end with the later change.
class EditAgainstDeleteTest : public SyncFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(EditAgainstDeleteTest, BothMachinesEndWithTheLaterChange) {
    const bool deleteIsLater = GetParam();
    SyncMachine& A = machine(a);
    SyncMachine& B = machine(b);
    startSync(A);
    startSync(B);
    auto notes = addCategory(A, "Notes");
    auto phraseOnA = addPhrase(A, notes, "sig", "Regards");
    publish(A);
    receive(B);
    auto phraseOnB = B.storage->fetchCategories().at(0)->sortedItems().at(0);

    A.clock.advance(deleteIsLater ? 1000 : 5000);
    B.clock.advance(deleteIsLater ? 5000 : 1000);
    phraseOnA->setBody("Best regards");
    ASSERT_TRUE(A.storage->context().save());
    B.storage->context().remove(phraseOnB);
    ASSERT_TRUE(B.storage->context().save());
    publish(A);
    publish(B);
    receive(A);
    receive(B);

    const QStringList expected =
        deleteIsLater ? QStringList() : QStringList({"Notes: sig=Best regards"});
    EXPECT_EQ(phrases(A), expected);
    EXPECT_EQ(phrases(B), expected);
    EXPECT_EQ(phraseOnA->isDeleted(), deleteIsLater) << "A's live object follows the store";
}

INSTANTIATE_TEST_SUITE_P(Sync, EditAgainstDeleteTest, ::testing::Bool());

TEST_F(SyncEngineTest, PhraseChangesReachLiveObjectsAndAPhraseMayComeBeforeItsCategory) {
    SyncMachine& A = machine(a);
    SyncMachine& B = machine(b);
    SyncMachine& C = machine(c);
    startSync(A);
    startSync(B);
    startSync(C);
    auto work = addCategory(A, "Work");
    publish(A);
    receive(B);
    auto workOnB = B.storage->fetchCategories().at(0);
    addPhrase(B, workOnB, "addr", "1 Main St");
    publish(B);

    // C hears from B first: the phrase waits in a category without a name.
    const QString aFolder = SegmentFolder(folder.path()).deviceFolder(a);
    ASSERT_TRUE(QDir().rename(aFolder, folder.file("a-aside")));
    receive(C);
    EXPECT_EQ(phrases(C), QStringList({": addr=1 Main St"}));
    ASSERT_TRUE(QDir().rename(folder.file("a-aside"), aFolder));
    receive(C);
    EXPECT_EQ(phrases(C), QStringList({"Work: addr=1 Main St"}));

    // Renamed on A: B's live category takes the name; deleted: its phrases go with it.
    receive(A);
    work->setName("Office");
    ASSERT_TRUE(A.storage->context().save());
    publish(A);
    receive(B);
    EXPECT_EQ(workOnB->name(), "Office");
    auto addrOnB = workOnB->sortedItems().at(0);
    A.storage->context().remove(work);
    ASSERT_TRUE(A.storage->context().save());
    publish(A);
    receive(B);
    receive(C);
    EXPECT_TRUE(workOnB->isDeleted());
    EXPECT_TRUE(addrOnB->isDeleted());
    EXPECT_TRUE(phrases(B).isEmpty());
    EXPECT_TRUE(phrases(C).isEmpty());
}

TEST_F(SyncEngineTest, AWriterStoppedBeforeRenamingLeavesNothingAReaderTakes) {
    SyncMachine& A = machine(a);
    SyncMachine& B = machine(b);
    startSync(A);
    startSync(B);
    copy(A, "1");
    publish(A);
    // The next segment was written under its temporary name when the program stopped.
    const QString leftover =
        SegmentFolder(folder.path()).deviceFolder(a) + "/.tmp-000000000002.seg-1f";
    ASSERT_TRUE(writeFile(leftover, readFile(segmentPath(a, 1)).left(30)));
    auto scan = receive(B);
    EXPECT_EQ(history(B), QStringList({"1"}));
    EXPECT_EQ(scan.waiting, 0);

    startSync(A);  // the program starts again
    EXPECT_FALSE(QFile::exists(leftover));
    copy(A, "2");
    EXPECT_EQ(publish(A), QStringList({segmentPath(a, 2)}));
    receive(B);
    EXPECT_EQ(history(B), QStringList({"2", "1"}));
}

TEST_F(SyncEngineTest, ACheckpointStandsForTheSegmentsItDrops) {
    SyncMachine& A = machine(a);
    SyncMachine& B = machine(b);
    startSync(A, key, 1000, 3);
    startSync(B);
    auto mail = addCategory(A, "Mail");
    addPhrase(A, mail, "hi", "Hello");
    publish(A);
    for (int i = 0; i < 6; ++i) {
        copy(A, QString::number(i));
        publish(A);
        receive(B);
    }
    ASSERT_TRUE(A.storage->forgetClip(clipWithText(A, "2")));
    publish(A);
    const auto own = SegmentFolder(folder.path()).segments(a);
    EXPECT_LE(own.size(), 4u);
    EXPECT_GT(own.rbegin()->first, 7) << "numbering goes on past the checkpoint";

    // A machine that comes later reads the checkpoint; one that read everything stays as it is.
    SyncMachine& C = machine(c);
    startSync(C);
    receive(C);
    receive(B);
    const QStringList expected{"5", "4", "3", "1", "0"};
    EXPECT_EQ(history(A), expected);
    EXPECT_EQ(history(B), expected);
    EXPECT_EQ(history(C), expected);
    EXPECT_EQ(historyFromFile(C), expected);
    EXPECT_EQ(phrases(C), QStringList({"Mail: hi=Hello"}));

    // After a restart with its old segments gone, A goes on numbering where it was.
    const qint64 last = own.rbegin()->first;
    startSync(A, key, 1000, 3);
    copy(A, "6");
    EXPECT_EQ(publish(A), QStringList({segmentPath(a, last + 1)}));
}

TEST_F(SyncEngineTest, JoiningOffersTheNewestClipsAndTheWholeLibraryBothWays) {
    SyncMachine& A = machine(a);
    SyncMachine& B = machine(b);
    for (int i = 0; i < 100; ++i) copy(A, QStringLiteral("a%1").arg(i));
    auto mail = addCategory(A, "Mail");
    addPhrase(A, mail, "hi", "Hello");
    B.clock.advance(50'500);  // B's own clip falls among A's
    copy(B, "b-before");
    auto own = addCategory(B, "Own");
    addPhrase(B, own, "x", "y");
    ASSERT_EQ(history(B), QStringList({"b-before"}));  // the order is kept from here on

    startSync(A, key, 80);
    QString why;
    ASSERT_TRUE(A.engine->writeCheckpoint(&why)) << qPrintable(why);
    startSync(B, key, 80);
    ASSERT_TRUE(B.engine->keyFitsFolder());
    ASSERT_TRUE(B.engine->writeCheckpoint(&why)) << qPrintable(why);
    receive(B);
    receive(A);

    QStringList newestOfA;
    for (int i = 99; i >= 20; --i) newestOfA << QStringLiteral("a%1").arg(i);
    QStringList expectedOnB = newestOfA;
    expectedOnB.insert(expectedOnB.indexOf("a50"), "b-before");
    EXPECT_EQ(history(B), expectedOnB);
    EXPECT_EQ(historyFromFile(B), expectedOnB);
    EXPECT_EQ(history(A).size(), 101);
    EXPECT_EQ(history(A).indexOf("b-before"), history(A).indexOf("a50") - 1);
    QStringList library = phrases(A);
    library.sort();
    EXPECT_EQ(library, QStringList({"Mail: hi=Hello", "Own: x=y"}));
    QStringList libraryOnB = phrases(B);
    libraryOnB.sort();
    EXPECT_EQ(libraryOnB, library);
}

TEST_F(SyncEngineTest, NoFileInTheFolderHoldsACopiedTextInTheClear) {
    SyncMachine& A = machine(a);
    startSync(A);
    const QString clip = QStringLiteral("hunter2-correct-horse-ünïcödé");
    const QString body = QStringLiteral("account number 0042-7731");
    copy(A, clip);
    addPhrase(A, addCategory(A, "Bank"), "acct", body);
    publish(A);
    QList<QByteArray> files = folderBytes();
    QString why;
    ASSERT_TRUE(A.engine->writeCheckpoint(&why));  // drops the segment before it
    files += folderBytes();
    ASSERT_EQ(files.size(), 2);
    EXPECT_NE(files[0], files[1]);
    for (const QString& text : {clip, body, QStringLiteral("Bank")}) {
        const QByteArray utf16(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        for (const QByteArray& bytes : files) {
            EXPECT_FALSE(bytes.contains(text.toUtf8())) << qPrintable(text);
            EXPECT_FALSE(bytes.contains(utf16)) << qPrintable(text);
            EXPECT_FALSE(bytes.contains(text.toUtf8().left(8))) << qPrintable(text);
        }
    }
}

}  // namespace
}  // namespace quillet::test
