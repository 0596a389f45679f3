#include "store/StorageContext.h"

#include <sqlite3.h>

#include <QDateTime>
#include <algorithm>

#include "base/Logging.h"
#include "store/ClipItem.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/SqlStatement.h"

namespace quillet {

namespace {

struct EntityInfo {
    const char* table;
    const char* columns;  // selected in this order by every fetch
    QStringList attributes;
};

const EntityInfo& infoFor(Record::Entity entity) {
    static const EntityInfo clip{
        "ClipItem", "pk, id, content, timestamp", {"id", "content", "timestamp"}};
    static const EntityInfo category{
        "PhraseCategory", "rowid, id, name, sortOrder", {"id", "name", "sortOrder"}};
    static const EntityInfo phrase{"PhraseItem",
                                   "rowid, id, title, body, sortOrder, category, abbreviation",
                                   {"id", "title", "body", "sortOrder", "category",
                                    "abbreviation"}};
    switch (entity) {
        case Record::Entity::Clip:
            return clip;
        case Record::Entity::Category:
            return category;
        case Record::Entity::Phrase:
            break;
    }
    return phrase;
}

QDateTime fromMs(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

QString uuidText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces);
}

int entityRank(const std::shared_ptr<Record>& record) {
    // Categories are written before their phrases so the foreign key holds.
    switch (record->entity()) {
        case Record::Entity::Category:
            return 0;
        case Record::Entity::Phrase:
            return 1;
        case Record::Entity::Clip:
            break;
    }
    return 2;
}

}  // namespace

StorageContext::StorageContext(sqlite3* db, QObject* parent) : QObject(parent), m_db(db) {
    qRegisterMetaType<quillet::SaveSummary>();
}

StorageContext::~StorageContext() {
    m_writeStatements.clear();
    for (auto it = m_identity.begin(); it != m_identity.end(); ++it)
        if (auto record = it.value().lock()) record->m_context = nullptr;
}

void StorageContext::adopt(const std::shared_ptr<Record>& record) {
    record->m_context = this;
    m_identity.insert(record->id(), record);
    if (m_identity.size() >= m_pruneAt) pruneIdentityMap();
}

void StorageContext::pruneIdentityMap() {
    for (auto it = m_identity.begin(); it != m_identity.end();)
        it = it.value().expired() ? m_identity.erase(it) : std::next(it);
    m_pruneAt = std::max<qsizetype>(1024, m_identity.size() * 2);
}

void StorageContext::insert(const std::shared_ptr<Record>& record) {
    if (!record || record->m_context != nullptr) return;
    adopt(record);
    m_inserted.push_back(record);
}

void StorageContext::remove(const std::shared_ptr<Record>& record) {
    if (!record || record->m_context != this || record->m_deleted) return;
    record->m_deleted = true;
    auto pending = std::find(m_inserted.begin(), m_inserted.end(), record);
    if (pending != m_inserted.end()) {
        m_inserted.erase(pending);
        m_identity.remove(record->id());
        record->m_context = nullptr;
        return;
    }
    if (m_changedSet.remove(record.get())) std::erase(m_changed, record);
    m_deleted.push_back(record);
}

void StorageContext::noteChange(const std::shared_ptr<Record>& record) {
    if (record->m_rowId == 0) return;  // still a pending insert: written whole at save
    if (!m_changedSet.contains(record.get())) {
        m_changedSet.insert(record.get());
        m_changed.push_back(record);
    }
}

bool StorageContext::hasChanges() const {
    return !m_inserted.empty() || !m_changed.empty() || !m_deleted.empty();
}

