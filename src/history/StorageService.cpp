#include "history/StorageService.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "history/SqlStatement.h"
#include "phrases/PhraseCategory.h"

namespace quillet {

namespace {

// Version 1: the three record tables and a trigram index that makes substring search fast.
// The index stores no positions (detail=none), so it only narrows the candidates; every
// match is confirmed with instr().
const char* const kSchemaV1 = R"sql(
CREATE TABLE ClipItem (
    pk INTEGER PRIMARY KEY,
    id TEXT NOT NULL UNIQUE,
    content TEXT NOT NULL,
    timestamp INTEGER NOT NULL
);
CREATE INDEX ClipItem_timestamp ON ClipItem (timestamp, pk);
CREATE TABLE PhraseCategory (
    id TEXT NOT NULL UNIQUE,
    name TEXT NOT NULL,
    sortOrder INTEGER NOT NULL
);
CREATE TABLE PhraseItem (
    id TEXT NOT NULL UNIQUE,
    title TEXT NOT NULL,
    body TEXT NOT NULL,
    sortOrder INTEGER NOT NULL,
    category TEXT REFERENCES PhraseCategory (id) ON DELETE CASCADE
);
CREATE INDEX PhraseItem_category ON PhraseItem (category);
CREATE VIRTUAL TABLE ClipSearch USING fts5 (
    content, content = 'ClipItem', content_rowid = 'pk',
    tokenize = 'trigram case_sensitive 1', detail = none
);
CREATE TRIGGER ClipItem_ai AFTER INSERT ON ClipItem BEGIN
    INSERT INTO ClipSearch (rowid, content) VALUES (new.pk, new.content);
END;
CREATE TRIGGER ClipItem_ad AFTER DELETE ON ClipItem BEGIN
    INSERT INTO ClipSearch (ClipSearch, rowid, content) VALUES ('delete', old.pk, old.content);
END;
CREATE TRIGGER ClipItem_au AFTER UPDATE OF content ON ClipItem BEGIN
    INSERT INTO ClipSearch (ClipSearch, rowid, content) VALUES ('delete', old.pk, old.content);
    INSERT INTO ClipSearch (rowid, content) VALUES (new.pk, new.content);
END;
PRAGMA user_version = 1;
)sql";

// The file is made private before SQLite ever writes to it; the journal files SQLite creates
// next to it copy its permissions.
bool preparePrivateFile(const QString& path, QString* error) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create folder %1").arg(folder);
        return false;
    }
    const QByteArray folderPath = QFile::encodeName(folder);
    const QByteArray filePath = QFile::encodeName(path);
    ::chmod(folderPath.constData(), 0700);
    const int fd = ::open(filePath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    ::fchmod(fd, 0600);
    ::close(fd);
    return true;
}

// Turns a search text into a GLOB pattern that matches it literally anywhere.
QString globPattern(const QString& text) {
    QString pattern = QStringLiteral("*");
    for (const QChar c : text) {
        if (c == u'*' || c == u'?' || c == u'[') {
            pattern += u'[';
            pattern += c;
            pattern += u']';
        } else {
            pattern += c;
        }
    }
    pattern += u'*';
    return pattern;
}

}  // namespace

QString StorageService::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/history.sqlite");
}

