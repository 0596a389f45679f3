#include "support/SyncthingPair.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QUuid>

#include "support/XvfbSession.h"

namespace quillet::test {

namespace {

using namespace std::chrono_literals;

// A port nobody listens on now (the daemons bind it a moment later).
int freePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost)) return 0;
    return probe.serverPort();
}

QStringList daemonEnvironment(const QString& home) {
    // Its own HOME: nothing of the user's is read or made, no default folder either.
    return {QStringLiteral("HOME=") + home,  QStringLiteral("STNODEFAULTFOLDER=1"),
            QStringLiteral("STNOUPGRADE=1"), QStringLiteral("STNORESTART=1"),
            QStringLiteral("all_proxy="),    QStringLiteral("http_proxy="),
            QStringLiteral("https_proxy=")};
}

}  // namespace

bool SyncthingPair::available(QString* why) {
    if (QStandardPaths::findExecutable(QStringLiteral("syncthing")).isEmpty()) {
        *why = QStringLiteral("syncthing is not installed (scripts/setup.sh installs it)");
        return false;
    }
    return true;
}

bool SyncthingPair::prepare(Daemon& daemon, const QString& name, QString* error) {
    daemon.home = m_root.file(name + QStringLiteral("-home"));
    daemon.folder = m_root.file(name + QStringLiteral("-shared"));
    QDir().mkpath(daemon.folder + QStringLiteral("/.stfolder"));
    ChildProcess::Options options;
    options.environment = daemonEnvironment(daemon.home);
    options.keepErrors = true;  // the device id is among its log lines
    const CommandResult generated =
        runCommand({QStringLiteral("syncthing"), QStringLiteral("generate"),
                    QStringLiteral("--home=") + daemon.home},
                   30s, options);
    const QRegularExpressionMatch id =
        QRegularExpression(QStringLiteral("Device ID: ([A-Z0-9-]{63})"))
            .match(QString::fromUtf8(generated.output));
    if (!generated.finished || generated.exitCode != 0 || !id.hasMatch()) {
        *error =
            QStringLiteral("syncthing generate failed: ") + QString::fromUtf8(generated.output);
        return false;
    }
    daemon.deviceId = id.captured(1);
    daemon.apiKey = QUuid::createUuid().toByteArray(QUuid::Id128);
    daemon.listenPort = freePort();
    daemon.url = QUrl(QStringLiteral("http://127.0.0.1:%1").arg(freePort()));
    return daemon.listenPort != 0 && daemon.url.port() > 0;
}