bool StorageContext::writeRecord(const std::shared_ptr<Record>& record, bool isInsert) {
    // An id never changes, so updates leave it (and its unique index) alone.
    QString sql;
    QVariantList args;
    switch (record->entity()) {
        case Record::Entity::Clip: {
            const auto& clip = static_cast<const ClipItem&>(*record);
            sql = isInsert ? "INSERT INTO ClipItem (id, content, timestamp) VALUES (?, ?, ?)"
                           : "UPDATE ClipItem SET content = ?, timestamp = ? WHERE pk = ?";
            args = {clip.content(), clip.timestamp()};
            if (isInsert) args.prepend(uuidText(clip.id()));
            break;
        }
        case Record::Entity::Category: {
            const auto& category = static_cast<const PhraseCategory&>(*record);
            sql = isInsert ? "INSERT INTO PhraseCategory (id, name, sortOrder) VALUES (?, ?, ?)"
                           : "UPDATE PhraseCategory SET name = ?, sortOrder = ? WHERE rowid = ?";
            args = {category.name(), category.sortOrder()};
            if (isInsert) args.prepend(uuidText(category.id()));
            break;
        }
        case Record::Entity::Phrase: {
            const auto& phrase = static_cast<const PhraseItem&>(*record);
            sql = isInsert ? "INSERT INTO PhraseItem (id, title, body, sortOrder, category, "
                             "abbreviation) VALUES (?, ?, ?, ?, ?, ?)"
                           : "UPDATE PhraseItem SET title = ?, body = ?, sortOrder = ?, "
                             "category = ?, abbreviation = ? WHERE rowid = ?";
            const QUuid category = phrase.categoryId();
            args = {phrase.title(), phrase.body(), phrase.sortOrder(),
                    category.isNull() ? QVariant() : QVariant(uuidText(category)),
                    phrase.abbreviation()};
            if (isInsert) args.prepend(uuidText(phrase.id()));
            break;
        }
    }
    if (!isInsert) args.append(record->m_rowId);
    std::unique_ptr<SqlStatement>& cached = m_writeStatements[sql];
    if (!cached || !cached->isPrepared()) cached = std::make_unique<SqlStatement>(m_db, sql);
    SqlStatement& statement = *cached;
    statement.reset();
    const bool ok = statement.bindAll(args) && statement.run();
    if (!ok) m_lastError = statement.error();
    statement.reset();
    if (!ok) return false;
    if (isInsert) record->m_rowId = sqlite3_last_insert_rowid(m_db);
    return true;
}

bool StorageContext::deleteRecord(const std::shared_ptr<Record>& record) {
    const EntityInfo& info = infoFor(record->entity());
    const char* key = record->entity() == Record::Entity::Clip ? "pk" : "rowid";
    SqlStatement statement(m_db, QString("DELETE FROM %1 WHERE %2 = ?").arg(info.table, key));
    if (!statement.bind(1, record->m_rowId) || !statement.run()) {
        m_lastError = statement.error();
        return false;
    }
    return true;
}

bool StorageContext::writePending(int* errorCode) {
    QString reason;
    if (!execSql(m_db, "BEGIN IMMEDIATE", &reason)) {
        *errorCode = sqlite3_extended_errcode(m_db);
        m_lastError = reason;
        return false;
    }
    std::vector<std::shared_ptr<Record>> inserts = m_inserted;
    std::stable_sort(inserts.begin(), inserts.end(),
                     [](const auto& a, const auto& b) { return entityRank(a) < entityRank(b); });
    bool ok = true;
    for (const auto& record : inserts) ok = ok && writeRecord(record, true);
    for (const auto& record : m_changed) ok = ok && writeRecord(record, false);
    for (const auto& record : m_deleted) ok = ok && deleteRecord(record);
    if (ok && !execSql(m_db, "COMMIT", &reason)) {
        m_lastError = reason;
        ok = false;
    }
    if (!ok) {
        *errorCode = sqlite3_extended_errcode(m_db);
        execSql(m_db, "ROLLBACK");
        for (const auto& record : m_inserted) record->m_rowId = 0;
    }
    return ok;
}

