#include "sync/SyncthingConfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QXmlStreamReader>

namespace quillet {

namespace SyncthingConfig {

namespace {

QString folderFromEnvironment(const char* variable, const QString& fallback) {
    const QString value = qEnvironmentVariable(variable);
    // The base directory specification says relative values are to be ignored.
    return QDir::isAbsolutePath(value) ? value : QDir::homePath() + fallback;
}

// "0.0.0.0:8384" listens everywhere; we talk to it on loopback.
QString reachableHost(QString host) {
    if (host.startsWith(u'[') && host.endsWith(u']')) host = host.mid(1, host.size() - 2);
    if (host.isEmpty() || host == QLatin1String("0.0.0.0")) return QStringLiteral("127.0.0.1");
    if (host == QLatin1String("::")) return QStringLiteral("::1");
    return host;
}

std::optional<QByteArray> readBounded(const QString& path, QString* why) {
    const QFileInfo info(path);
    if (!info.exists()) return std::nullopt;
    if (!info.isFile() || info.size() > maxConfigBytes) {
        *why = QStringLiteral("%1 is not a Syncthing configuration file").arg(path);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return file.read(maxConfigBytes);
}

QString cleanAbsolute(const QString& path) {
    QString clean = QDir::cleanPath(path);
    if (clean.startsWith(QLatin1String("~/")) || clean == QLatin1String("~"))
        clean = QDir::homePath() + clean.mid(1);
    // Symbolic links resolved where they exist, so that two spellings of one folder match.
    const QString canonical = QFileInfo(clean).canonicalFilePath();
    return canonical.isEmpty() ? clean : canonical;
}

}  // namespace

QStringList candidatePaths() {
    return {folderFromEnvironment("XDG_STATE_HOME", QStringLiteral("/.local/state")) +
                QStringLiteral("/syncthing/config.xml"),
            folderFromEnvironment("XDG_CONFIG_HOME", QStringLiteral("/.config")) +
                QStringLiteral("/syncthing/config.xml")};
}

std::optional<SyncthingEndpoint> parse(const QByteArray& xml, QString* why) {
    QXmlStreamReader reader(xml);
    bool inGui = false;
    bool tls = false;
    QString address;
    QByteArray key;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("gui") && !inGui) {
            inGui = true;
            tls = reader.attributes().value(QLatin1String("tls")) == QLatin1String("true");
        } else if (reader.isEndElement() && reader.name() == QLatin1String("gui")) {
            inGui = false;
        } else if (inGui && reader.isStartElement() && reader.name() == QLatin1String("address")) {
            address = reader.readElementText().trimmed();
        } else if (inGui && reader.isStartElement() && reader.name() == QLatin1String("apikey")) {
            key = reader.readElementText().trimmed().toUtf8();
        }
    }
    if (reader.hasError()) {
        *why = QStringLiteral("not well-formed XML: %1").arg(reader.errorString());
        return std::nullopt;
    }
    if (address.isEmpty() || key.isEmpty()) {
        *why = QStringLiteral("no GUI address or API key in it");
        return std::nullopt;
    }
    if (address.startsWith(u'/') || address.startsWith(QLatin1String("unix"))) {
        *why = QStringLiteral(
                   "its GUI listens on a Unix socket (%1), which Quillet cannot use; "
                   "set sync/syncthingUrl")
                   .arg(address);
        return std::nullopt;
    }
    const qsizetype colon = address.lastIndexOf(u':');
    bool numeric = false;
    const int port = colon < 0 ? 0 : address.mid(colon + 1).toInt(&numeric);
    if (!numeric || port <= 0 || port > 65535) {
        *why = QStringLiteral("its GUI address %1 has no port").arg(address.left(100));
        return std::nullopt;
    }
    QUrl url;
    url.setScheme(tls ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(reachableHost(address.left(colon)));
    url.setPort(port);
    if (!url.isValid()) {
        *why = QStringLiteral("its GUI address %1 is not usable").arg(address.left(100));
        return std::nullopt;
    }
    return SyncthingEndpoint{url, key, {}};
}

std::optional<SyncthingEndpoint> find(const QString& urlOverride, const QByteArray& keyOverride,
                                      QString* why) {
    if (!urlOverride.isEmpty() && !keyOverride.isEmpty()) {
        const QUrl url(urlOverride);
        if (!url.isValid() || url.host().isEmpty()) {
            *why = QStringLiteral("sync/syncthingUrl %1 is not a URL").arg(urlOverride.left(100));
            return std::nullopt;
        }
        return SyncthingEndpoint{url, keyOverride, QStringLiteral("quillet.ini")};
    }
    QStringList problems;
    for (const QString& path : candidatePaths()) {
        QString problem;
        const std::optional<QByteArray> xml = readBounded(path, &problem);
        if (!xml) {
            if (!problem.isEmpty()) problems << problem;
            continue;
        }
        std::optional<SyncthingEndpoint> endpoint = parse(*xml, &problem);
        if (!endpoint) {
            problems << path + QStringLiteral(": ") + problem;
            continue;
        }
        endpoint->source = path;
        if (!urlOverride.isEmpty()) endpoint->url = QUrl(urlOverride);
        if (!keyOverride.isEmpty()) endpoint->apiKey = keyOverride;
        return endpoint;
    }
    *why = problems.isEmpty() ? QStringLiteral("no Syncthing configuration in %1")
                                    .arg(candidatePaths().join(QStringLiteral(" or ")))
                              : problems.join(QStringLiteral("; "));
    return std::nullopt;
}

std::optional<SyncthingFolder> folderHolding(const QJsonDocument& folders, const QString& path) {
    const QString target = cleanAbsolute(path);
    std::optional<SyncthingFolder> best;
    for (const QJsonValue& value : folders.array()) {
        const QJsonObject folder = value.toObject();
        const QString id = folder.value(QLatin1String("id")).toString();
        const QString rootPath = folder.value(QLatin1String("path")).toString();
        if (id.isEmpty() || rootPath.isEmpty()) continue;
        const QString root = cleanAbsolute(rootPath);
        const bool holds = target == root || target.startsWith(root + u'/') || root == u'/';
        if (holds && (!best || root.size() > best->root.size())) best = SyncthingFolder{id, root};
    }
    return best;
}

}  // namespace SyncthingConfig

}  // namespace quillet
