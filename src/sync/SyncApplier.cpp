#include "sync/SyncApplier.h"

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>

#include "store/SqlStatement.h"

namespace quillet {

namespace {

using Kind = SyncOperation::Kind;

QString idText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces);
}

int versionKind(Kind kind) {
    return kind == Kind::CategoryPut || kind == Kind::CategoryDeleted ? 0 : 1;
}

}  // namespace

// Prepared once per applier: joining applies thousands of operations.
struct SyncApplier::Statements {
    explicit Statements(sqlite3* db)
        : findClip(db, "SELECT pk, timestamp FROM ClipItem WHERE id = ?"),
          addClip(db,
                  "INSERT INTO ClipItem (id, content, timestamp) "
                  "SELECT ?1, ?2, ?3 WHERE NOT EXISTS (SELECT 1 FROM SyncForgotten WHERE id = ?1)"),
          useClip(db, "UPDATE ClipItem SET timestamp = ?2 WHERE id = ?1 AND timestamp < ?2"),
          forgetClip(db, "DELETE FROM ClipItem WHERE id = ?"),
          tombstone(db, "INSERT OR IGNORE INTO SyncForgotten (id) VALUES (?)"),
          version(db, "SELECT clock, device FROM SyncVersion WHERE id = ?"),
          setVersion(db,
                     "INSERT OR REPLACE INTO SyncVersion (id, kind, clock, device, deleted) "
                     "VALUES (?, ?, ?, ?, ?)"),
          putCategory(db,
                      "INSERT INTO PhraseCategory (id, name, sortOrder) VALUES (?1, ?2, ?3) "
                      "ON CONFLICT (id) DO UPDATE SET name = ?2, sortOrder = ?3"),
          deleteCategory(db, "DELETE FROM PhraseCategory WHERE id = ?"),
          categoryExists(db, "SELECT 1 FROM PhraseCategory WHERE id = ?"),
          categoryDeleted(db, "SELECT 1 FROM SyncVersion WHERE id = ? AND deleted != 0"),
          putPhrase(db,
                    "INSERT INTO PhraseItem (id, title, body, sortOrder, category) "
                    "VALUES (?1, ?2, ?3, ?4, ?5) ON CONFLICT (id) DO UPDATE SET "
                    "title = ?2, body = ?3, sortOrder = ?4, category = ?5"),
          deletePhrase(db, "DELETE FROM PhraseItem WHERE id = ?") {}
    SqlStatement findClip, addClip, useClip, forgetClip, tombstone;
    SqlStatement version, setVersion;
    SqlStatement putCategory, deleteCategory, categoryExists, categoryDeleted;
    SqlStatement putPhrase, deletePhrase;
};

SyncApplier::SyncApplier(sqlite3* db) : m_db(db), m_statements(std::make_unique<Statements>(db)) {}

SyncApplier::~SyncApplier() = default;

bool SyncApplier::inTransaction(const std::function<bool()>& work, QString* why) {
    m_error.clear();
    if (!execSql(m_db, "BEGIN IMMEDIATE", why)) return false;
    if (!work()) {
        if (why) *why = m_error.isEmpty() ? QString::fromUtf8(sqlite3_errmsg(m_db)) : m_error;
        execSql(m_db, "ROLLBACK");
        return false;
    }
    return execSql(m_db, "COMMIT", why);
}

bool SyncApplier::applySegment(const SyncSegment& segment, qint64 nowMs, SyncChanges* changes,
                               QString* why) {
    if (appliedSequence(segment.device) >= segment.sequence) return true;
    // A machine whose clock runs far ahead would keep its clips on top here for good: a clip
    // time more than a little after its arrival is taken as its arrival.
    m_timeLimit = nowMs + futureToleranceMs;
    const auto& ops = segment.operations;
    size_t first = 0;
    do {
        const size_t end = std::min(ops.size(), first + sliceOperations);
        SyncChanges found;
        const bool ok = inTransaction(
            [&] {
                for (size_t i = first; i < end; ++i)
                    if (!apply(ops[i], &found)) return false;
                if (end < ops.size()) return true;
                SqlStatement peer(
                    m_db,
                    "INSERT OR REPLACE INTO SyncPeer (device, appliedSeq, lastReceived) "
                    "VALUES (?, ?, ?)");
                return peer.bindAll({segment.device, segment.sequence, nowMs}) && peer.run();
            },
            why);
        if (!ok) break;
        changes->merge(found);
        first = end;
    } while (first < ops.size());
    m_timeLimit = std::numeric_limits<qint64>::max();
    return first >= ops.size();
}

bool SyncApplier::applyOwn(const std::vector<SyncOperation>& operations, SyncChanges* changes,
                           QString* why) {
    SyncChanges found;
    const bool ok = inTransaction(
        [&] {
            for (const SyncOperation& op : operations)
                if (!apply(op, &found)) return false;
            return true;
        },
        why);
    if (ok) changes->merge(found);
    return ok;
}

qint64 SyncApplier::appliedSequence(const QString& device) {
    SqlStatement query(m_db, "SELECT appliedSeq FROM SyncPeer WHERE device = ?");
    query.bind(1, device);
    return query.step() == SQLITE_ROW ? query.int64(0) : 0;
}

