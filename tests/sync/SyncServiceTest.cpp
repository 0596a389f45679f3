#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QSignalSpy>

#include "fakes/FakeSyncKeyStore.h"
#include "fakes/ManualClock.h"
#include "store/ClipItem.h"
#include "store/StorageService.h"
#include "support/TempDir.h"
#include "support/Wait.h"
#include "sync/SegmentFolder.h"
#include "sync/SyncCrypto.h"
#include "sync/SyncService.h"

namespace quillet::test {
namespace {

// A machine as the program has it: store, settings file, key store and the sync service,
// whose engine runs on its own thread; no transport, so the test asks for rescans.
struct Machine {
    explicit Machine(const TempDir& home, const QString& name) {
        QString error;
        storage = StorageService::open(home.file(name + "/history.sqlite"), &error, 2000);
        EXPECT_TRUE(storage) << qPrintable(error);
        settings = std::make_unique<QSettings>(home.file(name + "/quillet.ini"),
                                               QSettings::IniFormat);
    }
    void startService() {
        service = std::make_unique<SyncService>(*storage, *settings, keys, nullptr, clock);
    }
    void copy(const QString& text) {
        storage->context().insert(std::make_shared<ClipItem>(text, clock.now()));
        EXPECT_TRUE(storage->context().save());
        clock.advance(1000);
    }
    QStringList history() {
        QStringList texts;
        const ClipList list = storage->fetchItems(QString());
        for (qsizetype i = 0; i < list.size(); ++i)
            if (auto clip = list.at(i)) texts << clip->content();
        return texts;
    }

    ManualClock clock;
    FakeSyncKeyStore keys;
    std::unique_ptr<StorageService> storage;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<SyncService> service;
};

class SyncServiceTest : public ::testing::Test {
protected:
    // Starts sync on `first` and returns the pairing code it shows.
    QString initialize(Machine& machine) {
        QSignalSpy ready(machine.service.get(), &SyncControl::pairingCodeReady);
        machine.service->initialize(folder.path());
        EXPECT_TRUE(ready.wait(5000));
        return ready.value(0).value(0).toString();
    }

