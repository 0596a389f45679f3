#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>
#include <array>
#include <chrono>
#include <memory>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace quillet::test {

// Two Syncthing daemons on loopback sharing one folder, each with its own home below a
// private temporary folder: discovery, relays, NAT and usage reports off, each told the
// other's device id and address, a REST API with a known key. Stopped with the object.
class SyncthingPair {
public:
    struct Daemon {
        QString home;    // configuration, keys, database
        QString folder;  // its copy of the shared folder
        QString deviceId;
        QUrl url;  // the REST API
        QByteArray apiKey;
        int listenPort = 0;  // the sync protocol
        std::unique_ptr<ChildProcess> process;
    };

    // Whether `syncthing` can be run here; else `why` says what is missing.
    static bool available(QString* why);
    // Both daemons up and connected to each other; null with `error` otherwise.
    static std::unique_ptr<SyncthingPair> start(
        QString* error, std::chrono::milliseconds timeout = std::chrono::seconds(30));
    ~SyncthingPair();

    Daemon& operator[](int index) { return m_daemons[size_t(index)]; }
    static constexpr const char* folderId = "quillet-e2e";

    // A config.xml for a Quillet to find daemon `index` by (its GUI address and API key).
    QByteArray guiConfig(int index) const;
    // Asks daemon `index` over its REST API; the body, or empty on failure.
    QByteArray get(int index, const QString& pathAndQuery);

private:
    SyncthingPair() = default;
    bool prepare(Daemon& daemon, const QString& name, QString* error);
    void writeConfig(int index);
    bool connected(int index);
    // Whether daemon `index` listens for the other's connections.
    bool listening(int index);

    TempDir m_root;
    QNetworkAccessManager m_network;
    std::array<Daemon, 2> m_daemons;
};

}  // namespace quillet::test
