#include "store/StoreCheck.h"

#include <sqlite3.h>

#include <QFile>
#include <QMetaObject>
#include <QStringList>

#include "store/SqlStatement.h"
#include "store/TrigramTokenizer.h"

namespace quillet {

StoreCheck::StoreCheck(QString path, QObject* parent) : QObject(parent), m_path(std::move(path)) {}

StoreCheck::~StoreCheck() {
    m_stopping = true;
    if (sqlite3* db = m_db.load()) sqlite3_interrupt(db);
    if (m_thread.joinable()) m_thread.join();
}

void StoreCheck::start() {
    if (m_thread.joinable()) return;
    m_thread = std::thread([this] { run(); });
}

// The file's pages can be sound while the search index within them is not. Reading every
// term of the index walks all of its segments, and a damaged one fails the walk. (The index's
// own integrity check would take the store's write lock for as long as it runs.)
QString StoreCheck::checkIndex(sqlite3* db) {
    QString why;
    if (!TrigramTokenizer::registerWith(db, &why)) return {};  // cannot tell; not a finding
    if (!execSql(db,
                 "CREATE VIRTUAL TABLE temp.ClipTrigramTerms USING "
                 "fts5vocab(main, ClipTrigram, row)",
                 &why))
        return why;
    SqlStatement terms(db, "SELECT count(*), sum(doc) FROM temp.ClipTrigramTerms");
    const int rc = terms.step();
    if (rc == SQLITE_ROW || m_stopping) return {};
    return terms.error();
}

void StoreCheck::run() {
    QStringList problems;
    QString indexProblem;
    QString why;
    sqlite3* db = openStoreConnection(m_path, SQLITE_OPEN_READONLY, 5000, &why);
    if (!db) {
        problems << why;
    } else {
        m_db = db;
        if (m_stopping) sqlite3_interrupt(db);
        sqlite3_stmt* statement = nullptr;
        // Ten findings say enough; the full list can be long on a badly damaged file.
        if (sqlite3_prepare_v2(db, "PRAGMA quick_check(10)", -1, &statement, nullptr) ==
            SQLITE_OK) {
            int rc;
            while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
                const QString line = QString::fromUtf8(text ? text : "");
                if (line != QLatin1String("ok")) problems << line;
            }
            if (rc != SQLITE_DONE && !m_stopping) problems << QString::fromUtf8(sqlite3_errmsg(db));
        } else {
            problems << QString::fromUtf8(sqlite3_errmsg(db));
        }
        sqlite3_finalize(statement);
        if (problems.isEmpty() && !m_stopping) indexProblem = checkIndex(db);
        m_db = nullptr;
    }
    sqlite3_close(db);
    if (m_stopping) return;
    if (!indexProblem.isEmpty())
        QMetaObject::invokeMethod(
            this, [this, indexProblem] { emit indexDamaged(indexProblem); }, Qt::QueuedConnection);
    const QString found = problems.join(QStringLiteral("; "));
    // Queued to this object's thread; the destructor joins this thread before QObject's
    // destructor drops what is still queued.
    QMetaObject::invokeMethod(
        this, [this, found] { emit finished(found.isEmpty(), found); }, Qt::QueuedConnection);
}

}  // namespace quillet
