// Where the sync key is kept: the private file, and the keyring store falling back to it
// where no keyring answers (a private session bus with no secret service on it, or no bus).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include "app/KeyringKeyStore.h"
#include "support/TempDir.h"
#include "support/Wait.h"
#include "sync/SyncKeyFile.h"

namespace quillet {
namespace {

using namespace std::chrono_literals;

const QByteArray kKey =
    QByteArray::fromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");

int modeOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return -1;
    return int(info.st_mode & 0777);
}

TEST(SyncKeyFileTest, TheKeyIsWrittenPrivatelyAndReadBackWhole) {
    test::TempDir home;
    const QString path = home.file(QStringLiteral("config/quillet/sync-key"));
    QString why;
    EXPECT_EQ(SyncKeyFile::read(path, &why), QByteArray()) << "no file: no key, no error";
    ASSERT_TRUE(SyncKeyFile::write(path, kKey, &why)) << why.toStdString();
    EXPECT_EQ(modeOf(path), 0600);
    EXPECT_EQ(SyncKeyFile::read(path, &why), kKey);
    // Replaced whole; no temporary file is left beside it.
    QByteArray other = kKey;
    other[0] = 'x';
    ASSERT_TRUE(SyncKeyFile::write(path, other, &why));
    EXPECT_EQ(SyncKeyFile::read(path, &why), other);
    EXPECT_EQ(QDir(home.file(QStringLiteral("config/quillet"))).entryList(QDir::Files),
              QStringList{QStringLiteral("sync-key")});
    ASSERT_TRUE(SyncKeyFile::remove(path, &why));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(SyncKeyFile::remove(path, &why)) << "removing what is gone is no failure";
    EXPECT_FALSE(SyncKeyFile::write(path, kKey.left(31), &why));
}

TEST(SyncKeyFileTest, AnythingButAKeyIsRefused) {
    test::TempDir home;
    const QString path = home.file(QStringLiteral("sync-key"));
    QString why;
    for (const QByteArray& text :
         {QByteArray("not hex at all"), kKey.toHex().left(62), kKey.toHex() + "00",
          QByteArray(kKey.toHex()).replace(0, 2, "zz"), QByteArray(2000, 'a')}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        why.clear();
        EXPECT_FALSE(SyncKeyFile::read(path, &why)) << text.left(70).toStdString();
        EXPECT_FALSE(why.isEmpty());
    }
    QFile::remove(path);
    QDir(home.path()).mkdir(QStringLiteral("sync-key"));
    EXPECT_FALSE(SyncKeyFile::read(path, &why)) << "a folder in its place";
}

class KeyringKeyStoreTest : public ::testing::Test {
protected:
    KeyringKeyStore::Options options() {
        KeyringKeyStore::Options options;
        options.service = QStringLiteral("quillet-test");
        options.filePath = home.file(QStringLiteral("sync-key"));
        // Long: a store that only answers because this passed would fail the waits below.
        options.timeoutMs = 60 * 1000;
        return options;
    }

    // Runs `call` and waits for the store's one answer.
    static QList<QVariant> answer(KeyringKeyStore& store, const std::function<void()>& call,
                                  const char* expected) {
        QSignalSpy loaded(&store, &SyncKeyStore::loaded);
        QSignalSpy saved(&store, &SyncKeyStore::saved);
        QSignalSpy removed(&store, &SyncKeyStore::removed);
        QSignalSpy failed(&store, &SyncKeyStore::failed);
        call();
        const bool answered = test::waitFor(
            [&] { return loaded.size() + saved.size() + removed.size() + failed.size() > 0; }, 10s);
        EXPECT_TRUE(answered) << "no answer from the key store";
        const std::map<std::string, QSignalSpy*> spies{
            {"loaded", &loaded}, {"saved", &saved}, {"removed", &removed}, {"failed", &failed}};
        for (const auto& [name, spy] : spies) {
            if (spy->isEmpty()) continue;
            EXPECT_EQ(name, expected);
            return spy->first();
        }
        return {};
    }

    void roundTrip() {
        KeyringKeyStore store(options());
        answer(
            store, [&] { store.load(); }, "loaded");
        answer(
            store, [&] { store.save(kKey); }, "saved");
        EXPECT_TRUE(store.keptInFile());
        EXPECT_EQ(modeOf(options().filePath), 0600);

        // A later run reads it back from the file.
        KeyringKeyStore again(options());
        const QList<QVariant> loaded = answer(
            again, [&] { again.load(); }, "loaded");
        ASSERT_FALSE(loaded.isEmpty());
        EXPECT_EQ(loaded.first().toByteArray(), kKey);
        EXPECT_TRUE(again.keptInFile());

        answer(
            again, [&] { again.remove(); }, "removed");
        EXPECT_FALSE(QFile::exists(options().filePath));
        EXPECT_FALSE(again.keptInFile());
        const QList<QVariant> none = answer(
            again, [&] { again.load(); }, "loaded");
        ASSERT_FALSE(none.isEmpty());
        EXPECT_TRUE(none.first().toByteArray().isEmpty());
    }

    test::TempDir home;
};

// CTest runs this twice: on a private session bus where nothing provides a keyring, and with
// no session bus at all.
TEST_F(KeyringKeyStoreTest, WhereNoKeyringAnswersTheKeyIsKeptInTheFile) {
    roundTrip();
}

TEST_F(KeyringKeyStoreTest, AnUnreadableKeyFileIsAFailureNotAMissingKey) {
    QFile file(options().filePath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("garbage");
    file.close();
    KeyringKeyStore store(options());
    const QList<QVariant> reason = answer(
        store, [&] { store.load(); }, "failed");
    ASSERT_FALSE(reason.isEmpty());
    EXPECT_TRUE(reason.first().toString().contains(options().filePath));
}

}  // namespace
}  // namespace quillet
