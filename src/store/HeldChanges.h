#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include "store/RecoveryFile.h"

namespace quillet {

class StorageContext;

// Keeps the changes a failed save left pending from being lost when the program ends.
// Each failed save writes them to a recovery file beside the store (so a crash or a kill
// after it loses nothing either), a successful save removes that file, quitting tries one
// last save, and the next start replays the file into the store.
class HeldChanges : public QObject {
    Q_OBJECT
public:
    // `recoveryPath` is usually pathBeside(the store's file).
    HeldChanges(StorageContext& context, QString recoveryPath, QObject* parent = nullptr);

    static QString pathBeside(const QString& storePath);
    const QString& path() const { return m_path; }

    struct Restored {
        bool found = false;  // there was a file to replay
        RecoveryFile::Replay replay;
        bool saved = false;  // the replayed changes are in the store and the file is gone
        QString saveError;   // why not, when not
        QString setAsideAs;  // a damaged file kept under this name; empty otherwise
    };
    // At start, once the store is open: replays and saves a file left by an earlier run.
    Restored restore();

    enum class Safety { Saved, KeptInFile, Lost };
    struct Outcome {
        Safety safety = Safety::Saved;
        qsizetype changes = 0;   // what was not saved in the store
        qsizetype newClips = 0;  // of which clips copied and never stored
        QString saveError;
        QString copyError;  // why not even the recovery file could hold them
    };
    // When quitting: one last save; whatever is still pending goes to the recovery file.
    Outcome secure();

    // Saves are failing: since when and why, and whether the recovery file holds a copy.
    bool isFailing() const { return m_failingSince.isValid(); }
    QDateTime failingSince() const { return m_failingSince; }
    const QString& saveError() const { return m_saveError; }
    // Why the pending changes have no copy on disk; empty when they do.
    const QString& copyError() const { return m_copyError; }
    qsizetype pendingCount() const;

private:
    void onSaveFailed(const QString& reason);
    void onSaved();
    bool writeCopy();
    QString setAside();

    StorageContext& m_context;
    QString m_path;
    QDateTime m_failingSince;  // invalid while saves succeed
    QString m_saveError;
    QString m_copyError;
};

}  // namespace quillet
