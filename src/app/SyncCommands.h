#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "app/InstanceChannel.h"

namespace quillet {

class SyncControl;

// The command socket's sync requests: `sync-init FOLDER`, `sync-join FOLDER CODE` and
// `sync-off`, each answered once its outcome is known. Folder and code travel
// percent-encoded, so that any path fits on the request's one line.
class SyncCommands : public QObject {
    Q_OBJECT
public:
    explicit SyncCommands(SyncControl& sync, QObject* parent = nullptr);

    static constexpr const char* initRequest = "sync-init";
    static constexpr const char* joinRequest = "sync-join";
    static constexpr const char* offRequest = "sync-off";

    // The request line for the command line's options.
    static QString initLine(const QString& folder);
    static QString joinLine(const QString& folder, const QString& code);

    // True when `command` is a sync request: `respond` is then called once with its outcome
    // (at once for a malformed one).
    bool handle(const QString& command, const InstanceChannel::Respond& respond);

private:
    // Answers the first of the outcomes that follow; false when another request waits already.
    bool await(const InstanceChannel::Respond& respond, bool turningOff);
    void answer(const InstanceChannel::Reply& reply);

    SyncControl& m_sync;
    QObject* m_waiting = nullptr;  // the connections of the request under way
    InstanceChannel::Respond m_respond;
};

}  // namespace quillet
