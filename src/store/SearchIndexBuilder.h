#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <thread>

struct sqlite3;

namespace quillet {

// How far the clip index has been built over the clips that predate it.
struct SearchIndexProgress {
    qint64 done = 0;
    qint64 total = 0;
};

// Brings the clip index up to date after a store of an earlier version was opened: takes the
// old index apart and indexes the existing clips, newest first, in short transactions on a
// connection and thread of its own, so the event loop never waits for it and the store's
// writer lock is free between batches. Each batch records how far it got in the same
// transaction, so a run that is stopped (or killed) goes on where it was at the next start.
class SearchIndexBuilder : public QObject {
    Q_OBJECT
public:
    explicit SearchIndexBuilder(QString path, QObject* parent = nullptr);
    ~SearchIndexBuilder() override;  // stops the run after its current batch

    void start();
    // Thread-safe.
    SearchIndexProgress progress() const { return {m_done.load(), m_total.load()}; }
    bool isFinished() const { return m_finished.load(); }
    // Started and neither finished nor stopped by an error.
    bool isRunning() const { return m_running.load(); }

    static constexpr int batchRows = 2000;
    // A pause between batches, so the program's own writes get the lock.
    static constexpr int pauseMs = 15;

signals:
    // Queued to this object's thread after each batch.
    void progressed();
    // The index covers every clip.
    void finished();
    // The run stopped on an error; the next start tries again.
    void failed(const QString& reason);

private:
    void run();
    bool removeOldIndex(sqlite3* db, bool* done, QString* why);
    bool indexBatch(sqlite3* db, bool* done, QString* why);

    const QString m_path;
    std::atomic<qint64> m_done = 0;
    std::atomic<qint64> m_total = 0;
    std::atomic<bool> m_finished = false;
    std::atomic<bool> m_running = false;
    std::atomic<bool> m_stopping = false;
    std::atomic<sqlite3*> m_db = nullptr;
    std::thread m_thread;
};

}  // namespace quillet
