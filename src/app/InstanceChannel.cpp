#include "app/InstanceChannel.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>

#include "platform/Logging.h"

namespace quillet {

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {
    connect(&m_server, &QLocalServer::newConnection, this, &InstanceChannel::onConnection);
}

InstanceChannel::~InstanceChannel() = default;

QString InstanceChannel::runtimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath() + QStringLiteral("/quillet-%1").arg(getuid());
    return folder;
}

QString InstanceChannel::socketPath() {
    return runtimeFolder() + QStringLiteral("/quillet.sock");
}

bool InstanceChannel::claim(QString* error) {
    const QString folder = runtimeFolder();
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_lock = std::make_unique<QLockFile>(folder + QStringLiteral("/quillet.lock"));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (error) *error = QStringLiteral("Quillet is already running for this user.");
        return false;
    }
    // We hold the lock, so a socket left behind by a crashed instance is stale.
    QLocalServer::removeServer(socketPath());
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(socketPath())) {
        if (error) *error = m_server.errorString();
        return false;
    }
    return true;
}

void InstanceChannel::onConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::errorOccurred, this,
                [socket](QLocalSocket::LocalSocketError error) {
                    if (error != QLocalSocket::PeerClosedError)
                        qCWarning(lcApp) << "command socket:" << socket->errorString();
                });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) return;
            const QString command = QString::fromUtf8(socket->readLine()).trimmed();
            const bool ok = m_handler && m_handler(command);
            if (!ok)
                qCWarning(lcApp) << "refused an unknown command on the socket:" << command.left(80);
            socket->write(ok ? "ok\n" : "unknown command\n");
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

bool InstanceChannel::send(const QString& command, QString* reply, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(command.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs)) return false;
    const QString answer = QString::fromUtf8(socket.readLine()).trimmed();
    if (reply) *reply = answer;
    return answer == QLatin1String("ok");
}

}  // namespace quillet