bool StorageContext::save(QString* error) {
    if (!hasChanges()) return true;
    if (m_held) return false;
    int code = SQLITE_OK;
    bool ok = writePending(&code);
    // A damaged search index fails every write of a clip; it is replaced by an empty one
    // (rebuilt in the background) and the same changes are written again, once.
    if (!ok && (code & 0xff) == SQLITE_CORRUPT && m_damageRepair) {
        qCWarning(lcStore) << "a save failed on damage:" << m_lastError
                           << "- replacing the search index and saving again";
        QString why;
        if (m_damageRepair(&why))
            ok = writePending(&code);
        else
            qCWarning(lcStore) << "replacing the search index failed:" << why;
    }
    if (!ok) {
        // The changes stay pending: the next save writes them, for instance once the disk has
        // room again.
        qCWarning(lcStore) << "save failed, changes kept for the next save:" << m_lastError;
        emit saveFailed(m_lastError);
        if (error != nullptr) *error = m_lastError;
        return false;
    }

    SaveSummary summary;
    summary.inserted = std::move(m_inserted);
    summary.changed = std::move(m_changed);
    summary.deleted = std::move(m_deleted);
    m_inserted.clear();
    m_changed.clear();
    m_changedSet.clear();
    m_deleted.clear();

    auto clipMove = [&summary](const std::shared_ptr<Record>& record, bool inserted, bool deleted) {
        if (record->entity() != Record::Entity::Clip) return;
        auto& clip = static_cast<ClipItem&>(*record);
        ClipMove move{clip.rowId(), std::nullopt, std::nullopt};
        if (!inserted) move.oldTimestamp = clip.m_storedTimestamp.toMSecsSinceEpoch();
        if (!deleted) move.newTimestamp = clip.m_timestamp.toMSecsSinceEpoch();
        clip.m_storedTimestamp = clip.m_timestamp;
        summary.clipMoves.push_back(move);
    };
    for (const auto& record : summary.inserted) clipMove(record, true, false);
    for (const auto& record : summary.changed) clipMove(record, false, false);
    for (const auto& record : summary.deleted) {
        clipMove(record, false, true);
        m_identity.remove(record->id());
        if (record->entity() == Record::Entity::Category) {
            // The store dropped the category's phrases; so do their live objects.
            for (auto it = m_identity.begin(); it != m_identity.end();) {
                auto live = it.value().lock();
                if (live && live->entity() == Record::Entity::Phrase &&
                    static_cast<PhraseItem&>(*live).categoryId() == record->id()) {
                    live->m_deleted = true;
                    live->m_context = nullptr;
                    it = m_identity.erase(it);
                } else {
                    ++it;
                }
            }
        }
        record->m_context = nullptr;
    }
    emit didSave(summary);
    return true;
}

std::optional<QString> StorageContext::buildQuery(Record::Entity entity,
                                                  const FetchDescriptor& descriptor,
                                                  QVariantList& args) {
    const EntityInfo& info = infoFor(entity);
    QString sql = QString("SELECT %1 FROM %2").arg(info.columns, info.table);
    if (descriptor.predicate) {
        const Predicate& predicate = *descriptor.predicate;
        if (!info.attributes.contains(predicate.attribute)) return std::nullopt;
        sql += QString(" WHERE \"%1\" = ?").arg(predicate.attribute);
        args.append(predicate.value);
    }
    QStringList order;
    for (const SortKey& key : descriptor.sortBy) {
        // The row number breaks ties in the order records were stored.
        if (!info.attributes.contains(key.attribute) && key.attribute != QLatin1String("rowid"))
            return std::nullopt;
        order << QString("\"%1\" %2").arg(key.attribute, key.ascending ? "ASC" : "DESC");
    }
    if (!order.isEmpty()) sql += " ORDER BY " + order.join(", ");
    if (descriptor.limit) sql += QString(" LIMIT %1").arg(*descriptor.limit);
    return sql;
}

