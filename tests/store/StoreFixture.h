#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <memory>

#include "store/ClipItem.h"
#include "store/StorageService.h"
#include "support/TempDir.h"
#include "support/Wait.h"

namespace quillet::test {

// A fresh store file in a private temporary folder.
class StoreFixture : public ::testing::Test {
protected:
    StoreFixture() { reopen(); }
    ~StoreFixture() override { unlock(); }

    void reopen() {
        storage.reset();
        QString error;
        storage = StorageService::open(dir.file("store/history.sqlite"), &error, 200);
        ASSERT_TRUE(storage) << qPrintable(error);
    }

    // Starts over with an empty store file.
    void recreate() {
        storage.reset();
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(dir.file(QStringLiteral("store/history.sqlite") + suffix));
        reopen();
    }

    // Saves a clip stamped `secondsAfterStart` after a fixed moment.
    std::shared_ptr<ClipItem> addClip(const QString& text, qint64 secondsAfterStart) {
        auto clip = std::make_shared<ClipItem>(text, start.addSecs(secondsAfterStart));
        storage->context().insert(clip);
        EXPECT_TRUE(storage->context().save());
        return clip;
    }

    // Saves `count` clips in one go: `format` with %1 = i, stamped i seconds after the start.
    void addClips(int count, const QString& format) {
        for (int i = 0; i < count; ++i)
            storage->context().insert(std::make_shared<ClipItem>(format.arg(i), start.addSecs(i)));
        ASSERT_TRUE(storage->context().save());
    }

    // Lets the background index build of a store of an earlier version finish.
    bool waitForIndex() {
        return waitFor([this] { return !storage->isMigrating(); }, std::chrono::seconds(30));
    }

    // Another connection holding the write lock makes our saves fail (busy); unlocking
    // closes it, which rolls its transaction back.
    void lockFromOutside() {
        ASSERT_EQ(sqlite3_open(qPrintable(dir.file("store/history.sqlite")), &m_other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(m_other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    void unlock() {
        sqlite3_close(m_other);
        m_other = nullptr;
    }

    static QStringList texts(const ClipList& list) {
        QStringList result;
        for (qsizetype i = 0; i < list.size(); ++i) result << list.at(i)->content();
        return result;
    }

    TempDir dir;
    std::unique_ptr<StorageService> storage;
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000LL, Qt::UTC);

private:
    sqlite3* m_other = nullptr;
};

}  // namespace quillet::test
