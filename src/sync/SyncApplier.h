#pragma once

#include <QSet>
#include <QString>
#include <QUuid>
#include <limits>
#include <memory>
#include <vector>

#include "store/StorageContext.h"
#include "sync/SyncOperation.h"

struct sqlite3;

namespace quillet {

class SqlStatement;

// What applying operations changed in the store, for the views to catch up.
struct SyncChanges {
    QSet<QUuid> clips;    // clips added, moved or removed
    QSet<QUuid> phrases;  // phrases or categories written or removed
    // How the clips moved in the history order, one move per clip (from where it was before
    // the first change to where the last one put it).
    std::vector<ClipMove> clipMoves;
    qsizetype applied = 0;

    bool isEmpty() const { return clips.isEmpty() && phrases.isEmpty(); }
    void addMove(const ClipMove& move) {
        for (ClipMove& earlier : clipMoves) {
            if (earlier.rowId != move.rowId) continue;
            earlier.newTimestamp = move.newTimestamp;
            return;
        }
        clipMoves.push_back(move);
    }
    void merge(const SyncChanges& other) {
        clips.unite(other.clips);
        phrases.unite(other.phrases);
        for (const ClipMove& move : other.clipMoves) addMove(move);
        applied += other.applied;
    }
};

// Merges operations into the store on one connection (a worker's). Applying the same
// operations again changes nothing.
class SyncApplier {
public:
    explicit SyncApplier(sqlite3* db);
    ~SyncApplier();

    // Applies a segment of another device and notes that device's segments as applied up to
    // it (`nowMs`: when it arrived). A segment at or below what was applied already is
    // skipped. Transactions stay short: a large segment (a checkpoint) is applied in slices of
    // `sliceOperations`, the last of which notes it applied; a segment cut short by a failure
    // is applied again whole, which changes nothing twice. False with `why` on failure.
    static constexpr size_t sliceOperations = 500;
    // Clip times this far past a segment's arrival are clocks set wrong: they become the
    // time of arrival.
    static constexpr qint64 futureToleranceMs = 10 * 60 * 1000;
    bool applySegment(const SyncSegment& segment, qint64 nowMs, SyncChanges* changes,
                      QString* why);
    // Notes this device's own operations, in one transaction: their versions and tombstones
    // are recorded, and where one of them lost to a later version applied meanwhile, the
    // store is left as that version has it.
    bool applyOwn(const std::vector<SyncOperation>& operations, SyncChanges* changes,
                  QString* why);

    // How far `device`'s segments were applied (for this device: written); 0 for none.
    qint64 appliedSequence(const QString& device);
    bool setAppliedSequence(const QString& device, qint64 sequence, QString* why);

private:
    struct Statements;
    bool apply(const SyncOperation& op, SyncChanges* changes);
    bool applyClip(const SyncOperation& op, SyncChanges* changes);
    bool applyVersioned(const SyncOperation& op, SyncChanges* changes);
    // Whether `op` is newer than the version the store knows of its record.
    bool isNewer(const SyncOperation& op, bool* ok);
    bool ensureCategory(const QUuid& category, bool* present);
    bool inTransaction(const std::function<bool()>& work, QString* why);

    sqlite3* m_db;
    std::unique_ptr<Statements> m_statements;
    QString m_error;
    qint64 m_timeLimit = std::numeric_limits<qint64>::max();  // latest clip time taken as is
};

}  // namespace quillet
