#include "sync/SyncWorker.h"

#include <QDateTime>

#include "base/Logging.h"

namespace quillet {

SyncWorker::SyncWorker(HybridClock& clock, QObject* receiver, Callbacks callbacks)
    : m_clock(clock), m_receiver(receiver), m_callbacks(std::move(callbacks)) {}

SyncWorker::~SyncWorker() {
    flush();
}

void SyncWorker::start(const SyncEngine::Config& config, bool fresh, bool verifyKey) {
    QString why;
    m_engine = SyncEngine::open(config, m_clock, &why);
    auto fail = [this](const QString& problem) {
        m_engine.reset();
        report([started = m_callbacks.started, problem] { started(false, problem); });
    };
    if (!m_engine) {
        qCWarning(lcSync) << "sync cannot start in" << config.folder << ":" << why;
        //% "Sync cannot use the folder %1: %2"
        return fail(qtTrId("SYNC_FOLDER_UNUSABLE").arg(config.folder, why));
    }
    if (verifyKey && !m_engine->keyFitsFolder()) {
        qCWarning(lcSync) << "the pairing code does not open the segments in" << config.folder;
        //% "Wrong code: this pairing code belongs to another sync than the one in this folder."
        return fail(qtTrId("SYNC_CODE_OTHER_SYNC"));
    }
    if (fresh) {
        if (auto path = m_engine->writeCheckpoint(&why)) {
            report([written = m_callbacks.segmentWritten, path = *path] { written(path); });
        } else {
            qCWarning(lcSync) << "writing the first checkpoint failed:" << why;
            //% "Sync cannot write into the folder %1: %2"
            return fail(qtTrId("SYNC_FOLDER_UNWRITABLE").arg(config.folder, why));
        }
    }
    m_batch = new QTimer(this);
    m_batch->setSingleShot(true);
    m_batch->setInterval(batchMs);
    connect(m_batch, &QTimer::timeout, this, &SyncWorker::flush);
    report([started = m_callbacks.started] { started(true, QString()); });
    rescan();
}

void SyncWorker::add(std::vector<SyncOperation> operations) {
    if (!m_engine) return;
    m_pending.insert(m_pending.end(), std::make_move_iterator(operations.begin()),
                     std::make_move_iterator(operations.end()));
    if (!m_batch->isActive()) m_batch->start();
}

void SyncWorker::addStoredClip(qint64 rowId) {
    if (!m_engine) return;
    if (auto op = m_engine->clipAdded(rowId)) add({std::move(*op)});
}

void SyncWorker::flush() {
    if (!m_engine || m_pending.empty()) return;
    if (m_batch) m_batch->stop();
    QString why;
    const QStringList written = m_engine->write(std::move(m_pending), &why);
    m_pending.clear();
    for (const QString& path : written)
        report([done = m_callbacks.segmentWritten, path] { done(path); });
    if (!why.isEmpty()) {
        // The engine keeps what it could not write for the next batch.
        qCWarning(lcSync) << "writing a segment failed, trying again with the next change:" << why;
        //% "Changes cannot be written into the synced folder: %1"
        const QString problem = qtTrId("SYNC_WRITE_FAILED").arg(why);
        report([failed = m_callbacks.writeFailed, problem] { failed(problem); });
    }
}

void SyncWorker::rescan() {
    if (!m_engine) return;
    const auto result = m_engine->rescan(QDateTime::currentMSecsSinceEpoch());
    SyncScan scan{result.changes, result.devices, result.lastReceived, result.otherKey};
    report([scanned = m_callbacks.scanned, scan] { scanned(scan); });
}

}  // namespace quillet
