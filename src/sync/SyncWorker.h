#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "sync/SyncEngine.h"

namespace quillet {

class HybridClock;

// What a rescan found, for the GUI side.
struct SyncScan {
    SyncChanges changes;
    QStringList devices;
    std::optional<qint64> lastReceived;
    bool otherKey = false;
};

// Runs the engine on its own thread. Calls come in queued from the GUI thread; outcomes go
// back as functions queued on `receiver` (the GUI side), so nothing waits on the other.
class SyncWorker : public QObject {
public:
    struct Callbacks {
        std::function<void(bool ok, const QString& problem)> started;
        std::function<void(const QString& path)> segmentWritten;
        std::function<void(const QString& problem)> writeFailed;
        std::function<void(const SyncScan& scan)> scanned;
    };
    // Local changes wait this long for more before they are written as one segment.
    static constexpr int batchMs = 300;

    SyncWorker(HybridClock& clock, QObject* receiver, Callbacks callbacks);
    ~SyncWorker() override;

    // `fresh`: this device starts syncing now and offers its state in a checkpoint.
    // `verifyKey`: joining; fails when the folder's segments are sealed under another key.
    void start(const SyncEngine::Config& config, bool fresh, bool verifyKey);
    void add(std::vector<SyncOperation> operations);
    void addStoredClip(qint64 rowId);
    void rescan();
    // Writes the changes waiting for their batch now.
    void flush();

private:
    template <class F>
    void report(F work) {
        if (m_receiver) QMetaObject::invokeMethod(m_receiver, std::move(work), Qt::QueuedConnection);
    }

    HybridClock& m_clock;
    QPointer<QObject> m_receiver;
    Callbacks m_callbacks;
    std::unique_ptr<SyncEngine> m_engine;
    std::vector<SyncOperation> m_pending;
    QTimer* m_batch = nullptr;
};

}  // namespace quillet
