#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "sync/SyncOperation.h"

namespace quillet {

class Clock;
class HybridClock;
class StorageService;
struct SaveSummary;

// Turns what the store saves on the GUI thread into operations for the other machines: new
// clips, clips used again, clips forgotten, and every category and phrase change. It only
// copies what a save reports (no file or store access), and hands it on.
class SyncCapture : public QObject {
    Q_OBJECT
public:
    using Sink = std::function<void(std::vector<SyncOperation>)>;
    // `storedInBackground` gets the row of a long clip the store wrote on a thread of its own.
    SyncCapture(StorageService& storage, Clock& clock, HybridClock& versions, QString device,
                Sink sink, std::function<void(qint64)> storedInBackground);

    // The operations a save stands for, categories before their phrases.
    static std::vector<SyncOperation> operationsOf(const SaveSummary& summary,
                                                   HybridClock& versions, qint64 nowMs,
                                                   const QString& device);

private:
    Clock& m_clock;
    HybridClock& m_versions;
    QString m_device;
    Sink m_sink;
};

}  // namespace quillet
