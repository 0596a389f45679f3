#include "store/SqlStatement.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QFile>
#include <QUuid>

namespace quillet {

SqlStatement::SqlStatement(sqlite3* db, const QString& sql) : m_db(db) {
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr) != SQLITE_OK)
        m_stmt = nullptr;
}

SqlStatement::~SqlStatement() {
    sqlite3_finalize(m_stmt);
}

bool SqlStatement::bind(int index, const QVariant& value) {
    if (m_stmt == nullptr) return false;
    int rc = SQLITE_OK;
    switch (value.typeId()) {
        case QMetaType::UnknownType:
            rc = sqlite3_bind_null(m_stmt, index);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::QDateTime:
            rc = sqlite3_bind_int64(m_stmt, index, value.toDateTime().toMSecsSinceEpoch());
            break;
        case QMetaType::QUuid: {
            const QByteArray text = value.toUuid().toByteArray(QUuid::WithoutBraces);
            rc = sqlite3_bind_text(m_stmt, index, text.constData(), int(text.size()),
                                   SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text(m_stmt, index, text.constData(), int(text.size()),
                                   SQLITE_TRANSIENT);
        }
    }
    return rc == SQLITE_OK;
}

bool SqlStatement::bindAll(const QVariantList& values) {
    for (int i = 0; i < values.size(); ++i)
        if (!bind(i + 1, values[i])) return false;
    return true;
}

int SqlStatement::step() {
    return m_stmt == nullptr ? SQLITE_MISUSE : sqlite3_step(m_stmt);
}

bool SqlStatement::run() {
    int rc;
    while ((rc = step()) == SQLITE_ROW) {
    }
    return rc == SQLITE_DONE;
}

void SqlStatement::reset() {
    if (m_stmt == nullptr) return;
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

qint64 SqlStatement::int64(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

QString SqlStatement::text(int column) const {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column));
}

QString SqlStatement::error() const {
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

bool execSql(sqlite3* db, const char* sql, QString* error) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK && error != nullptr)
        *error = QString::fromUtf8(message != nullptr ? message : sqlite3_errstr(rc));
    sqlite3_free(message);
    return rc == SQLITE_OK;
}

sqlite3* openStoreConnection(const QString& path, int flags, int busyTimeoutMs, QString* error) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr) != SQLITE_OK) {
        if (error) *error = QString::fromUtf8(db ? sqlite3_errmsg(db) : "cannot open the store");
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, busyTimeoutMs);
    return db;
}

}  // namespace quillet
