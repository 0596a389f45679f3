#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <map>
#include <memory>

#include "fakes/ManualClock.h"
#include "store/ClipItem.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StorageService.h"
#include "support/TempDir.h"
#include "sync/HybridClock.h"
#include "sync/SyncCapture.h"
#include "sync/SyncCrypto.h"
#include "sync/SyncEngine.h"

namespace quillet::test {

// One machine taking part in sync: its own store, wall clock, versions and device id; what
// its store saves is captured as it would be in the program and written when it publishes.
struct SyncMachine {
    TempDir dir;
    ManualClock clock;
    HybridClock versions;
    QString device;
    std::unique_ptr<StorageService> storage;
    std::vector<SyncOperation> captured;
    std::unique_ptr<SyncCapture> capture;
    std::unique_ptr<SyncEngine> engine;
};

// Two or more machines, one synced folder, one key; nothing runs on threads, so every step
// (publishing, receiving) happens exactly when the test says.
class SyncFixture : public ::testing::Test {
protected:
    SyncFixture() { SyncCrypto::initialize(); }

    // A machine whose device id is `device` (16 hex digits), its store open, not syncing yet.
    SyncMachine& machine(const QString& device) {
        auto& m = m_machines[device];
        if (!m) {
            m = std::make_unique<SyncMachine>();
            m->device = device;
            QString error;
            m->storage = StorageService::open(m->dir.file("history.sqlite"), &error, 2000);
            EXPECT_TRUE(m->storage) << qPrintable(error);
        }
        return *m;
    }

    // Starts (or restarts) the machine's engine on the shared folder.
    void startSync(SyncMachine& m, const QByteArray& key, int clipsAtCheckpoint = 1000,
                   int segmentsBeforeCheckpoint = 500) {
        m.engine.reset();
        SyncEngine::Config config{m.storage->filePath(), folder.path(), m.device, key,
                                  clipsAtCheckpoint, segmentsBeforeCheckpoint};
        QString why;
        m.engine = SyncEngine::open(config, m.versions, &why);
        ASSERT_TRUE(m.engine) << qPrintable(why);
        if (!m.capture)
            m.capture = std::make_unique<SyncCapture>(
                *m.storage, m.clock, m.versions, m.device,
                [&m](std::vector<SyncOperation> ops) {
                    m.captured.insert(m.captured.end(), ops.begin(), ops.end());
                },
                [](qint64) {});
    }
    void startSync(SyncMachine& m) { startSync(m, key); }

    // Writes what the machine captured since it last published; the segments' paths.
    QStringList publish(SyncMachine& m) {
        QString why;
        const QStringList written = m.engine->write(std::exchange(m.captured, {}), &why);
        EXPECT_TRUE(why.isEmpty()) << qPrintable(why);
        return written;
    }

    // Applies what the other machines wrote, as the program does, views included.
    SyncEngine::ScanResult receive(SyncMachine& m) {
        auto result = m.engine->rescan(m.clock.now().toMSecsSinceEpoch());
        m.storage->noteChangesElsewhere(result.changes.clipMoves, result.changes.clips,
                                        result.changes.phrases);
        return result;
    }

    std::shared_ptr<ClipItem> copy(SyncMachine& m, const QString& text) {
        auto clip = std::make_shared<ClipItem>(text, m.clock.now());
        m.storage->context().insert(clip);
        EXPECT_TRUE(m.storage->context().save());
        m.clock.advance(1000);
        return clip;
    }

    // The texts of the history, newest first.
    static QStringList history(SyncMachine& m) {
        QStringList texts;
        const ClipList list = m.storage->fetchItems(QString());
        for (qsizetype i = 0; i < list.size(); ++i)
            if (auto clip = list.at(i)) texts << clip->content();
        return texts;
    }

    // The history as a fresh start of the program reads it from the file.
    static QStringList historyFromFile(SyncMachine& m) {
        QString error;
        auto fresh = StorageService::open(m.storage->filePath(), &error, 2000);
        EXPECT_TRUE(fresh) << qPrintable(error);
        QStringList texts;
        const ClipList list = fresh ? fresh->fetchItems(QString()) : ClipList();
        for (qsizetype i = 0; i < list.size(); ++i)
            if (auto clip = list.at(i)) texts << clip->content();
        return texts;
    }

    std::shared_ptr<ClipItem> clipWithText(SyncMachine& m, const QString& text) {
        const ClipList list = m.storage->fetchItems(QString());
        for (qsizetype i = 0; i < list.size(); ++i)
            if (auto clip = list.at(i); clip && clip->content() == text) return clip;
        return nullptr;
    }

    // "Category: title=body" for every phrase, categories and phrases by sort order.
    static QStringList phrases(SyncMachine& m) {
        QStringList out;
        for (const auto& category : m.storage->fetchCategories())
            for (const auto& phrase : category->sortedItems())
                out << category->name() + ": " + phrase->title() + "=" + phrase->body();
        return out;
    }

    std::shared_ptr<PhraseCategory> addCategory(SyncMachine& m, const QString& name) {
        auto category = std::make_shared<PhraseCategory>(name, qint64(0));
        m.storage->context().insert(category);
        EXPECT_TRUE(m.storage->context().save());
        return category;
    }

    std::shared_ptr<PhraseItem> addPhrase(SyncMachine& m,
                                          const std::shared_ptr<PhraseCategory>& category,
                                          const QString& title, const QString& body) {
        auto phrase = std::make_shared<PhraseItem>(title, body, qint64(0));
        phrase->setCategory(category);
        m.storage->context().insert(phrase);
        EXPECT_TRUE(m.storage->context().save());
        return phrase;
    }

    QString segmentPath(const QString& device, qint64 sequence) const {
        return SegmentFolder(folder.path()).segmentPath(device, sequence);
    }

    // Every file below the synced folder, read raw.
    QList<QByteArray> folderBytes() const;

    TempDir folder;
    QByteArray key = SyncCrypto::newKey();
    // Device ids in order: the higher one wins a tie of versions.
    const QString a = QStringLiteral("aaaaaaaaaaaaaaaa");
    const QString b = QStringLiteral("bbbbbbbbbbbbbbbb");
    const QString c = QStringLiteral("cccccccccccccccc");

private:
    std::map<QString, std::unique_ptr<SyncMachine>> m_machines;
};

inline QList<QByteArray> SyncFixture::folderBytes() const {
    QList<QByteArray> all;
    QStringList pending{folder.path()};
    while (!pending.isEmpty()) {
        QDir dir(pending.takeLast());
        for (const QFileInfo& entry :
             dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
            if (entry.isDir()) {
                pending << entry.filePath();
                continue;
            }
            QFile file(entry.filePath());
            if (file.open(QIODevice::ReadOnly)) all << file.readAll();
        }
    }
    return all;
}

}  // namespace quillet::test
