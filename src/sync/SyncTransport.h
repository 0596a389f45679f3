#pragma once

#include <QObject>
#include <QString>

namespace quillet {

// What carries the synced folder between machines (a sync daemon, or nothing but the file
// system). The engine tells it where it writes; it tells the engine when files may have come
// in. It lives on the GUI thread and never blocks it: every call returns at once.
class SyncTransport : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Sync runs through `folder`; this machine writes only below `ownFolder` (inside it).
    virtual void start(const QString& folder, const QString& ownFolder) = 0;
    // Sync is off: stop following the folder.
    virtual void stop() = 0;
    // A segment was just written at `path` (absolute, below ownFolder): hurry it along.
    virtual void segmentWritten(const QString& path) = 0;

signals:
    // Other machines' files may have changed: the engine rescans the folder.
    void mayHaveArrived();
    // Why the carrier is not working, as a sentence for the user; empty when it works again.
    void problemChanged(const QString& problem);
};

}  // namespace quillet
