#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrlQuery>
#include <functional>
#include <optional>

#include "sync/SyncthingConfig.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace quillet {

// Follows the synced folder for the sync engine, on a thread of its own (see FolderTransport).
// The folder is always watched (QFileSystemWatcher, and a rescan every minute, since watches
// miss changes on some file systems); where the user's Syncthing answers on its REST API, its
// event stream tells of arrivals at once and each segment written is scanned right away rather
// than at Syncthing's next look. Everything from the daemon is bounded in size and time; a
// daemon that does not answer is tried again quietly, with growing pauses.
class SyncthingClient : public QObject {
    Q_OBJECT
public:
    // What the user must fix for Syncthing to carry the folder.
    enum class Problem { none, folderNotShared, keyRejected };
    Q_ENUM(Problem)

    struct Options {
        QString urlOverride;     // sync/syncthingUrl
        QByteArray keyOverride;  // sync/syncthingApiKey
        int rescanMs = 60 * 1000;
        int eventWaitSeconds = 60;  // how long one request for events waits on the daemon
        int requestTimeoutMs = 10 * 1000;
        int firstRetryMs = 2000;
        int longestRetryMs = 5 * 60 * 1000;
        int settleMs = 100;  // a burst of file changes becomes one signal
    };

    static constexpr qint64 maxAnswerBytes = 4 * 1024 * 1024;

    explicit SyncthingClient(Options options, QObject* parent = nullptr);
    ~SyncthingClient() override;

    // Called through queued invocations from the GUI thread.
    void start(const QString& folder, const QString& ownFolder);
    void stop();
    void segmentWritten(const QString& path);

signals:
    void mayHaveArrived();
    void problemChanged(quillet::SyncthingClient::Problem problem, const QString& detail);
    // Whether Syncthing's events are followed (true) or the folder alone is watched.
    void followingDaemonChanged(bool following);

private:
    using Handler = std::function<void(QNetworkReply* reply, const QByteArray& body)>;
    QNetworkReply* request(const QByteArray& verb, const QString& path, const QUrlQuery& query,
                           int timeoutMs, Handler onSuccess);
    void reachDaemon();
    void useFolders(const QByteArray& body);
    void followEvents();
    void takeEvents(const QByteArray& body);
    void requestScan();
    void daemonFailed(const QString& why);
    void setProblem(Problem problem, const QString& detail);
    void setFollowing(bool following);
    void watchFolders();
    void changed();

    Options m_options;
    QNetworkAccessManager* m_network = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer m_rescan;
    QTimer m_settle;
    QTimer m_retry;
    QString m_folder;
    QString m_ownFolder;
    quint64 m_generation = 0;  // replies of an earlier start are dropped
    std::optional<SyncthingEndpoint> m_endpoint;
    std::optional<SyncthingFolder> m_syncthingFolder;
    qint64 m_lastEvent = -1;  // -1: not yet asked where the stream stands
    bool m_scanRunning = false;
    bool m_scanAgain = false;
    bool m_following = false;
    bool m_failing = false;  // this streak of failures was logged
    int m_retryMs = 0;
    Problem m_problem = Problem::none;
};

}  // namespace quillet
