#include "app/InstanceChannel.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

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

QString InstanceChannel::lockPath() {
    return runtimeFolder() + QStringLiteral("/quillet.lock");
}

QString InstanceChannel::socketPath() {
    return runtimeFolder() + QStringLiteral("/quillet.sock");
}

namespace {

// The runtime folder holds our lock and socket: it must be ours and closed to other users, or
// one of them could answer in our place. A missing one is made private; an existing one is
// never changed, only refused.
bool isPrivateFolder(const QString& folder, QString* why) {
    const QByteArray path = QFile::encodeName(folder);
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0) {
        if (errno != ENOENT || ::mkdir(path.constData(), 0700) != 0 ||
            ::lstat(path.constData(), &info) != 0) {
            *why = QStringLiteral("cannot create the runtime folder %1: %2")
                       .arg(folder, QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
    }
    if (!S_ISDIR(info.st_mode)) {
        *why = QStringLiteral("the runtime folder %1 is not a folder").arg(folder);
    } else if (info.st_uid != ::getuid()) {
        *why = QStringLiteral("the runtime folder %1 belongs to another user").arg(folder);
    } else if ((info.st_mode & 077) != 0) {
        *why = QStringLiteral(
                   "the runtime folder %1 is open to other users (mode %2); make it "
                   "private (chmod 700) or set XDG_RUNTIME_DIR to a folder that is")
                   .arg(folder)
                   .arg(info.st_mode & 0777, 3, 8, QLatin1Char('0'));
    } else {
        return true;
    }
    return false;
}

}  // namespace

bool InstanceChannel::claim(QString* error) {
    const QString folder = runtimeFolder();
    QString why;
    if (!isPrivateFolder(folder, &why)) {
        if (error) *error = QStringLiteral("Quillet cannot start: ") + why + u'.';
        return false;
    }
    m_lock = std::make_unique<QLockFile>(lockPath());
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (error) *error = QStringLiteral("Quillet is already running for this user.");
        return false;
    }
    if (!listen(error)) return false;
    // A listener that went away (closed by Qt after a failed accept, or its file deleted by
    // a cleaner of the runtime folder) is noticed here and after every connection.
    m_watch.setInterval(5000);
    connect(&m_watch, &QTimer::timeout, this, &InstanceChannel::checkListener);
    m_watch.start();
    return true;
}

bool InstanceChannel::listen(QString* error) {
    // We hold the lock, so a socket left behind by a crashed instance is stale.
    m_server.close();
    QLocalServer::removeServer(socketPath());
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(socketPath())) {
        if (error) *error = socketPath() + QStringLiteral(": ") + m_server.errorString();
        return false;
    }
    return true;
}

void InstanceChannel::checkListener() {
    if (m_server.isListening() && QFile::exists(m_server.fullServerName())) return;
    qCWarning(lcApp) << "the command socket" << socketPath()
                     << "was closed or removed:" << m_server.errorString() << "- listening again";
    QString error;
    if (!listen(&error)) qCWarning(lcApp) << "cannot listen again:" << error;
}

void InstanceChannel::onConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        std::erase_if(m_clients, [](const QPointer<QLocalSocket>& client) { return !client; });
        if (qsizetype(m_clients.size()) >= maxConnections) {
            // The oldest has had the longest to send its line: it makes room.
            if (QLocalSocket* oldest = m_clients.front()) {
                oldest->abort();
                oldest->deleteLater();
            }
            m_clients.pop_front();
        }
        m_clients.emplace_back(socket);
        serve(socket);
    }
    if (!m_server.isListening()) checkListener();
}

void InstanceChannel::serve(QLocalSocket* socket) {
    socket->setReadBufferSize(maxRequestBytes + 1);
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    connect(idle, &QTimer::timeout, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    idle->start(idleTimeoutMs);
    connect(socket, &QLocalSocket::errorOccurred, this,
            [socket](QLocalSocket::LocalSocketError error) {
                if (error != QLocalSocket::PeerClosedError)
                    qCWarning(lcApp) << "command socket:" << socket->errorString();
            });
    // One answer per request, and the connection ends.
    auto answer = [socket](const QByteArray& reply) {
        socket->write(reply);
        socket->flush();
        socket->disconnectFromServer();
    };
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, answer] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > maxRequestBytes) {
                qCWarning(lcApp) << "refused a request longer than" << maxRequestBytes
                                 << "bytes on the command socket";
                answer("request too long\n");
            }
            return;
        }
        const QString command = QString::fromUtf8(socket->readLine(maxRequestBytes + 1)).trimmed();
        const std::optional<Reply> details = m_handler ? m_handler(command) : std::nullopt;
        if (!details) {
            qCWarning(lcApp) << "refused an unknown command on the socket:" << command.left(80);
            answer("unknown command\n");
            return;
        }
        QByteArray reply = (details->failed ? "failed\n" : "ok\n") + details->details.toUtf8();
        if (!reply.endsWith('\n')) reply += '\n';
        answer(reply);
    });
}

std::optional<qint64> InstanceChannel::lockHolder() {
    // Only looks: taking the lock, even for a moment, could turn away an instance starting now.
    QLockFile lock(lockPath());
    qint64 pid = 0;
    QString host, application;
    if (!lock.getLockInfo(&pid, &host, &application) || pid <= 0) return std::nullopt;
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM) return std::nullopt;  // a stale lock
    return pid;
}

}  // namespace quillet