template <class T, class Make>
std::vector<std::shared_ptr<T>> StorageContext::fetchRows(const QString& sql,
                                                          const QVariantList& args, Make make) {
    std::vector<std::shared_ptr<T>> result;
    SqlStatement statement(m_db, sql);
    if (!statement.bindAll(args)) {
        m_lastError = statement.error();
        return {};
    }
    int rc;
    while ((rc = statement.step()) == SQLITE_ROW) {
        const QUuid id(statement.text(1));
        std::shared_ptr<Record> live = m_identity.value(id).lock();
        if (live && live->m_deleted) continue;
        if (!live) {
            live = make(statement, id);
            live->m_rowId = statement.int64(0);
            adopt(live);
        }
        result.push_back(std::static_pointer_cast<T>(live));
    }
    if (rc != SQLITE_DONE) {
        m_lastError = statement.error();
        return {};
    }
    return result;
}

namespace {

std::shared_ptr<Record> makeClip(SqlStatement& row, const QUuid& id) {
    auto clip = std::make_shared<ClipItem>(id, row.text(2), fromMs(row.int64(3)));
    return clip;
}

}  // namespace

std::vector<std::shared_ptr<ClipItem>> StorageContext::clipsWithRowIds(
    const std::vector<qint64>& rowIds) {
    if (rowIds.empty()) return {};
    QString sql =
        QString("SELECT %1 FROM ClipItem WHERE pk IN (").arg(infoFor(Record::Entity::Clip).columns);
    QVariantList args;
    for (size_t i = 0; i < rowIds.size(); ++i) {
        sql += i == 0 ? "?" : ",?";
        args.append(rowIds[i]);
    }
    sql += ")";
    auto clips = fetchRows<ClipItem>(sql, args, makeClip);
    QHash<qint64, std::shared_ptr<ClipItem>> byRow;
    for (const auto& clip : clips) {
        if (!clip->m_storedTimestamp.isValid()) clip->m_storedTimestamp = clip->m_timestamp;
        byRow.insert(clip->rowId(), clip);
    }
    std::vector<std::shared_ptr<ClipItem>> ordered;
    ordered.reserve(rowIds.size());
    for (qint64 rowId : rowIds)
        if (auto clip = byRow.value(rowId)) ordered.push_back(clip);
    return ordered;
}

std::vector<std::shared_ptr<PhraseCategory>> StorageContext::fetchCategories(
    const FetchDescriptor& descriptor) {
    QVariantList args;
    const auto sql = buildQuery(Record::Entity::Category, descriptor, args);
    if (!sql) return {};
    return fetchRows<PhraseCategory>(*sql, args, [](SqlStatement& row, const QUuid& id) {
        return std::make_shared<PhraseCategory>(id, row.text(2), row.int64(3));
    });
}

std::vector<std::shared_ptr<PhraseItem>> StorageContext::fetchPhrases(
    const FetchDescriptor& descriptor) {
    QVariantList args;
    const auto sql = buildQuery(Record::Entity::Phrase, descriptor, args);
    if (!sql) return {};
    std::vector<std::pair<std::shared_ptr<PhraseItem>, QUuid>> unlinked;
    auto phrases = fetchRows<PhraseItem>(*sql, args, [&](SqlStatement& row, const QUuid& id) {
        auto phrase = std::make_shared<PhraseItem>(id, row.text(2), row.text(3), row.int64(4));
        phrase->m_abbreviation = row.text(6);
        unlinked.emplace_back(phrase, QUuid(row.text(5)));
        return phrase;
    });
    // Freshly made phrases point at the one live object of their category.
    for (auto& [phrase, categoryId] : unlinked) {
        auto live = std::static_pointer_cast<PhraseCategory>(m_identity.value(categoryId).lock());
        if (!live) {
            FetchDescriptor byId{
                Predicate::equals("id", categoryId.toString(QUuid::WithoutBraces)), {}, 1};
            auto found = fetchCategories(byId);
            if (!found.empty()) live = found.front();
        }
        phrase->m_category = live;
    }
    return phrases;
}

