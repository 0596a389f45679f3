#pragma once

#include <QByteArray>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <memory>
#include <vector>

#include "sync/HybridClock.h"
#include "sync/SyncControl.h"
#include "sync/SyncOperation.h"

class QSettings;

namespace quillet {

class Clock;
class StorageService;
class SyncCapture;
class SyncKeyStore;
class SyncTransport;
class SyncWorker;
struct SyncScan;

// Sync on the GUI side: keeps its settings (sync/folder, sync/deviceId, sync/clipsAtJoin in
// quillet.ini) and the key (through the key store), runs the engine on a thread of its own,
// hands it the store's saves and applies what it brings back to the views. Without a
// transport it looks at the folder once a minute; `rescan` looks at once.
class SyncService final : public SyncControl {
    Q_OBJECT
public:
    static constexpr int rescanMs = 60'000;
    static constexpr int defaultClipsAtJoin = 1000;

    SyncService(StorageService& storage, QSettings& settings, SyncKeyStore& keys,
                SyncTransport* transport, Clock& clock, QObject* parent = nullptr);
    ~SyncService() override;

    void initialize(const QString& folder) override;
    void join(const QString& folder, const QString& pairingCode) override;
    void turnOff() override;
    QString pairingCode() const override;
    SyncStatus status() const override;
    QString statusLine() const override;

    // Looks for segments of other devices now.
    void rescan();
    // Stops the worker after it has written what it holds (at quit).
    void shutDown();

private:
    enum class Pending { None, Load, SaveForInit, SaveForJoin, Remove };

    QString deviceId();
    void startEngine(const QString& folder, const QByteArray& key, bool fresh, bool verify);
    void stopEngine();
    // Starts turning the store's saves into operations for the worker (kept until it exists).
    void capture();
    void handOff(std::vector<SyncOperation> ops);
    void handOffStoredClip(qint64 rowId);
    void restartPrevious();
    void engineStarted(bool ok, const QString& problem);
    void keyLoaded(const QByteArray& key);
    void keySaved();
    void keyFailed(const QString& reason);
    void applyScan(const SyncScan& scan);
    void setProblem(const QString& problem);
    template <class F>
    void onWorker(F work);

    StorageService& m_storage;
    QSettings& m_settings;
    SyncKeyStore& m_keys;
    QPointer<SyncTransport> m_transport;
    Clock& m_clock;
    HybridClock m_versions;
    QThread m_thread;
    SyncWorker* m_worker = nullptr;  // lives on m_thread
    std::unique_ptr<SyncCapture> m_capture;
    std::vector<std::vector<SyncOperation>> m_early;  // saved before the worker existed
    std::vector<qint64> m_earlyRows;
    QTimer m_rescanTimer;

    Pending m_pending = Pending::None;
    bool m_running = false;
    QString m_folder;          // the folder in use (or being set up)
    QByteArray m_key;          // the key in use (or being set up)
    QString m_problem;
    QString m_transportProblem;
    bool m_writeFailing = false;  // m_problem says why segments cannot be written
    int m_devices = 0;
    std::optional<qint64> m_lastReceived;
};

}  // namespace quillet
