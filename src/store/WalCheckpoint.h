#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

struct sqlite3;

namespace quillet {

// Copies the store's write-ahead log into the file and truncates it, on a thread and
// connection of its own, so that the text of a forgotten clip leaves the log within seconds
// while the event loop never waits for the copy. A reader still on an older snapshot keeps
// the log from being truncated: the checkpoint is tried again until it stands or
// `giveUpMs` has passed. Requests made while one runs are served by one more run.
class WalCheckpoint : public QObject {
    Q_OBJECT
public:
    explicit WalCheckpoint(QString path, QObject* parent = nullptr);
    ~WalCheckpoint() override;  // interrupts a checkpoint waiting for readers, then joins

    void request();

    static constexpr int retryMs = 200;
    static constexpr int giveUpMs = 60'000;

signals:
    // The log was emptied (true), or could not be within `giveUpMs` (false, with the reason).
    void finished(bool truncated, const QString& reason);

private:
    void run();
    // One checkpoint on `db`: true once the log is truncated; `busy` when readers held it.
    static bool checkpointOnce(sqlite3* db, bool* busy, QString* why);

    const QString m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_requested = false;
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace quillet
