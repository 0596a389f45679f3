#include "sync/SyncService.h"

#include <QDateTime>
#include <QDir>
#include <QRandomGenerator>
#include <QSettings>
#include <utility>

#include "base/Clock.h"
#include "base/Logging.h"
#include "store/StorageService.h"
#include "sync/SyncCapture.h"
#include "sync/SyncCrypto.h"
#include "sync/SyncKeyStore.h"
#include "sync/SyncTransport.h"
#include "sync/SyncWorker.h"

namespace quillet {

namespace {

const QString kFolderKey = QStringLiteral("sync/folder");
const QString kDeviceKey = QStringLiteral("sync/deviceId");
const QString kClipsAtJoinKey = QStringLiteral("sync/clipsAtJoin");
// Saves kept while the key is read at start-up (a second or so), at most.
constexpr size_t kEarlyBatches = 10'000;

}  // namespace

SyncService::SyncService(StorageService& storage, QSettings& settings, SyncKeyStore& keys,
                         SyncTransport* transport, Clock& clock, QObject* parent)
    : SyncControl(parent),
      m_storage(storage),
      m_settings(settings),
      m_keys(keys),
      m_transport(transport),
      m_clock(clock) {
    SyncCrypto::initialize();
    m_thread.setObjectName(QStringLiteral("sync"));
    m_thread.start();
    connect(&m_keys, &SyncKeyStore::loaded, this, &SyncService::keyLoaded);
    connect(&m_keys, &SyncKeyStore::saved, this, &SyncService::keySaved);
    connect(&m_keys, &SyncKeyStore::failed, this, &SyncService::keyFailed);
    m_rescanTimer.setInterval(rescanMs);
    connect(&m_rescanTimer, &QTimer::timeout, this, &SyncService::rescan);
    if (m_transport) {
        connect(m_transport, &SyncTransport::mayHaveArrived, this, &SyncService::rescan);
        connect(m_transport, &SyncTransport::problemChanged, this, [this](const QString& problem) {
            m_transportProblem = problem;
            emit statusChanged();
        });
    }
    m_folder = m_settings.value(kFolderKey).toString();
    if (!m_folder.isEmpty()) {
        // Copies made while the key is read are kept for the engine.
        capture();
        m_pending = Pending::Load;
        m_keys.load();
    }
}

SyncService::~SyncService() {
    shutDown();
}

void SyncService::shutDown() {
    // Every change handed over so far is written before the program ends.
    if (m_worker && m_thread.isRunning())
        QMetaObject::invokeMethod(
            m_worker, [worker = m_worker] { worker->flush(); }, Qt::BlockingQueuedConnection);
    stopEngine();
    m_thread.quit();
    m_thread.wait();
}

template <class F>
void SyncService::onWorker(F work) {
    if (m_worker) QMetaObject::invokeMethod(m_worker, std::move(work), Qt::QueuedConnection);
}

QString SyncService::deviceId() {
    QString id = m_settings.value(kDeviceKey).toString();
    if (id.size() != 16) {
        id = QString::number(QRandomGenerator::system()->generate64(), 16)
                 .rightJustified(16, QLatin1Char('0'));
        m_settings.setValue(kDeviceKey, id);
    }
    return id;
}

void SyncService::startEngine(const QString& folder, const QByteArray& key, bool fresh,
                              bool verify) {
    if (m_worker) stopEngine();
    m_folder = folder;
    m_key = key;
    SyncEngine::Config config;
    config.storePath = m_storage.filePath();
    config.folder = folder;
    config.device = deviceId();
    config.key = key;
    config.clipsAtCheckpoint =
        std::max(0, m_settings.value(kClipsAtJoinKey, defaultClipsAtJoin).toInt());
    SyncWorker::Callbacks callbacks;
    callbacks.started = [this](bool ok, const QString& problem) { engineStarted(ok, problem); };
    callbacks.segmentWritten = [this](const QString& path) {
        if (m_writeFailing) {
            m_writeFailing = false;
            setProblem(QString());
        }
        if (m_transport) m_transport->segmentWritten(path);
    };
    callbacks.writeFailed = [this](const QString& problem) {
        m_writeFailing = true;
        setProblem(problem);
    };
    callbacks.scanned = [this](const SyncScan& scan) { applyScan(scan); };
    m_worker = new SyncWorker(m_versions, this, std::move(callbacks));
    m_worker->moveToThread(&m_thread);
    onWorker([worker = m_worker, config, fresh, verify] { worker->start(config, fresh, verify); });
    // Changes saved from now on (and those kept while the key was read) reach the worker after
    // its start, in order; a worker that failed to start drops them.
    capture();
    for (auto& ops : std::exchange(m_early, {})) handOff(std::move(ops));
    for (qint64 rowId : std::exchange(m_earlyRows, {})) handOffStoredClip(rowId);
}

void SyncService::capture() {
    if (m_capture) return;
    m_capture = std::make_unique<SyncCapture>(
        m_storage, m_clock, m_versions, deviceId(),
        [this](std::vector<SyncOperation> ops) { handOff(std::move(ops)); },
        [this](qint64 rowId) { handOffStoredClip(rowId); });
}

void SyncService::handOff(std::vector<SyncOperation> ops) {
    if (!m_worker) {
        if (m_early.size() < kEarlyBatches) m_early.push_back(std::move(ops));
        return;
    }
    onWorker([worker = m_worker, ops = std::move(ops)]() mutable { worker->add(std::move(ops)); });
}

void SyncService::handOffStoredClip(qint64 rowId) {
    if (!m_worker) {
        if (m_earlyRows.size() < kEarlyBatches) m_earlyRows.push_back(rowId);
        return;
    }
    onWorker([worker = m_worker, rowId] { worker->addStoredClip(rowId); });
}

void SyncService::stopEngine() {
    m_running = false;
    m_rescanTimer.stop();
    m_capture.reset();
    m_early.clear();
    m_earlyRows.clear();
    if (m_transport) m_transport->stop();
    if (m_worker) {
        // Deleted on its thread after the calls queued before; it writes what it holds.
        m_worker->deleteLater();
        m_worker = nullptr;
    }
}

void SyncService::engineStarted(bool ok, const QString& problem) {
    if (!ok) {
        stopEngine();
        if (m_pending == Pending::SaveForInit || m_pending == Pending::SaveForJoin) {
            restartPrevious();
            emit failed(problem);
        } else {
            setProblem(problem);
        }
        return;
    }
    if (m_pending == Pending::SaveForInit || m_pending == Pending::SaveForJoin) {
        m_keys.save(m_key);  // sync counts as on once the key is kept
        return;
    }
    m_running = true;
    const QString device = deviceId();
    if (m_transport)
        m_transport->start(m_folder, QDir(m_folder).filePath(QStringLiteral("Quillet/") + device));
    else
        m_rescanTimer.start();
    setProblem(QString());
}

// A failed initialize or join leaves the sync that ran before (if any) as it was.
void SyncService::restartPrevious() {
    m_pending = Pending::None;
    m_key.clear();
    m_folder = m_settings.value(kFolderKey).toString();
    if (m_folder.isEmpty()) return;
    capture();
    m_pending = Pending::Load;
    m_keys.load();
}

void SyncService::keyLoaded(const QByteArray& key) {
    if (m_pending != Pending::Load) return;
    m_pending = Pending::None;
    if (key.size() != SyncCrypto::keyBytes) {
        qCWarning(lcSync) << "sync is set up for" << m_folder << "but its key is missing";
        //% "The sync key is missing on this machine: join again with the pairing code."
        setProblem(qtTrId("SYNC_KEY_MISSING"));
        stopEngine();
        return;
    }
    startEngine(m_folder, key, false, false);
}

void SyncService::keySaved() {
    const Pending pending = m_pending;
    if (pending != Pending::SaveForInit && pending != Pending::SaveForJoin) return;
    m_pending = Pending::None;
    m_settings.setValue(kFolderKey, m_folder);
    engineStarted(true, QString());
    if (pending == Pending::SaveForInit)
        emit pairingCodeReady(pairingCode());
    else
        emit joined();
}

void SyncService::keyFailed(const QString& reason) {
    const Pending pending = m_pending;
    m_pending = Pending::None;
    qCWarning(lcSync) << "the key store failed:" << reason;
    if (pending == Pending::SaveForInit || pending == Pending::SaveForJoin) {
        stopEngine();
        restartPrevious();
        emit failed(reason);
        return;
    }
    if (pending == Pending::Load) {
        stopEngine();
        setProblem(reason);
    }
}

void SyncService::initialize(const QString& folder) {
    if (!SyncCrypto::initialize()) {
        //% "Sync is not available: its encryption library cannot be started."
        emit failed(qtTrId("SYNC_NO_CRYPTO"));
        return;
    }
    m_pending = Pending::SaveForInit;
    startEngine(folder, SyncCrypto::newKey(), true, false);
}

void SyncService::join(const QString& folder, const QString& code) {
    SyncCrypto::CodeError error = SyncCrypto::CodeError::None;
    const auto key = SyncCrypto::keyFromCode(code, &error);
    if (!key) {
        emit failed(SyncCrypto::describe(error));
        return;
    }
    m_pending = Pending::SaveForJoin;
    startEngine(folder, *key, true, true);
}

void SyncService::turnOff() {
    stopEngine();
    m_pending = Pending::Remove;
    m_keys.remove();
    m_settings.remove(kFolderKey);
    m_folder.clear();
    m_key.clear();
    m_devices = 0;
    m_lastReceived.reset();
    setProblem(QString());
}

void SyncService::rescan() {
    if (m_running) onWorker([worker = m_worker] { worker->rescan(); });
}

void SyncService::applyScan(const SyncScan& scan) {
    // The store has the changes whether or not sync counts as on yet (joining).
    if (!scan.changes.isEmpty())
        m_storage.noteChangesElsewhere(scan.changes.clipMoves, scan.changes.clips,
                                       scan.changes.phrases);
    if (!m_worker) return;
    m_devices = int(scan.devices.size());
    m_lastReceived = scan.lastReceived;
    //% "Another machine in this folder uses a different pairing code; its changes are not applied."
    const QString otherKey = qtTrId("SYNC_OTHER_KEY");
    if (scan.otherKey)
        setProblem(otherKey);
    else if (m_problem == otherKey)
        setProblem(QString());
    else
        emit statusChanged();
}

void SyncService::setProblem(const QString& problem) {
    m_problem = problem;
    emit statusChanged();
}

QString SyncService::pairingCode() const {
    return m_running && !m_key.isEmpty() ? SyncCrypto::pairingCode(m_key) : QString();
}

SyncStatus SyncService::status() const {
    SyncStatus status;
    status.enabled = !m_settings.value(kFolderKey).toString().isEmpty();
    status.folder = m_settings.value(kFolderKey).toString();
    status.deviceId = m_settings.value(kDeviceKey).toString();
    status.devices = m_devices;
    if (m_lastReceived)
        status.lastReceived = QDateTime::fromMSecsSinceEpoch(*m_lastReceived).toLocalTime();
    status.problem = m_problem.isEmpty() ? m_transportProblem : m_problem;
    status.keyInFile = m_keys.keptInFile();
    return status;
}

QString SyncService::statusLine() const {
    const SyncStatus now = status();
    //% "Sync: off"
    if (!now.enabled) return qtTrId("SYNC_STATUS_OFF");
    //% "Sync: %1"
    if (!now.problem.isEmpty()) return qtTrId("SYNC_STATUS_PROBLEM").arg(now.problem);
    if (!now.lastReceived)
        //% "Sync: %1, %2 devices, nothing received yet"
        return qtTrId("SYNC_STATUS_NOTHING_YET").arg(now.folder, QString::number(now.devices));
    //% "Sync: %1, %2 devices, last received %3"
    return qtTrId("SYNC_STATUS")
        .arg(now.folder, QString::number(now.devices),
             now.lastReceived->toString(QStringLiteral("HH:mm")));
}

}  // namespace quillet