void SyncthingPair::writeConfig(int index) {
    const Daemon& self = m_daemons[size_t(index)];
    QString devices;
    for (const Daemon& device : m_daemons)
        devices += QStringLiteral(
                       "  <device id=\"%1\" name=\"%2\" compression=\"metadata\">"
                       "<address>tcp://127.0.0.1:%3</address><autoAcceptFolders>false"
                       "</autoAcceptFolders></device>\n")
                       .arg(device.deviceId, device.home.section(u'/', -1))
                       .arg(device.listenPort);
    // Scans come from Quillet's requests (and a slow rescan), not from a file watcher: what
    // the tests see travel is what Quillet asked for.
    const QString config =
        QStringLiteral(
            "<configuration version=\"36\">\n"
            "  <folder id=\"%1\" label=\"e2e\" path=\"%2\" type=\"sendreceive\" "
            "rescanIntervalS=\"3600\" fsWatcherEnabled=\"false\">\n"
            "    <device id=\"%3\"></device><device id=\"%4\"></device>\n"
            "  </folder>\n%5"
            "  <gui enabled=\"true\" tls=\"false\"><address>%6</address><apikey>%7</apikey>"
            "<theme>default</theme></gui>\n"
            "  <options><listenAddress>tcp://127.0.0.1:%8</listenAddress>"
            "<globalAnnounceEnabled>false</globalAnnounceEnabled>"
            "<localAnnounceEnabled>false</localAnnounceEnabled>"
            "<relaysEnabled>false</relaysEnabled><natEnabled>false</natEnabled>"
            "<startBrowser>false</startBrowser><urAccepted>-1</urAccepted>"
            "<autoUpgradeIntervalH>0</autoUpgradeIntervalH>"
            "<crashReportingEnabled>false</crashReportingEnabled>"
            "<reconnectionIntervalS>1</reconnectionIntervalS></options>\n"
            "</configuration>\n")
            .arg(QLatin1String(folderId), self.folder, m_daemons[0].deviceId, m_daemons[1].deviceId,
                 devices, QStringLiteral("127.0.0.1:%1").arg(self.url.port()),
                 QString::fromLatin1(self.apiKey))
            .arg(self.listenPort);
    QFile file(self.home + QStringLiteral("/config.xml"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(config.toUtf8());
}

QByteArray SyncthingPair::guiConfig(int index) const {
    const Daemon& daemon = m_daemons[size_t(index)];
    return QStringLiteral(
               "<configuration version=\"36\"><gui enabled=\"true\" tls=\"false\">"
               "<address>127.0.0.1:%1</address><apikey>%2</apikey></gui>"
               "</configuration>\n")
        .arg(daemon.url.port())
        .arg(QString::fromLatin1(daemon.apiKey))
        .toUtf8();
}

QByteArray SyncthingPair::get(int index, const QString& pathAndQuery) {
    const Daemon& daemon = m_daemons[size_t(index)];
    QNetworkRequest request(QUrl(daemon.url.toString() + pathAndQuery));
    request.setRawHeader("X-API-Key", daemon.apiKey);
    request.setTransferTimeout(5000);
    std::unique_ptr<QNetworkReply> reply(m_network.get(request));
    waitFor([&] { return reply->isFinished(); }, 6s);
    return reply->isFinished() && reply->error() == QNetworkReply::NoError ? reply->readAll()
                                                                           : QByteArray();
}

bool SyncthingPair::listening(int index) {
    const QJsonObject listeners =
        QJsonDocument::fromJson(get(index, QStringLiteral("/rest/system/status")))
            .object()
            .value(QLatin1String("connectionServiceStatus"))
            .toObject();
    for (const QJsonValue& listener : listeners)
        if (listener.toObject().value(QLatin1String("error")).isNull()) return true;
    return false;
}

bool SyncthingPair::connected(int index) {
    const QJsonObject connections =
        QJsonDocument::fromJson(get(index, QStringLiteral("/rest/system/connections")))
            .object()
            .value(QLatin1String("connections"))
            .toObject();
    const QString other = m_daemons[size_t(1 - index)].deviceId;
    return connections.value(other).toObject().value(QLatin1String("connected")).toBool();
}

std::unique_ptr<SyncthingPair> SyncthingPair::start(QString* error,
                                                    std::chrono::milliseconds timeout) {
    if (!available(error)) return nullptr;
    std::unique_ptr<SyncthingPair> pair(new SyncthingPair);
    if (!pair->prepare(pair->m_daemons[0], QStringLiteral("a"), error) ||
        !pair->prepare(pair->m_daemons[1], QStringLiteral("b"), error))
        return nullptr;
    for (int index : {0, 1}) {
        Daemon& daemon = pair->m_daemons[size_t(index)];
        pair->writeConfig(index);
        daemon.process = std::make_unique<ChildProcess>();
        ChildProcess::Options options = ChildProcess::silent(daemonEnvironment(daemon.home));
        if (!daemon.process->start(
                {QStringLiteral("syncthing"), QStringLiteral("serve"),
                 QStringLiteral("--no-browser"), QStringLiteral("--no-restart"),
                 QStringLiteral("--no-upgrade"), QStringLiteral("--home=") + daemon.home},
                options)) {
            *error = QStringLiteral("syncthing serve did not start");
            return nullptr;
        }
        // The second starts once the first listens, so that its first dial finds it: a dial
        // that fails waits for Syncthing's redial, which can outlast the time-out.
        if (index == 0 && !waitFor([&] { return pair->listening(0); }, timeout)) {
            *error = QStringLiteral("the first Syncthing daemon did not start listening");
            return nullptr;
        }
    }
    if (!waitFor([&] { return pair->connected(0) && pair->connected(1); }, timeout)) {
        *error = QStringLiteral("the two Syncthing daemons did not connect to each other");
        return nullptr;
    }
    return pair;
}

SyncthingPair::~SyncthingPair() {
    for (Daemon& daemon : m_daemons)
        if (daemon.process) daemon.process->stop(5s);
}

}  // namespace quillet::test
