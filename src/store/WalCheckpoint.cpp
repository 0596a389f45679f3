#include "store/WalCheckpoint.h"

#include <sqlite3.h>

#include <QFile>
#include <QMetaObject>
#include <chrono>

#include "base/Logging.h"
#include "store/SqlStatement.h"

namespace quillet {

WalCheckpoint::WalCheckpoint(QString path, QObject* parent)
    : QObject(parent), m_path(std::move(path)) {
    m_thread = std::thread([this] { run(); });
}

WalCheckpoint::~WalCheckpoint() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void WalCheckpoint::request() {
    {
        std::lock_guard lock(m_mutex);
        m_requested = true;
    }
    m_wake.notify_all();
}

bool WalCheckpoint::checkpointOnce(sqlite3* db, bool* busy, QString* why) {
    SqlStatement checkpoint(db, "PRAGMA wal_checkpoint(TRUNCATE)");
    const int rc = checkpoint.step();
    // A row of (blocked, frames in the log, frames copied); SQLITE_BUSY from a writer or
    // reader counts as blocked too.
    *busy = rc == SQLITE_BUSY || (rc == SQLITE_ROW && checkpoint.int64(0) != 0);
    if (rc != SQLITE_ROW && !*busy) *why = checkpoint.error();
    if (*busy) *why = QStringLiteral("readers or a writer kept the log in use");
    return rc == SQLITE_ROW && !*busy;
}

void WalCheckpoint::run() {
    sqlite3* db = nullptr;
    // Opened only when first needed; most runs of the program never forget a clip.
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_requested || m_stopping; });
            if (m_stopping) break;
            m_requested = false;
        }
        QString why;
        if (!db) {
            // Short waits, so a stop or a new request is seen between tries.
            db = openStoreConnection(m_path, SQLITE_OPEN_READWRITE, retryMs, &why);
            if (db) execSql(db, "PRAGMA secure_delete = ON", &why);
        }
        bool truncated = false;
        const auto giveUpAt =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(giveUpMs);
        while (db) {
            bool busy = false;
            truncated = checkpointOnce(db, &busy, &why);
            if (truncated || !busy || std::chrono::steady_clock::now() >= giveUpAt) break;
            std::unique_lock lock(m_mutex);
            if (m_wake.wait_for(lock, std::chrono::milliseconds(retryMs),
                                [this] { return m_stopping; }))
                break;
        }
        if (!truncated)
            qCWarning(lcStore) << "emptying the store's log failed; it empties at a later save:"
                               << why;
        QMetaObject::invokeMethod(
            this, [this, truncated, why] { emit finished(truncated, why); }, Qt::QueuedConnection);
        std::lock_guard lock(m_mutex);
        if (m_stopping) break;
    }
    sqlite3_close(db);
}

}  // namespace quillet
