#include "sync/SyncthingClient.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <algorithm>

#include "base/Logging.h"

namespace quillet {

namespace {

const char* const kEventTypes = "ItemFinished,LocalIndexUpdated,RemoteIndexUpdated";

bool isLoopback(const QUrl& url) {
    const QString host = url.host();
    return host == QLatin1String("localhost") || host.startsWith(QLatin1String("127.")) ||
           host == QLatin1String("::1");
}

}  // namespace

SyncthingClient::SyncthingClient(Options options, QObject* parent)
    : QObject(parent),
      m_options(std::move(options)),
      m_rescan(this),
      m_settle(this),
      m_retry(this) {
    // The timers are children, so that they move to the client's thread with it.
    m_rescan.setInterval(m_options.rescanMs);
    connect(&m_rescan, &QTimer::timeout, this, &SyncthingClient::mayHaveArrived);
    m_settle.setSingleShot(true);
    m_settle.setInterval(m_options.settleMs);
    connect(&m_settle, &QTimer::timeout, this, &SyncthingClient::mayHaveArrived);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &SyncthingClient::reachDaemon);
}

SyncthingClient::~SyncthingClient() {
    // Replies still open end here without reaching a handler.
    ++m_generation;
}

void SyncthingClient::start(const QString& folder, const QString& ownFolder) {
    stop();
    m_folder = QDir::cleanPath(folder);
    m_ownFolder = QDir::cleanPath(ownFolder);
    if (!m_network) {
        // Made here, on the thread this client was moved to.
        m_network = new QNetworkAccessManager(this);
        m_network->setProxy(QNetworkProxy::NoProxy);
        m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
        m_watcher = new QFileSystemWatcher(this);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
            watchFolders();
            changed();
        });
    }
    watchFolders();
    m_rescan.start();
    m_retryMs = 0;
    m_failing = false;
    reachDaemon();
}

void SyncthingClient::stop() {
    ++m_generation;
    m_rescan.stop();
    m_settle.stop();
    m_retry.stop();
    if (m_network) {
        for (QNetworkReply* reply : m_network->findChildren<QNetworkReply*>()) reply->abort();
    }
    if (m_watcher) {
        const QStringList watched = m_watcher->directories();
        if (!watched.isEmpty()) m_watcher->removePaths(watched);
    }
    m_endpoint.reset();
    m_syncthingFolder.reset();
    m_scanRunning = m_scanAgain = false;
    setFollowing(false);
    setProblem(Problem::none, {});
}

void SyncthingClient::segmentWritten(const QString& path) {
    if (!path.startsWith(m_ownFolder + u'/')) {
        qCWarning(lcSync) << "a segment outside this machine's folder:" << path;
        return;
    }
    requestScan();
}

void SyncthingClient::watchFolders() {
    // The synced folder, the folder of all machines and each other machine's own: segments
    // come in as new names in those.
    QStringList wanted{m_folder};
    const QString machines = QFileInfo(m_ownFolder).absolutePath();
    if (machines != m_folder) wanted << machines;
    const QFileInfoList devices =
        QDir(machines).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    // A bound on what a hostile folder can make us watch.
    for (const QFileInfo& device : devices.mid(0, 256)) {
        if (device.absoluteFilePath() != m_ownFolder) wanted << device.absoluteFilePath();
    }
    QStringList missing;
    const QStringList watched = m_watcher->directories();
    for (const QString& path : wanted)
        if (!watched.contains(path) && QFileInfo(path).isDir()) missing << path;
    if (!missing.isEmpty()) m_watcher->addPaths(missing);
}

void SyncthingClient::changed() {
    if (!m_settle.isActive()) m_settle.start();
}

QNetworkReply* SyncthingClient::request(const QByteArray& verb, const QString& path,
                                        const QUrlQuery& query, int timeoutMs, Handler onSuccess) {
    QUrl url = m_endpoint->url;
    url.setPath(path);
    url.setQuery(query);
    QNetworkRequest request(url);
    request.setRawHeader("X-API-Key", m_endpoint->apiKey);
    request.setTransferTimeout(timeoutMs);
    QNetworkReply* reply = m_network->sendCustomRequest(request, verb);
    const quint64 generation = m_generation;
    // Syncthing's own certificate is self-signed; the API key is what authenticates us, and
    // it is sent to this machine only.
    if (url.scheme() == QLatin1String("https") && isLoopback(url)) reply->ignoreSslErrors();
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received <= maxAnswerBytes) return;
        reply->setProperty("tooLarge", true);
        reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, generation, onSuccess, path] {
        reply->deleteLater();
        if (generation != m_generation) return;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status == 401 || status == 403) {
            setFollowing(false);
            setProblem(Problem::keyRejected, m_endpoint->source);
            m_retry.start(m_options.longestRetryMs);
            return;
        }
        if (reply->property("tooLarge").toBool()) {
            daemonFailed(
                QStringLiteral("%1 answered more than %2 bytes").arg(path).arg(maxAnswerBytes));
            return;
        }
        if (reply->error() != QNetworkReply::NoError) {
            daemonFailed(path + QStringLiteral(": ") + reply->errorString());
            return;
        }
        onSuccess(reply, reply->read(maxAnswerBytes));
    });
    return reply;
}

void SyncthingClient::reachDaemon() {
    QString why;
    m_endpoint = SyncthingConfig::find(m_options.urlOverride, m_options.keyOverride, &why);
    if (!m_endpoint) {
        // Syncthing may be set up later; or the folder is carried by some other tool.
        if (!m_failing)
            qCInfo(lcSync).noquote()
                << "no Syncthing to ask (" + why + "); watching the synced folder by itself";
        m_failing = true;
        m_retry.start(m_options.longestRetryMs);
        return;
    }
    request("GET", QStringLiteral("/rest/config/folders"), {}, m_options.requestTimeoutMs,
            [this](QNetworkReply*, const QByteArray& body) { useFolders(body); });
}

