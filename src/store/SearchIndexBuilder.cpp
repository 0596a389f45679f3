#include "store/SearchIndexBuilder.h"

#include <sqlite3.h>

#include <QFile>
#include <QMetaObject>
#include <chrono>

#include "base/Logging.h"
#include "store/SqlStatement.h"
#include "store/StoreSchema.h"
#include "store/TrigramTokenizer.h"

namespace quillet {

SearchIndexBuilder::SearchIndexBuilder(QString path, QObject* parent)
    : QObject(parent), m_path(std::move(path)) {}

SearchIndexBuilder::~SearchIndexBuilder() {
    m_stopping = true;
    if (sqlite3* db = m_db.load()) sqlite3_interrupt(db);
    if (m_thread.joinable()) m_thread.join();
}

void SearchIndexBuilder::start() {
    if (m_thread.joinable()) return;
    m_running = true;
    m_thread = std::thread([this] { run(); });
}

// Indexes no longer in use (an earlier version's, or one found damaged) go first, a few
// hundred of their blocks a transaction, so their pages are free for the new index and the
// file does not grow.
bool SearchIndexBuilder::removeOldIndex(sqlite3* db, bool* done, QString* why) {
    const QStringList retired = StoreSchema::retiredIndexes(db);
    if (retired.isEmpty()) {
        *done = true;
        return true;
    }
    const QString name = retired.first();
    // Its segments only: dropping the table reads its first records (rowid 1 to 10).
    SqlStatement remove(db, QStringLiteral("DELETE FROM \"%1_data\" WHERE rowid IN "
                                           "(SELECT rowid FROM \"%1_data\" WHERE rowid > 10 "
                                           "LIMIT 500)")
                                .arg(name));
    if (!remove.run()) {
        *why = remove.error();
        return false;
    }
    const bool removed = sqlite3_changes(db) > 0;
    remove.reset();
    return removed || execSql(db, QStringLiteral("DROP TABLE \"%1\"").arg(name).toUtf8(), why);
}

// Indexes the next clips below the covered range, newest first.
bool SearchIndexBuilder::indexBatch(sqlite3* db, bool* done, QString* why) {
    SqlStatement state(db, "SELECT indexedFrom FROM SearchIndexState");
    if (state.step() != SQLITE_ROW) {
        *why = state.error();
        return false;
    }
    const qint64 indexedFrom = state.int64(0);
    if (indexedFrom <= 0) {
        *done = true;
        return true;
    }
    SqlStatement lowest(db,
                        "SELECT pk FROM ClipItem WHERE pk < ?1 ORDER BY pk DESC "
                        "LIMIT 1 OFFSET ?2");
    lowest.bind(1, indexedFrom);
    lowest.bind(2, batchRows - 1);
    const int rc = lowest.step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        *why = lowest.error();
        return false;
    }
    // None that far down: this batch takes the rest.
    const qint64 from = rc == SQLITE_ROW ? lowest.int64(0) : 0;
    SqlStatement index(db,
                       "INSERT INTO ClipTrigram (rowid, content) SELECT pk, content FROM ClipItem "
                       "WHERE pk >= ?1 AND pk < ?2 AND pk NOT IN (SELECT pk FROM LargeClip)");
    index.bind(1, from);
    index.bind(2, indexedFrom);
    SqlStatement count(db, "SELECT count(*) FROM ClipItem WHERE pk >= ?1 AND pk < ?2");
    count.bind(1, from);
    count.bind(2, indexedFrom);
    SqlStatement advance(db, "UPDATE SearchIndexState SET indexedFrom = ?1");
    advance.bind(1, from);
    if (count.step() != SQLITE_ROW || !index.run() || !advance.run()) {
        *why = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    m_done += count.int64(0);
    *done = from == 0;
    return true;
}

void SearchIndexBuilder::run() {
    QString why;
    sqlite3* db = openStoreConnection(m_path, SQLITE_OPEN_READWRITE, 10000, &why);
    bool ok = db != nullptr;
    if (ok) {
        m_db = db;
        if (m_stopping) sqlite3_interrupt(db);
        // A batch lost in a crash is done again: the progress is in the same transaction.
        // Index segments merged away and retired indexes hold pieces of clips: their pages
        // are overwritten as they are freed.
        ok = TrigramTokenizer::registerWith(db, &why) &&
             execSql(db, "PRAGMA synchronous = NORMAL; PRAGMA secure_delete = ON", &why);
    }
    if (ok) {
        // Progress counts every clip, those indexed by an earlier, interrupted run included.
        SqlStatement total(db,
                           "SELECT count(*), count(*) FILTER (WHERE pk >= "
                           "(SELECT indexedFrom FROM SearchIndexState)) FROM ClipItem");
        ok = total.step() == SQLITE_ROW;
        if (!ok) why = total.error();
        m_total = total.int64(0);
        m_done = total.int64(1);
    }
    bool oldIndexGone = false;
    bool done = false;
    while (ok && !done && !m_stopping) {
        ok = execSql(db, "BEGIN IMMEDIATE", &why);
        if (!ok) break;
        ok = oldIndexGone ? indexBatch(db, &done, &why) : removeOldIndex(db, &oldIndexGone, &why);
        ok = ok && execSql(db, "COMMIT", &why);
        if (!ok) {
            execSql(db, "ROLLBACK");
            break;
        }
        QMetaObject::invokeMethod(this, &SearchIndexBuilder::progressed, Qt::QueuedConnection);
        if (!done) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
    m_db = nullptr;
    sqlite3_close(db);
    m_finished = done;
    m_running = false;
    if (m_stopping) return;
    // Queued to this object's thread; the destructor joins this thread first.
    if (done) {
        m_done = m_total.load();
        QMetaObject::invokeMethod(this, &SearchIndexBuilder::finished, Qt::QueuedConnection);
    } else {
        qCWarning(lcStore) << "building the search index stopped, searches scan meanwhile:" << why;
        QMetaObject::invokeMethod(
            this, [this, why] { emit failed(why); }, Qt::QueuedConnection);
    }
}

}  // namespace quillet
