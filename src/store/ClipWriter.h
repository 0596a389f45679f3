#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUuid>
#include <deque>
#include <thread>

namespace quillet {

// Writes long clips on a connection and thread of its own, one after another in the order
// they came, so the event loop never waits for megabytes to reach the disk. While a write
// runs the store's writer lock is taken; the context holds its own saves back meanwhile
// (see StorageContext::setHeld) instead of waiting for the lock on the event loop.
class ClipWriter : public QObject {
    Q_OBJECT
public:
    explicit ClipWriter(QString path, QObject* parent = nullptr);
    ~ClipWriter() override;  // waits for a write that is running

    void enqueue(QString content, QDateTime timestamp);
    bool isBusy() const { return m_running || !m_queue.empty(); }

    static constexpr int retryMs = 5000;

signals:
    // A clip is stored as row `rowId`; the queue may hold more.
    void written(qint64 rowId, const QDateTime& timestamp);
    // A write failed and is tried again in `retryMs`; nothing is dropped.
    void failed(const QString& reason);
    // A write started (true) or ended, stored or not (false).
    void runningChanged(bool running);

private:
    struct Job {
        QUuid id;
        QString content;
        QDateTime timestamp;
    };
    void startNext();
    void finish(bool ok, qint64 rowId, const QString& reason);

    const QString m_path;
    std::deque<Job> m_queue;
    bool m_running = false;
    std::thread m_thread;
};

}  // namespace quillet