    TempDir home;
    TempDir folder;
    Machine first{home, "first"};
    Machine second{home, "second"};
};

TEST_F(SyncServiceTest, AMachineThatJoinsWithTheCodeGetsTheOthersCopies) {
    first.copy("before sync");
    first.startService();
    const QString code = initialize(first);
    ASSERT_FALSE(code.isEmpty());
    EXPECT_EQ(first.service->pairingCode(), code);
    EXPECT_EQ(SyncCrypto::keyFromCode(code, nullptr), first.keys.key) << "the key is kept";
    EXPECT_EQ(first.settings->value("sync/folder").toString(), folder.path());
    EXPECT_EQ(first.service->statusLine(),
              QStringLiteral("Sync: %1, 0 devices, nothing received yet").arg(folder.path()));

    second.startService();
    QSignalSpy joined(second.service.get(), &SyncControl::joined);
    second.service->join(folder.path(), code.toLower());
    ASSERT_TRUE(joined.wait(5000));
    EXPECT_TRUE(waitFor([&] { return second.history() == QStringList({"before sync"}); }));

    first.copy("after sync");
    EXPECT_TRUE(waitFor([&] {
        second.service->rescan();
        return second.history().value(0) == "after sync";
    }));
    // The joiner's offer holds the first machine's own clip again: it is not doubled.
    EXPECT_TRUE(waitFor([&] {
        first.service->rescan();
        return first.service->status().devices == 1;
    }));
    EXPECT_EQ(first.history(), QStringList({"after sync", "before sync"}));
    const SyncStatus status = second.service->status();
    EXPECT_TRUE(status.enabled);
    EXPECT_EQ(status.devices, 1);
    EXPECT_TRUE(status.lastReceived.has_value());
    EXPECT_TRUE(status.problem.isEmpty());
    EXPECT_NE(status.deviceId, first.service->status().deviceId);
}

TEST_F(SyncServiceTest, AWrongCodeIsRefusedAndChangesNothing) {
    first.startService();
    initialize(first);
    second.startService();
    QSignalSpy failed(second.service.get(), &SyncControl::failed);
    QSignalSpy joined(second.service.get(), &SyncControl::joined);

    QString mistyped = SyncCrypto::pairingCode(first.keys.key);
    mistyped[0] = mistyped[0] == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');
    second.service->join(folder.path(), mistyped);
    ASSERT_EQ(failed.size(), 1) << "a mistyped code is refused at once";
    EXPECT_TRUE(failed.value(0).value(0).toString().startsWith("Wrong code"));

    // A code that is well formed but belongs to another sync.
    second.service->join(folder.path(), SyncCrypto::pairingCode(SyncCrypto::newKey()));
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_TRUE(failed.value(1).value(0).toString().contains("another sync"));
    EXPECT_TRUE(joined.isEmpty());
    EXPECT_TRUE(second.keys.key.isEmpty());
    EXPECT_FALSE(second.settings->contains("sync/folder"));
    EXPECT_EQ(second.service->statusLine(), "Sync: off");
}

TEST_F(SyncServiceTest, AFailedJoinLeavesTheSyncThatRanBefore) {
    first.startService();
    const QString code = initialize(first);
    TempDir otherFolder;
    second.startService();
    QSignalSpy ready(second.service.get(), &SyncControl::pairingCodeReady);
    second.service->initialize(otherFolder.path());
    ASSERT_TRUE(ready.wait(5000));

    QSignalSpy failed(first.service.get(), &SyncControl::failed);
    first.service->join(otherFolder.path(), code);  // the code of first's own sync
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_TRUE(waitFor([&] { return first.service->pairingCode() == code; }));
    EXPECT_EQ(first.service->status().folder, folder.path());
    first.copy("still synced");
    const QString device = first.service->status().deviceId;
    EXPECT_TRUE(waitFor([&] { return SegmentFolder(folder.path()).segments(device).size() == 2; }));
}

TEST_F(SyncServiceTest, SyncComesBackAfterARestartAndStopsWhenTurnedOff) {
    first.startService();
    initialize(first);
    first.service.reset();  // the program quits

    first.startService();
    first.copy("while the key is read");
    EXPECT_TRUE(waitFor([&] { return !first.service->pairingCode().isEmpty(); }));
    first.copy("after restart");
    const SegmentFolder files(folder.path());
    const QString device = first.service->status().deviceId;
    EXPECT_TRUE(waitFor([&] { return files.segments(device).size() >= 2; }));
    // A machine joining now finds both in the segments written after the first checkpoint.
    second.startService();
    QSignalSpy joined(second.service.get(), &SyncControl::joined);
    second.service->join(folder.path(), first.service->pairingCode());
    ASSERT_TRUE(joined.wait(5000));
    EXPECT_TRUE(waitFor([&] {
        second.service->rescan();
        return second.history() == QStringList({"after restart", "while the key is read"});
    })) << qPrintable(second.history().join(u','));
    second.service.reset();
    const size_t written = files.segments(device).size();

    first.service->turnOff();
    drainEvents();
    EXPECT_EQ(first.service->statusLine(), "Sync: off");
    EXPECT_TRUE(first.keys.key.isEmpty());
    first.copy("after turning off");
    first.service.reset();
    EXPECT_EQ(files.segments(device).size(), written) << "nothing written once sync is off";

    // Set up, but the key is gone from this machine.
    first.settings->setValue("sync/folder", folder.path());
    first.startService();
    EXPECT_TRUE(waitFor([&] { return !first.service->status().problem.isEmpty(); }));
    EXPECT_TRUE(first.service->statusLine().contains("key is missing"));
}

}  // namespace
}  // namespace quillet::test
