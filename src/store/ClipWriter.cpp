#include "store/ClipWriter.h"

#include <sqlite3.h>

#include <QFile>
#include <QMetaObject>
#include <QTimer>

#include "base/Logging.h"
#include "store/SqlStatement.h"
#include "store/TrigramTokenizer.h"

namespace quillet {

ClipWriter::ClipWriter(QString path, QObject* parent) : QObject(parent), m_path(std::move(path)) {}

ClipWriter::~ClipWriter() {
    if (m_thread.joinable()) m_thread.join();
}

void ClipWriter::enqueue(QString content, QDateTime timestamp) {
    m_queue.push_back({QUuid::createUuid(), std::move(content), std::move(timestamp)});
    if (!m_running) startNext();
}

void ClipWriter::startNext() {
    if (m_running || m_queue.empty()) return;
    if (m_thread.joinable()) m_thread.join();
    m_running = true;
    emit runningChanged(true);
    const Job job = m_queue.front();  // stays queued until it is stored
    m_thread = std::thread([this, job] {
        bool ok = false;
        qint64 rowId = 0;
        QString reason;
        if (sqlite3* db = openStoreConnection(m_path, SQLITE_OPEN_READWRITE, 10000, &reason)) {
            // The index's trigger tokenizes the clip on this connection; the index merges its
            // segments as it grows, and the pages it frees are overwritten (forgotten clips).
            if (TrigramTokenizer::registerWith(db, &reason) &&
                execSql(db, "PRAGMA synchronous = FULL; PRAGMA secure_delete = ON; BEGIN IMMEDIATE",
                        &reason)) {
                SqlStatement insert(
                    db, "INSERT INTO ClipItem (id, content, timestamp) VALUES (?, ?, ?)");
                ok = insert.bindAll(
                         {job.id.toString(QUuid::WithoutBraces), job.content, job.timestamp}) &&
                     insert.run();
                if (!ok) reason = insert.error();
                rowId = sqlite3_last_insert_rowid(db);
                ok = ok && execSql(db, "COMMIT", &reason);
                if (!ok) execSql(db, "ROLLBACK");
            }
            sqlite3_close(db);
        }
        QMetaObject::invokeMethod(
            this, [this, ok, rowId, reason] { finish(ok, rowId, reason); }, Qt::QueuedConnection);
    });
}

void ClipWriter::finish(bool ok, qint64 rowId, const QString& reason) {
    m_running = false;
    emit runningChanged(false);
    if (!ok) {
        qCWarning(lcStore) << "writing a long clip failed, trying again in" << retryMs / 1000
                           << "s:" << reason;
        emit failed(reason);
        QTimer::singleShot(retryMs, this, &ClipWriter::startNext);
        return;
    }
    const Job done = m_queue.front();
    m_queue.pop_front();
    emit written(rowId, done.timestamp);
    startNext();
}

}  // namespace quillet
