#pragma once

#include <QString>
#include <QThread>

#include "sync/SyncTransport.h"
#include "sync/SyncthingClient.h"

class QSettings;

namespace quillet {

// The synced folder's carrier as the engine sees it: a SyncthingClient on a thread of its own,
// so that neither a slow daemon nor a slow file system reaches the GUI thread. Calls are
// handed over and return at once; the client's news comes back as queued signals.
class FolderTransport : public SyncTransport {
    Q_OBJECT
public:
    explicit FolderTransport(SyncthingClient::Options options, QObject* parent = nullptr);
    ~FolderTransport() override;

    // The options quillet.ini sets: sync/syncthingUrl and sync/syncthingApiKey.
    static SyncthingClient::Options optionsFrom(const QSettings& settings);

    void start(const QString& folder, const QString& ownFolder) override;
    void stop() override;
    void segmentWritten(const QString& path) override;

    QString problem() const { return m_problem; }
    bool followsDaemon() const { return m_following; }

signals:
    void followingDaemonChanged(bool following);

private:
    void showProblem(SyncthingClient::Problem problem, const QString& detail);

    QThread m_thread;
    SyncthingClient* m_client;  // lives on m_thread, deleted there when it ends
    QString m_problem;
    bool m_following = false;
};

}  // namespace quillet
