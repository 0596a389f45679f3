#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "store/Record.h"

struct sqlite3;

namespace quillet {
class SqlStatement;
}

namespace quillet {

class ClipItem;
class PhraseCategory;
class PhraseItem;

struct SortKey {
    QString attribute;
    bool ascending = true;
};

// A condition on one attribute: equality.
struct Predicate {
    QString attribute;
    QVariant value;

    static Predicate equals(const QString& attribute, const QVariant& value) {
        return {attribute, value};
    }
};

struct FetchDescriptor {
    std::optional<Predicate> predicate;
    std::vector<SortKey> sortBy;
    std::optional<qint64> limit;
};

// How a save moved clips in the history order (timestamps in ms since the epoch, UTC).
struct ClipMove {
    qint64 rowId = 0;
    std::optional<qint64> oldTimestamp;  // none for a new clip
    std::optional<qint64> newTimestamp;  // none for a deleted clip
};

struct SaveSummary {
    std::vector<std::shared_ptr<Record>> inserted;
    std::vector<std::shared_ptr<Record>> changed;
    std::vector<std::shared_ptr<Record>> deleted;
    std::vector<ClipMove> clipMoves;
};

// The one object context over the store: an identity map of live records, pending inserts,
// changes and deletes until `save`, which writes them in one transaction.
class StorageContext : public QObject {
    Q_OBJECT
public:
    explicit StorageContext(sqlite3* db, QObject* parent = nullptr);
    ~StorageContext() override;

    void insert(const std::shared_ptr<Record>& record);
    // Deleting a category deletes its phrases too.
    void remove(const std::shared_ptr<Record>& record);
    bool hasChanges() const;
    // While held (the long-clip writer's connection is writing), save() writes nothing and
    // returns false, keeping every change pending without emitting saveFailed; the holder
    // saves once it lets go.
    void setHeld(bool held) { m_held = held; }
    // Writes every pending change in one transaction. On failure nothing is written and the
    // changes stay pending for the next save; `error` receives the reason.
    bool save(QString* error = nullptr);
    // Called when a save fails on a damaged file: it may replace what was damaged (true) so
    // that the save is tried once more.
    void setDamageRepair(std::function<bool(QString* why)> repair) {
        m_damageRepair = std::move(repair);
    }

    // Fetches stored records; a failing fetch (for instance an unknown attribute) is empty.
    std::vector<std::shared_ptr<PhraseCategory>> fetchCategories(const FetchDescriptor& descriptor);
    std::vector<std::shared_ptr<PhraseItem>> fetchPhrases(const FetchDescriptor& descriptor);
    // Clips by row number, in the order given; rows that no longer exist are skipped.
    std::vector<std::shared_ptr<ClipItem>> clipsWithRowIds(const std::vector<qint64>& rowIds);
    std::vector<std::shared_ptr<PhraseItem>> phrasesOf(const QUuid& categoryId);
    // The live record of that kind with this id, stored or pending; null when there is none
    // (or it is deleted).
    std::shared_ptr<Record> recordWithId(Record::Entity entity, const QUuid& id);

    // What the next save would write, so that it can be kept elsewhere while saves fail.
    const std::vector<std::shared_ptr<Record>>& pendingInserts() const { return m_inserted; }
    const std::vector<std::shared_ptr<Record>>& pendingChanges() const { return m_changed; }
    const std::vector<std::shared_ptr<Record>>& pendingDeletes() const { return m_deleted; }
    qsizetype pendingCount() const {
        return qsizetype(m_inserted.size() + m_changed.size() + m_deleted.size());
    }

    sqlite3* handle() const { return m_db; }

    // Another connection changed these records: their live objects take the stored values
    // (those gone are marked deleted), except records with changes of their own pending.
    // `changedElsewhere` follows.
    void reloadRecords(const QSet<QUuid>& ids, bool phrasesTouched);

signals:
    void didSave(const quillet::SaveSummary& summary);
    // Records were changed by another connection (sync); lists of them are read again.
    void changedElsewhere(bool phrasesTouched);
    // A save failed; its changes stay pending for the next one.
    void saveFailed(const QString& reason);

private:
    friend class Record;
    class Statement;

    void noteChange(const std::shared_ptr<Record>& record);
    void adopt(const std::shared_ptr<Record>& record);
    template <class T, class Make>
    std::vector<std::shared_ptr<T>> fetchRows(const QString& sql, const QVariantList& args,
                                              Make make);
    std::optional<QString> buildQuery(Record::Entity entity, const FetchDescriptor& descriptor,
                                      QVariantList& args);
    // One transaction with every pending change; rolled back on failure, with SQLite's
    // extended result code in `errorCode`.
    bool writePending(int* errorCode);
    bool writeRecord(const std::shared_ptr<Record>& record, bool isInsert);
    bool deleteRecord(const std::shared_ptr<Record>& record);
    void pruneIdentityMap();
    void reloadRecord(const std::shared_ptr<Record>& record);
    void dropLive(const std::shared_ptr<Record>& record);

    sqlite3* m_db;  // owned by the storage service
    QHash<QUuid, std::weak_ptr<Record>> m_identity;
    qsizetype m_pruneAt = 1024;
    std::vector<std::shared_ptr<Record>> m_inserted;
    std::vector<std::shared_ptr<Record>> m_changed;
    QSet<const Record*> m_changedSet;  // the same records, for a quick membership test
    // The write statements, prepared once: a save of thousands of rows prepares none again.
    std::map<QString, std::unique_ptr<SqlStatement>> m_writeStatements;
    std::vector<std::shared_ptr<Record>> m_deleted;
    QString m_lastError;  // why the last statement failed, for save's caller
    bool m_held = false;  // see setHeld
    std::function<bool(QString*)> m_damageRepair;
};

}  // namespace quillet

Q_DECLARE_METATYPE(quillet::SaveSummary)