void SyncthingClient::useFolders(const QByteArray& body) {
    QJsonParseError error{};
    const QJsonDocument folders = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !folders.isArray()) {
        daemonFailed(QStringLiteral("its folder list is not JSON: ") + error.errorString());
        return;
    }
    m_syncthingFolder = SyncthingConfig::folderHolding(folders, m_folder);
    if (!m_syncthingFolder) {
        // Reachable, but not carrying this folder: only the user can add it.
        setFollowing(false);
        setProblem(Problem::folderNotShared, m_folder);
        m_retry.start(m_options.longestRetryMs);
        return;
    }
    if (m_failing) qCInfo(lcSync) << "Syncthing answers again at" << m_endpoint->url.toString();
    qCDebug(lcSync) << "the synced folder is in Syncthing's folder" << m_syncthingFolder->id;
    m_failing = false;
    m_retryMs = 0;
    setProblem(Problem::none, {});
    setFollowing(true);
    m_lastEvent = -1;
    followEvents();
    // Segments written before Syncthing answered go out now.
    requestScan();
}

void SyncthingClient::followEvents() {
    QUrlQuery query;
    if (m_lastEvent < 0) {
        // Where the stream stands now: what happened before is read by the engine's own rescan.
        query.addQueryItem(QStringLiteral("since"), QStringLiteral("0"));
        query.addQueryItem(QStringLiteral("limit"), QStringLiteral("1"));
        query.addQueryItem(QStringLiteral("timeout"), QStringLiteral("1"));
    } else {
        query.addQueryItem(QStringLiteral("since"), QString::number(m_lastEvent));
        query.addQueryItem(QStringLiteral("events"), QLatin1String(kEventTypes));
        query.addQueryItem(QStringLiteral("timeout"), QString::number(m_options.eventWaitSeconds));
    }
    const bool first = m_lastEvent < 0;
    request("GET", QStringLiteral("/rest/events"), query,
            m_options.eventWaitSeconds * 1000 + m_options.requestTimeoutMs,
            [this, first](QNetworkReply*, const QByteArray& body) {
                takeEvents(body);
                if (first && m_lastEvent < 0) m_lastEvent = 0;
                if (m_syncthingFolder) followEvents();
            });
}

void SyncthingClient::takeEvents(const QByteArray& body) {
    const QJsonDocument events = QJsonDocument::fromJson(body);
    const QString ownSub =
        QDir(m_syncthingFolder->root).relativeFilePath(m_ownFolder) + QLatin1Char('/');
    bool arrived = false;
    for (const QJsonValue& value : events.array()) {
        const QJsonObject event = value.toObject();
        // An id that is no whole number in range (a faulty daemon) counts as none: converting it
        // from a double would be undefined.
        m_lastEvent = std::max(m_lastEvent, event.value(QLatin1String("id")).toInteger(-1));
        const QJsonObject data = event.value(QLatin1String("data")).toObject();
        if (data.value(QLatin1String("folder")).toString() != m_syncthingFolder->id) continue;
        const QString type = event.value(QLatin1String("type")).toString();
        if (type == QLatin1String("LocalIndexUpdated")) {
            // Our own writes being scanned are no news; anything else found locally is.
            const QJsonArray names = data.value(QLatin1String("filenames")).toArray();
            arrived |= names.isEmpty() || std::any_of(names.begin(), names.end(), [&](auto name) {
                           return !name.toString().startsWith(ownSub);
                       });
        } else if (type == QLatin1String("ItemFinished") ||
                   type == QLatin1String("RemoteIndexUpdated")) {
            arrived = true;
        }
    }
    if (arrived) changed();
}

void SyncthingClient::requestScan() {
    if (!m_syncthingFolder) return;
    if (m_scanRunning) {
        m_scanAgain = true;
        return;
    }
    m_scanRunning = true;
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("folder"), m_syncthingFolder->id);
    query.addQueryItem(QStringLiteral("sub"),
                       QDir(m_syncthingFolder->root).relativeFilePath(m_ownFolder));
    request("POST", QStringLiteral("/rest/db/scan"), query, m_options.requestTimeoutMs,
            [this](QNetworkReply*, const QByteArray&) {
                m_scanRunning = false;
                if (!m_scanAgain) return;
                m_scanAgain = false;
                requestScan();
            });
}

void SyncthingClient::daemonFailed(const QString& why) {
    setFollowing(false);
    m_syncthingFolder.reset();
    m_scanRunning = m_scanAgain = false;
    if (!m_failing)
        qCWarning(lcSync).noquote() << "Syncthing at" << m_endpoint->url.toString()
                                    << "does not answer (" + why +
                                           "); watching the synced folder by itself and "
                                           "trying again now and then";
    m_failing = true;
    m_retryMs =
        m_retryMs == 0 ? m_options.firstRetryMs : std::min(m_retryMs * 2, m_options.longestRetryMs);
    m_retry.start(m_retryMs);
}

void SyncthingClient::setProblem(Problem problem, const QString& detail) {
    if (problem == m_problem) return;
    m_problem = problem;
    if (problem != Problem::none)
        qCWarning(lcSync) << "Syncthing cannot carry the synced folder:" << problem << detail;
    emit problemChanged(problem, detail);
}

void SyncthingClient::setFollowing(bool following) {
    if (following == m_following) return;
    m_following = following;
    emit followingDaemonChanged(following);
}

}  // namespace quillet