std::unique_ptr<StorageService> StorageService::open(const QString& path, QString* error,
                                                     int busyTimeoutMs) {
    QString reason;
    if (!preparePrivateFile(path, &reason)) {
        if (error) *error = reason;
        return nullptr;
    }
    sqlite3* db = nullptr;
    const QByteArray filePath = QFile::encodeName(path);
    int rc = sqlite3_open_v2(filePath.constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    auto fail = [&](const QString& why) -> std::unique_ptr<StorageService> {
        if (error) *error = why;
        sqlite3_close(db);
        return nullptr;
    };
    if (rc != SQLITE_OK) return fail(QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
    sqlite3_busy_timeout(db, busyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);

    if (!execSql(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; "
                     "PRAGMA foreign_keys = ON;", &reason))
        return fail(reason);

    SqlStatement versionQuery(db, "PRAGMA user_version");
    if (versionQuery.step() != SQLITE_ROW) return fail(versionQuery.error());
    const qint64 version = versionQuery.int64(0);
    if (version > schemaVersion)
        return fail(QStringLiteral("the store was written by a newer version (schema %1)").arg(version));
    if (version < 1) {
        QString why;
        if (!execSql(db, "BEGIN IMMEDIATE", &why)) return fail(why);
        if (!execSql(db, kSchemaV1, &why)) {
            execSql(db, "ROLLBACK");
            return fail(why);
        }
        if (!execSql(db, "COMMIT", &why)) return fail(why);
    }
    // A file that is not a database fails on its first real read.
    SqlStatement check(db, "SELECT count(*) FROM sqlite_schema");
    if (check.step() != SQLITE_ROW) return fail(check.error());
    return std::unique_ptr<StorageService>(new StorageService(db));
}

StorageService::StorageService(sqlite3* db)
    : m_db(db), m_context(std::make_unique<StorageContext>(db)) {
    connect(m_context.get(), &StorageContext::didSave, this, &StorageService::applySave);
}

StorageService::~StorageService() {
    m_context.reset();
    sqlite3_close(m_db);
}

const std::shared_ptr<std::vector<ClipOrderEntry>>& StorageService::order() {
    if (!m_order) {
        auto entries = std::make_shared<std::vector<ClipOrderEntry>>();
        SqlStatement statement(m_db, "SELECT timestamp, pk FROM ClipItem ORDER BY timestamp, pk");
        while (statement.step() == SQLITE_ROW)
            entries->push_back({statement.int64(0), statement.int64(1)});
        m_order = std::move(entries);
    }
    return m_order;
}

void StorageService::applySave(const SaveSummary& summary) {
    if (!m_order || summary.clipMoves.empty()) return;
    // The common case, new copies stamped now: they go after every entry.
    const bool appendsOnly = std::all_of(
        summary.clipMoves.begin(), summary.clipMoves.end(),
        [](const ClipMove& move) { return !move.oldTimestamp && move.newTimestamp; });
    if (appendsOnly) {
        std::vector<ClipOrderEntry> added;
        for (const ClipMove& move : summary.clipMoves) added.push_back({*move.newTimestamp, move.rowId});
        std::sort(added.begin(), added.end());
        if (m_order->empty() || m_order->back() < added.front()) {
            m_order->insert(m_order->end(), added.begin(), added.end());
            return;
        }
    }
    // Lists handed out keep the old order; the new one is a changed copy.
    auto entries = std::make_shared<std::vector<ClipOrderEntry>>(*m_order);
    for (const ClipMove& move : summary.clipMoves) {
        if (move.oldTimestamp) {
            const ClipOrderEntry old{*move.oldTimestamp, move.rowId};
            auto it = std::lower_bound(entries->begin(), entries->end(), old);
            if (it != entries->end() && *it == old) entries->erase(it);
        }
        if (move.newTimestamp) {
            const ClipOrderEntry now{*move.newTimestamp, move.rowId};
            entries->insert(std::upper_bound(entries->begin(), entries->end(), now), now);
        }
    }
    m_order = std::move(entries);
}

bool StorageService::isIndexedSearch(const QString& searchText) {
    // The trigram index helps from three characters on; shorter texts scan.
    return searchText.toUcs4().size() >= 3;
}

std::optional<ClipOrderEntry> StorageService::scanItems(const QString& searchText,
                                                        std::optional<ClipOrderEntry> before,
                                                        int rowBudget, std::vector<qint64>& rows) {
    SqlStatement statement(
        m_db, before ? QStringLiteral("SELECT timestamp, pk, instr(content, ?1) > 0 FROM ClipItem "
                                      "WHERE (timestamp, pk) < (?2, ?3) "
                                      "ORDER BY timestamp DESC, pk DESC LIMIT ?4")
                     : QStringLiteral("SELECT timestamp, pk, instr(content, ?1) > 0 FROM ClipItem "
                                      "ORDER BY timestamp DESC, pk DESC LIMIT ?4"));
    statement.bind(1, searchText);
    if (before) {
        statement.bind(2, before->timestamp);
        statement.bind(3, before->rowId);
    }
    statement.bind(4, rowBudget);
    std::optional<ClipOrderEntry> last;
    int examined = 0;
    int rc;
    while ((rc = statement.step()) == SQLITE_ROW) {
        ++examined;
        last = ClipOrderEntry{statement.int64(0), statement.int64(1)};
        if (statement.int64(2) != 0) rows.push_back(last->rowId);
    }
    if (rc != SQLITE_DONE || examined < rowBudget) return std::nullopt;
    return last;
}

std::vector<qint64> StorageService::searchRows(const QString& searchText) {
    std::vector<qint64> rows;
    const bool indexed = isIndexedSearch(searchText);
    SqlStatement statement(
        m_db, indexed ? QStringLiteral(
                            "SELECT c.pk FROM ClipSearch s JOIN ClipItem c ON c.pk = s.rowid "
                            "WHERE s.content GLOB ?1 AND instr(c.content, ?2) > 0 "
                            "ORDER BY c.timestamp DESC, c.pk DESC")
                      : QStringLiteral("SELECT pk FROM ClipItem WHERE instr(content, ?2) > 0 "
                                       "ORDER BY timestamp DESC, pk DESC"));
    if (indexed) statement.bind(1, globPattern(searchText));
    statement.bind(2, searchText);
    int rc;
    while ((rc = statement.step()) == SQLITE_ROW) rows.push_back(statement.int64(0));
    if (rc != SQLITE_DONE) return {};
    return rows;
}

ClipList StorageService::fetchItems(const QString& searchText) {
    if (searchText.isEmpty()) return ClipList(m_context.get(), order());
    return ClipList(m_context.get(), searchRows(searchText));
}

std::vector<std::shared_ptr<PhraseCategory>> StorageService::fetchCategories() {
    return m_context->fetchCategories(FetchDescriptor{{}, {SortKey{"sortOrder", true}}, {}});
}

}  // namespace quillet
