#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

class QSettings;

namespace quillet {

// Where the user's running Syncthing answers and with which key: read from its config.xml, or
// given in quillet.ini (sync/syncthingUrl, sync/syncthingApiKey), which wins.
struct SyncthingEndpoint {
    QUrl url;           // the REST API's base, e.g. http://127.0.0.1:8384
    QByteArray apiKey;  // sent as X-API-Key
    QString source;     // the file it came from, or "quillet.ini", for log lines
};

// Which Syncthing folder carries a path, and the path's place inside it.
struct SyncthingFolder {
    QString id;
    QString root;  // absolute, as Syncthing has it (a leading ~ expanded)
};

namespace SyncthingConfig {

// A config.xml is a few kilobytes; anything far larger is not one.
constexpr qint64 maxConfigBytes = 4 * 1024 * 1024;

// $XDG_STATE_HOME/syncthing/config.xml, then $XDG_CONFIG_HOME/syncthing/config.xml, the
// variables defaulting to ~/.local/state and ~/.config.
QStringList candidatePaths();

// The GUI element's address and API key. Nullopt with `why` set when the file says neither, or
// the GUI listens on a Unix socket (not supported).
std::optional<SyncthingEndpoint> parse(const QByteArray& xml, QString* why);

// The endpoint from quillet.ini's overrides, the key read from the config file when only the
// address is set there. Reads files (bounded): call it off the GUI thread.
std::optional<SyncthingEndpoint> find(const QString& urlOverride, const QByteArray& keyOverride,
                                      QString* why);

// The folder among /rest/config/folders's answer whose root holds `path` (the deepest when
// folders nest); nullopt when none does.
std::optional<SyncthingFolder> folderHolding(const QJsonDocument& folders, const QString& path);

}  // namespace SyncthingConfig

}  // namespace quillet