std::shared_ptr<Record> StorageContext::recordWithId(Record::Entity entity, const QUuid& id) {
    if (id.isNull()) return nullptr;
    if (auto live = m_identity.value(id).lock())
        return live->entity() == entity && !live->m_deleted ? live : nullptr;
    const FetchDescriptor byId{Predicate::equals("id", uuidText(id)), {}, 1};
    switch (entity) {
        case Record::Entity::Clip: {
            QVariantList args;
            const auto sql = buildQuery(entity, byId, args);
            auto found = fetchRows<ClipItem>(*sql, args, makeClip);
            if (found.empty()) return nullptr;
            auto& clip = *found.front();
            if (!clip.m_storedTimestamp.isValid()) clip.m_storedTimestamp = clip.m_timestamp;
            return found.front();
        }
        case Record::Entity::Category: {
            auto found = fetchCategories(byId);
            return found.empty() ? nullptr : found.front();
        }
        case Record::Entity::Phrase:
            break;
    }
    auto found = fetchPhrases(byId);
    return found.empty() ? nullptr : found.front();
}

void StorageContext::dropLive(const std::shared_ptr<Record>& record) {
    record->m_deleted = true;
    record->m_context = nullptr;
    m_identity.remove(record->id());
}

void StorageContext::reloadRecord(const std::shared_ptr<Record>& record) {
    const EntityInfo& info = infoFor(record->entity());
    SqlStatement row(m_db, QString("SELECT %1 FROM %2 WHERE id = ?").arg(info.columns, info.table));
    row.bind(1, uuidText(record->id()));
    const int rc = row.step();
    if (rc == SQLITE_DONE) return dropLive(record);
    if (rc != SQLITE_ROW) {
        qCWarning(lcStore) << "reading a record changed elsewhere failed:" << row.error();
        return;
    }
    switch (record->entity()) {
        case Record::Entity::Clip: {
            auto& clip = static_cast<ClipItem&>(*record);
            clip.m_timestamp = clip.m_storedTimestamp = fromMs(row.int64(3));
            break;
        }
        case Record::Entity::Category: {
            auto& category = static_cast<PhraseCategory&>(*record);
            category.m_name = row.text(2);
            category.m_sortOrder = row.int64(3);
            break;
        }
        case Record::Entity::Phrase: {
            auto& phrase = static_cast<PhraseItem&>(*record);
            phrase.m_title = row.text(2);
            phrase.m_body = row.text(3);
            phrase.m_sortOrder = row.int64(4);
            const QUuid category(row.text(5));
            if (phrase.categoryId() != category)
                phrase.m_category = std::static_pointer_cast<PhraseCategory>(
                    recordWithId(Record::Entity::Category, category));
            break;
        }
    }
}

void StorageContext::reloadRecords(const QSet<QUuid>& ids, bool phrasesTouched) {
    std::vector<std::shared_ptr<Record>> live;
    for (const QUuid& id : ids) {
        auto record = m_identity.value(id).lock();
        if (!record || record->m_deleted || m_changedSet.contains(record.get())) continue;
        if (std::find(m_inserted.begin(), m_inserted.end(), record) != m_inserted.end()) continue;
        live.push_back(record);
    }
    // The phrases of a changed category: a deleted category took them along.
    if (phrasesTouched) {
        for (auto it = m_identity.begin(); it != m_identity.end(); ++it) {
            auto record = it.value().lock();
            if (record && record->entity() == Record::Entity::Phrase && !record->m_deleted &&
                !ids.contains(record->id()) &&
                ids.contains(static_cast<PhraseItem&>(*record).categoryId()))
                live.push_back(record);
        }
    }
    for (const auto& record : live) reloadRecord(record);
    emit changedElsewhere(phrasesTouched);
}

std::vector<std::shared_ptr<PhraseItem>> StorageContext::phrasesOf(const QUuid& categoryId) {
    FetchDescriptor descriptor{
        Predicate::equals("category", categoryId.toString(QUuid::WithoutBraces)), {}, {}};
    return fetchPhrases(descriptor);
}

}  // namespace quillet
