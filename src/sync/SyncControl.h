#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace quillet {

// What the user sees of sync: whether it is on, where, with how many other machines, and
// what is wrong, if anything.
struct SyncStatus {
    bool enabled = false;
    QString folder;                  // the synced folder the user chose
    QString deviceId;                // this machine's id (its sub-folder's name)
    int devices = 0;                 // other machines whose segments were seen
    std::optional<QDateTime> lastReceived;  // when another machine's change was last applied
    QString problem;                 // empty when all is well; else a sentence for the user
    bool keyInFile = false;          // the key is kept in a 0600 file (no keyring available)
};

// The one place the settings window, the tray and the command socket turn sync on and off.
// Every call returns at once; the work runs off the GUI thread and its outcome arrives as a
// signal. Errors are sentences from the catalogues, fit to be shown as they are.
class SyncControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts syncing through `folder` with a new key; `pairingCodeReady` carries the code the
    // other machines enter (or `failed` says why).
    virtual void initialize(const QString& folder) = 0;
    // Joins the sync that `pairingCode` belongs to, through `folder`; `joined` or `failed`.
    virtual void join(const QString& folder, const QString& pairingCode) = 0;
    // Stops syncing and forgets the key on this machine. The folder's files stay.
    virtual void turnOff() = 0;
    // The pairing code of the running sync, for showing it again; empty when off.
    virtual QString pairingCode() const = 0;
    virtual SyncStatus status() const = 0;
    // "Sync: FOLDER, N devices, last received 14:05", "Sync: off" or "Sync: <problem>".
    virtual QString statusLine() const = 0;

signals:
    void pairingCodeReady(const QString& code);
    void joined();
    void failed(const QString& reason);
    void statusChanged();
};

}  // namespace quillet
