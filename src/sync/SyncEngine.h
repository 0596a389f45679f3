#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "sync/SegmentFolder.h"
#include "sync/SyncApplier.h"
#include "sync/SyncOperation.h"

struct sqlite3;

namespace quillet {

class HybridClock;

// The file and store side of sync, on one worker thread with a store connection of its own:
// writes this device's segments and applies those of the others. Every call does bounded work
// on files and the store and returns; nothing here touches the GUI.
class SyncEngine {
public:
    struct Config {
        QString storePath;
        QString folder;
        QString device;
        QByteArray key;
        int clipsAtCheckpoint = 1000;
        // Once this device's folder holds more segments, the next write adds a checkpoint and
        // drops them.
        int segmentsBeforeCheckpoint = 500;
    };

    struct ScanResult {
        SyncChanges changes;
        QStringList devices;  // the other devices whose folders were seen
        std::optional<qint64> lastReceived;  // ms since the epoch
        bool otherKey = false;  // a device's segments were sealed under another key
        int waiting = 0;        // segments found but not (yet) readable
    };

    static std::unique_ptr<SyncEngine> open(Config config, HybridClock& clock, QString* why);
    ~SyncEngine();

    const Config& config() const { return m_config; }
    // Records `operations` (made on this device) and writes them as this device's next
    // segments; the paths written (none for an empty batch). On failure they are kept and
    // written with the next batch.
    QStringList write(std::vector<SyncOperation> operations, QString* why);
    // Writes a checkpoint of what this store holds and drops this device's older segments.
    std::optional<QString> writeCheckpoint(QString* why);
    // Applies every segment of the other devices that can be applied, in order.
    ScanResult rescan(qint64 nowMs);
    // Whether the other devices' segments in the folder open with this key: true when
    // one does or none is there yet; false when only other keys were found.
    bool keyFitsFolder();
    // A clip stored by the store's long-clip writer, as the operation that adds it.
    std::optional<SyncOperation> clipAdded(qint64 rowId);

private:
    SyncEngine(Config config, sqlite3* db, HybridClock& clock);
    enum class Read { Applied, Waiting, OtherKey };
    Read applyNext(const QString& device, qint64 applied, const std::map<qint64, QString>& files,
                   qint64 nowMs, ScanResult* result);
    std::optional<SyncSegment> readSegment(const QString& device, qint64 sequence,
                                           const QString& path, Read* outcome);
    bool writeSegment(const SyncSegment& segment, QString* why);
    std::vector<SyncOperation> checkpointOperations();
    void dropOwnSegmentsBefore(qint64 sequence);

    Config m_config;
    sqlite3* m_db;
    HybridClock& m_clock;
    SegmentFolder m_folder;
    std::unique_ptr<SyncApplier> m_applier;
    qint64 m_written = 0;  // the last number this device wrote
    std::vector<SyncOperation> m_unwritten;
    QSet<QString> m_notCheckpoints;  // segments past a gap already found to be plain ones
};

}  // namespace quillet