bool SyncApplier::setAppliedSequence(const QString& device, qint64 sequence, QString* why) {
    SqlStatement update(m_db,
                        "INSERT INTO SyncPeer (device, appliedSeq) VALUES (?1, ?2) "
                        "ON CONFLICT (device) DO UPDATE SET appliedSeq = ?2");
    if (update.bindAll({device, sequence}) && update.run()) return true;
    if (why) *why = update.error();
    return false;
}

bool SyncApplier::apply(const SyncOperation& op, SyncChanges* changes) {
    const bool ok = op.isVersioned() ? applyVersioned(op, changes) : applyClip(op, changes);
    if (ok) ++changes->applied;
    return ok;
}

bool SyncApplier::applyClip(const SyncOperation& op, SyncChanges* changes) {
    Statements& s = *m_statements;
    auto run = [this](SqlStatement& statement, const QVariantList& args) {
        statement.reset();
        const bool ok = statement.bindAll(args) && statement.run();
        if (!ok) m_error = statement.error();
        statement.reset();
        return ok;
    };
    // Where the clip is in the history order now, if it is stored.
    s.findClip.reset();
    s.findClip.bind(1, idText(op.id));
    const int rc = s.findClip.step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        m_error = s.findClip.error();
        return false;
    }
    const std::optional<std::pair<qint64, qint64>> stored =
        rc == SQLITE_ROW ? std::optional(std::pair(s.findClip.int64(0), s.findClip.int64(1)))
                         : std::nullopt;
    s.findClip.reset();
    const qint64 time = op.time > m_timeLimit ? m_timeLimit - futureToleranceMs : op.time;
    ClipMove move{stored ? stored->first : 0, std::nullopt, std::nullopt};
    if (stored) move.oldTimestamp = stored->second;
    bool ok = true;
    switch (op.kind) {
        case Kind::ClipAdded:
        case Kind::ClipUsed:
            if (stored && stored->second < time) {
                ok = run(s.useClip, {idText(op.id), time});
                move.newTimestamp = time;
            } else if (!stored && op.kind == Kind::ClipAdded) {
                ok = run(s.addClip, {idText(op.id), op.text, time});
                if (ok && sqlite3_changes(m_db) > 0) {
                    move.rowId = sqlite3_last_insert_rowid(m_db);
                    move.newTimestamp = time;
                }
            }
            break;
        case Kind::ClipForgotten:
            ok = run(s.tombstone, {idText(op.id)}) && (!stored || run(s.forgetClip, {idText(op.id)}));
            break;
        default:
            return false;
    }
    if (!ok) return false;
    if (move.rowId != 0 && (move.newTimestamp || op.kind == Kind::ClipForgotten)) {
        changes->clips.insert(op.id);
        changes->addMove(move);
    }
    return true;
}

bool SyncApplier::isNewer(const SyncOperation& op, bool* ok) {
    SqlStatement& version = m_statements->version;
    version.reset();
    version.bind(1, idText(op.id));
    const int rc = version.step();
    *ok = rc == SQLITE_ROW || rc == SQLITE_DONE;
    if (!*ok) m_error = version.error();
    const bool newer = rc != SQLITE_ROW || std::pair(op.clock, op.origin) >
                                               std::pair(version.int64(0), version.text(1));
    version.reset();
    return *ok && newer;
}

// A phrase may arrive before its category (from a device whose segments came in first): the
// category is made with no name and the oldest version, for the real one to replace. A
// category deleted for good takes the phrase with it.
bool SyncApplier::ensureCategory(const QUuid& category, bool* present) {
    Statements& s = *m_statements;
    for (SqlStatement* query : {&s.categoryExists, &s.categoryDeleted}) {
        query->reset();
        query->bind(1, idText(category));
        const int rc = query->step();
        query->reset();
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) return false;
        if (rc == SQLITE_ROW) {
            *present = query == &s.categoryExists;
            return true;
        }
    }
    *present = true;
    s.putCategory.reset();
    const bool ok = s.putCategory.bindAll({idText(category), QString(), qint64(0)}) &&
                    s.putCategory.run();
    s.putCategory.reset();
    return ok;
}

bool SyncApplier::applyVersioned(const SyncOperation& op, SyncChanges* changes) {
    Statements& s = *m_statements;
    bool ok = true;
    if (!isNewer(op, &ok)) return ok;
    const bool deletes = op.kind == Kind::CategoryDeleted || op.kind == Kind::PhraseDeleted;
    s.setVersion.reset();
    ok = s.setVersion.bindAll({idText(op.id), versionKind(op.kind), op.clock, op.origin,
                               deletes ? 1 : 0}) &&
         s.setVersion.run();
    s.setVersion.reset();
    if (!ok) return false;
    SqlStatement* write = nullptr;
    QVariantList args{idText(op.id)};
    switch (op.kind) {
        case Kind::CategoryPut:
            write = &s.putCategory;
            args << op.text << op.sortOrder;
            break;
        case Kind::CategoryDeleted:
            write = &s.deleteCategory;
            break;
        case Kind::PhrasePut: {
            bool present = false;
            if (!ensureCategory(op.category, &present)) return false;
            if (!present) return true;
            write = &s.putPhrase;
            args << op.title << op.text << op.sortOrder << idText(op.category);
            break;
        }
        case Kind::PhraseDeleted:
            write = &s.deletePhrase;
            break;
        default:
            return false;
    }
    write->reset();
    ok = write->bindAll(args) && write->run();
    if (!ok) m_error = write->error();
    write->reset();
    if (ok) changes->phrases.insert(op.id);
    return ok;
}

}  // namespace quillet
