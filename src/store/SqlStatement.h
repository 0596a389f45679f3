#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

namespace quillet {

// A prepared statement that finalizes itself. Values bind by type: text, integers, UUIDs as
// text and date-times as milliseconds since the epoch.
class SqlStatement {
public:
    SqlStatement(sqlite3* db, const QString& sql);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    bool isPrepared() const { return m_stmt != nullptr; }
    bool bind(int index, const QVariant& value);  // 1-based
    bool bindAll(const QVariantList& values);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    bool run();  // steps to the end; true when it reached SQLITE_DONE
    void reset();

    qint64 int64(int column) const;
    QString text(int column) const;
    QString error() const;

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// Runs one or more statements without results.
bool execSql(sqlite3* db, const char* sql, QString* error = nullptr);

// A connection of a worker thread to the store file at `path` (`flags`: SQLITE_OPEN_READWRITE
// or SQLITE_OPEN_READONLY), waiting up to `busyTimeoutMs` for the lock; null with `error` set
// when the file cannot be opened.
sqlite3* openStoreConnection(const QString& path, int flags, int busyTimeoutMs, QString* error);

}  // namespace quillet
