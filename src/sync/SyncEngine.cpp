#include "sync/SyncEngine.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/Logging.h"
#include "store/CaseFolding.h"
#include "store/SqlStatement.h"
#include "store/TrigramTokenizer.h"
#include "sync/HybridClock.h"
#include "sync/SegmentCodec.h"
#include "sync/SyncCrypto.h"

namespace quillet {

namespace {

// Batches are cut well below the largest segment a reader takes.
constexpr qsizetype kBatchBytes = SegmentCodec::maxPlainBytes / 2;

}  // namespace

std::unique_ptr<SyncEngine> SyncEngine::open(Config config, HybridClock& clock, QString* why) {
    // The store is a live database: a sync tool copying it between machines would damage it.
    const QString folder = QFileInfo(config.folder).canonicalFilePath();
    const QString store = QFileInfo(config.storePath).canonicalFilePath();
    if (folder.isEmpty()) {
        if (why) *why = QStringLiteral("%1 is not a folder").arg(config.folder);
        return nullptr;
    }
    if (store.startsWith(folder + QLatin1Char('/'))) {
        if (why) *why = QStringLiteral("it holds the history file %1").arg(store);
        return nullptr;
    }
    sqlite3* db = openStoreConnection(config.storePath, SQLITE_OPEN_READWRITE, 10000, why);
    if (!db) return nullptr;
    sqlite3_extended_result_codes(db, 1);
    // Clips written here are indexed by the store's triggers on this connection; forgotten
    // clips' pages are overwritten; a deleted category takes its phrases.
    if (!TrigramTokenizer::registerWith(db, why) || !CaseFolding::registerWith(db, why) ||
        !execSql(db, "PRAGMA foreign_keys = ON; PRAGMA secure_delete = ON; "
                     "PRAGMA synchronous = FULL;", why)) {
        sqlite3_close(db);
        return nullptr;
    }
    auto engine = std::unique_ptr<SyncEngine>(new SyncEngine(std::move(config), db, clock));
    const QString own = engine->m_folder.deviceFolder(engine->m_config.device);
    if (!QDir().mkpath(own)) {
        if (why) *why = QStringLiteral("cannot create %1").arg(own);
        return nullptr;
    }
    return engine;
}

SyncEngine::SyncEngine(Config config, sqlite3* db, HybridClock& clock)
    : m_config(std::move(config)),
      m_db(db),
      m_clock(clock),
      m_folder(m_config.folder),
      m_applier(std::make_unique<SyncApplier>(db)) {
    // A segment left under its temporary name was never published: its number is free again.
    m_folder.removeLeftovers(m_config.device);
    m_written = m_applier->appliedSequence(m_config.device);
    const auto own = m_folder.segments(m_config.device);
    if (!own.empty()) m_written = std::max(m_written, own.rbegin()->first);
}

SyncEngine::~SyncEngine() {
    m_applier.reset();
    sqlite3_close(m_db);
}

bool SyncEngine::writeSegment(const SyncSegment& segment, QString* why) {
    const QByteArray sealed = SyncCrypto::seal(m_config.key, segment.device, segment.sequence,
                                               SegmentCodec::encode(segment));
    if (!m_folder.write(segment.device, segment.sequence, sealed, why)) return false;
    m_written = segment.sequence;
    QString reason;
    if (!m_applier->setAppliedSequence(m_config.device, m_written, &reason))
        qCWarning(lcSync) << "noting the segment written failed:" << reason;
    return true;
}

QStringList SyncEngine::write(std::vector<SyncOperation> operations, QString* why) {
    for (SyncOperation& op : operations) {
        if (SegmentCodec::encodedSize(op) > kBatchBytes) {
            qCWarning(lcSync) << "a clip of" << op.text.size()
                              << "characters is too long to sync; it stays on this machine";
            continue;
        }
        m_unwritten.push_back(std::move(op));
    }
    QStringList written;
    if (m_unwritten.empty()) return written;
    SyncChanges ignored;
    if (!m_applier->applyOwn(m_unwritten, &ignored, why)) return written;
    size_t first = 0;
    while (first < m_unwritten.size()) {
        SyncSegment segment{m_config.device, m_written + 1, false, {}};
        qsizetype bytes = 0;
        size_t end = first;
        while (end < m_unwritten.size() &&
               (end == first || bytes + SegmentCodec::encodedSize(m_unwritten[end]) <= kBatchBytes))
            bytes += SegmentCodec::encodedSize(m_unwritten[end++]);
        segment.operations.assign(m_unwritten.begin() + qsizetype(first),
                                  m_unwritten.begin() + qsizetype(end));
        if (!writeSegment(segment, why)) break;
        written << m_folder.segmentPath(segment.device, segment.sequence);
        first = end;
    }
    m_unwritten.erase(m_unwritten.begin(), m_unwritten.begin() + qsizetype(first));
    if (m_unwritten.empty() &&
        qsizetype(m_folder.segments(m_config.device).size()) > m_config.segmentsBeforeCheckpoint) {
        QString reason;
        if (auto path = writeCheckpoint(&reason))
            written << *path;
        else
            qCWarning(lcSync) << "writing a checkpoint failed:" << reason;
    }
    return written;
}

std::vector<SyncOperation> SyncEngine::checkpointOperations() {
    using Kind = SyncOperation::Kind;
    std::vector<SyncOperation> ops;
    std::vector<SyncOperation> unversioned;
    auto versioned = [&](SyncOperation op, SqlStatement& row, int clockColumn) {
        op.clock = row.int64(clockColumn);
        op.origin = row.text(clockColumn + 1);
        if (op.origin.isEmpty()) {
            // Made before sync was on: its version is this device's, from now on.
            op.clock = m_clock.stamp(0);
            op.origin = m_config.device;
            unversioned.push_back(op);
        }
        ops.push_back(std::move(op));
    };
    SqlStatement categories(m_db,
                            "SELECT c.id, c.name, c.sortOrder, v.clock, v.device FROM "
                            "PhraseCategory c LEFT JOIN SyncVersion v ON v.id = c.id");
    while (categories.step() == SQLITE_ROW)
        versioned(SyncOperation::categoryPut(QUuid(categories.text(0)), categories.text(1),
                                          categories.int64(2)),
                  categories, 3);
    SqlStatement phrases(m_db,
                         "SELECT p.id, p.title, p.body, p.sortOrder, p.category, v.clock, "
                         "v.device FROM PhraseItem p LEFT JOIN SyncVersion v ON v.id = p.id");
    while (phrases.step() == SQLITE_ROW)
        versioned(SyncOperation::phrasePut(QUuid(phrases.text(0)), phrases.text(1), phrases.text(2),
                                        phrases.int64(3), QUuid(phrases.text(4))),
                  phrases, 5);
    SqlStatement deleted(m_db, "SELECT id, kind, clock, device FROM SyncVersion WHERE deleted");
    while (deleted.step() == SQLITE_ROW) {
        SyncOperation op = SyncOperation::deletion(
            deleted.int64(1) == 0 ? Kind::CategoryDeleted : Kind::PhraseDeleted,
            QUuid(deleted.text(0)));
        op.clock = deleted.int64(2);
        op.origin = deleted.text(3);
        ops.push_back(op);
    }
    SqlStatement forgotten(m_db, "SELECT id FROM SyncForgotten");
    while (forgotten.step() == SQLITE_ROW)
        ops.push_back(SyncOperation::clip(Kind::ClipForgotten, QUuid(forgotten.text(0))));
    SqlStatement clips(m_db, "SELECT id, content, timestamp FROM ClipItem "
                             "ORDER BY timestamp DESC, pk DESC LIMIT ?");
    clips.bind(1, qint64(m_config.clipsAtCheckpoint));
    qsizetype bytes = 0;
    for (const auto& op : ops) bytes += SegmentCodec::encodedSize(op);
    while (clips.step() == SQLITE_ROW) {
        SyncOperation clip = SyncOperation::clip(Kind::ClipAdded, QUuid(clips.text(0)),
                                                 clips.int64(2), clips.text(1));
        bytes += SegmentCodec::encodedSize(clip);
        if (bytes > kBatchBytes) break;  // the newest ones fit; older ones stay behind
        ops.push_back(std::move(clip));
    }
    SyncChanges ignored;
    QString why;
    if (!unversioned.empty() && !m_applier->applyOwn(unversioned, &ignored, &why))
        qCWarning(lcSync) << "noting the versions of phrases failed:" << why;
    return ops;
}

std::optional<QString> SyncEngine::writeCheckpoint(QString* why) {
    SyncSegment segment{m_config.device, m_written + 1, true, checkpointOperations()};
    if (!writeSegment(segment, why)) return std::nullopt;
    dropOwnSegmentsBefore(segment.sequence);
    return m_folder.segmentPath(segment.device, segment.sequence);
}

void SyncEngine::dropOwnSegmentsBefore(qint64 sequence) {
    for (const auto& [number, path] : m_folder.segments(m_config.device)) {
        if (number >= sequence) break;
        if (!QFile::remove(path)) qCWarning(lcSync) << "cannot remove the old segment" << path;
    }
}

std::optional<SyncSegment> SyncEngine::readSegment(const QString& device, qint64 sequence,
                                                   const QString& path, Read* outcome) {
    *outcome = Read::Waiting;
    QString why;
    const auto sealed = SegmentFolder::read(path, SyncCrypto::maxSealedBytes, &why);
    if (!sealed) {
        qCDebug(lcSync) << "segment not readable yet:" << why;
        return std::nullopt;
    }
    QByteArray plain;
    switch (SyncCrypto::open(m_config.key, device, sequence, *sealed, &plain)) {
        case SyncCrypto::OpenResult::OtherKey:
            *outcome = Read::OtherKey;
            return std::nullopt;
        case SyncCrypto::OpenResult::Incomplete:
            qCDebug(lcSync) << path << "does not open (yet): still arriving, or damaged";
            return std::nullopt;
        case SyncCrypto::OpenResult::Opened:
            break;
    }
    auto segment = SegmentCodec::decode(plain, &why);
    if (segment && (segment->device != device || segment->sequence != sequence))
        why = QStringLiteral("it names another device or number"), segment.reset();
    if (!segment) qCWarning(lcSync) << path << "is not a segment this version reads:" << why;
    return segment;
}

SyncEngine::Read SyncEngine::applyNext(const QString& device, qint64 applied,
                                       const std::map<qint64, QString>& files, qint64 nowMs,
                                       ScanResult* result) {
    auto next = files.upper_bound(applied);
    if (next == files.end()) return Read::Waiting;
    // Past a gap, only a checkpoint (which stands for every segment before it) goes on.
    const bool pastGap = next->first != applied + 1;
    if (pastGap && m_notCheckpoints.contains(next->second)) return Read::Waiting;
    Read outcome;
    auto segment = readSegment(device, next->first, next->second, &outcome);
    if (!segment) return outcome;
    if (pastGap && !segment->checkpoint) {
        m_notCheckpoints.insert(next->second);
        return Read::Waiting;
    }
    // Changes made after this one arrived must win over it, whatever this machine's clock says.
    for (const SyncOperation& op : segment->operations) m_clock.observe(op.clock);
    QString why;
    if (!m_applier->applySegment(*segment, nowMs, &result->changes, &why)) {
        qCWarning(lcSync) << "applying" << next->second << "failed, trying again later:" << why;
        return Read::Waiting;
    }
    return Read::Applied;
}

SyncEngine::ScanResult SyncEngine::rescan(qint64 nowMs) {
    ScanResult result;
    result.devices = m_folder.devices(m_config.device);
    for (const QString& device : result.devices) {
        const auto files = m_folder.segments(device);
        for (;;) {
            const qint64 applied = m_applier->appliedSequence(device);
            const Read read = applyNext(device, applied, files, nowMs, &result);
            if (read == Read::Applied) continue;
            if (read == Read::OtherKey) result.otherKey = true;
            if (files.upper_bound(applied) != files.end()) ++result.waiting;
            break;
        }
    }
    SqlStatement last(m_db,
                      "SELECT coalesce(max(lastReceived), 0) FROM SyncPeer WHERE device != ?");
    last.bind(1, m_config.device);
    if (last.step() == SQLITE_ROW && last.int64(0) > 0) result.lastReceived = last.int64(0);
    return result;
}

bool SyncEngine::keyFitsFolder() {
    bool otherKey = false;
    for (const QString& device : m_folder.devices(m_config.device)) {
        const auto files = m_folder.segments(device);
        if (files.empty()) continue;
        Read outcome;
        const auto& [sequence, path] = *files.begin();
        if (readSegment(device, sequence, path, &outcome)) return true;
        otherKey = otherKey || outcome == Read::OtherKey;
    }
    return !otherKey;
}

std::optional<SyncOperation> SyncEngine::clipAdded(qint64 rowId) {
    SqlStatement row(m_db, "SELECT id, content, timestamp FROM ClipItem WHERE pk = ?");
    row.bind(1, rowId);
    if (row.step() != SQLITE_ROW) return std::nullopt;
    return SyncOperation::clip(SyncOperation::Kind::ClipAdded, QUuid(row.text(0)), row.int64(2),
                               row.text(1));
}

}  // namespace quillet
