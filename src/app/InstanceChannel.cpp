#include "app/InstanceChannel.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/Descriptors.h"
#include "base/Logging.h"

namespace quillet {

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

InstanceChannel::~InstanceChannel() {
    closeListener();
    m_resume.stop();
    m_grace.stop();
    // The connections go while the list they report to still exists.
    qDeleteAll(findChildren<QLocalSocket*>(Qt::FindDirectChildrenOnly));
}

QString InstanceChannel::runtimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath() + QStringLiteral("/quillet-%1").arg(getuid());
    return folder;
}

QString InstanceChannel::lockPath() {
    return lockPathIn(runtimeFolder());
}

QString InstanceChannel::socketPath() {
    return socketPathIn(runtimeFolder());
}

QString InstanceChannel::lockPathIn(const QString& folder) {
    return folder + QStringLiteral("/quillet.lock");
}

QString InstanceChannel::socketPathIn(const QString& folder) {
    return folder + QStringLiteral("/quillet.sock");
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
        *why =
            QStringLiteral(
                "the runtime folder %1 is open to other users (mode %2); make it "
                "private (chmod 700) or set XDG_RUNTIME_DIR to a folder that is")
                .arg(folder, QStringLiteral("%1").arg(info.st_mode & 0777, 3, 8, QLatin1Char('0')));
    } else {
        return true;
    }
    return false;
}

// Whether `path` is missing or (through links) a regular file: anything else could block an
// open or a read for good.
bool isPlainFileOrMissing(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode);
}

}  // namespace

bool InstanceChannel::claim(QString* error) {
    const QString folder = runtimeFolder();
    // Where this run listens, looked up once: Qt warns on every look when XDG_RUNTIME_DIR is
    // unset or unusable, and the listener is checked every few seconds.
    m_socketPath = socketPathIn(folder);
    const QString lockFile = lockPathIn(folder);
    QString why;
    if (!isPrivateFolder(folder, &why)) {
        if (error) *error = QStringLiteral("Quillet cannot start: ") + why + u'.';
        return false;
    }
    // QLockFile reads a lock it cannot take: a FIFO in its place would hang that read.
    if (!isPlainFileOrMissing(lockFile)) {
        if (error)
            //% "Quillet cannot start: %1 is not a regular file; remove it."
            *error = qtTrId("LOCK_NOT_A_FILE").arg(lockFile);
        return false;
    }
    m_lock = std::make_unique<QLockFile>(lockFile);
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (error) *error = QStringLiteral("Quillet is already running for this user.");
        return false;
    }
    if (!listen(error)) return false;
    for (QTimer* pause : {&m_resume, &m_grace}) {
        pause->setSingleShot(true);
        connect(pause, &QTimer::timeout, this, [this] {
            if (m_notifier) m_notifier->setEnabled(true);
            acceptWaiting();
        });
    }
    // A socket file deleted by a cleaner of the runtime folder, or replaced, is noticed here.
    m_watch.setInterval(listenerCheckMs);
    connect(&m_watch, &QTimer::timeout, this, &InstanceChannel::checkListener);
    m_watch.start();
    return true;
}

bool InstanceChannel::listen(QString* error) {
    closeListener();
    const QByteArray path = QFile::encodeName(m_socketPath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    auto fail = [&](const char* what) {
        if (error)
            *error = QStringLiteral("%1: %2: %3")
                         .arg(m_socketPath, QLatin1String(what),
                              QString::fromLocal8Bit(strerror(errno)));
        closeListener();
        return false;
    };
    if (size_t(path.size()) >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return fail("cannot listen");
    }
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()) + 1);
    m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listenFd < 0) return fail("cannot make a socket");
    // We hold the lock, so a socket left behind by a crashed instance is stale.
    ::unlink(path.constData());
    if (::bind(m_listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return fail("cannot bind");
    struct stat info {};
    if (::chmod(path.constData(), 0600) != 0 || ::stat(path.constData(), &info) != 0)
        return fail("cannot make it private");
    m_listenInode = info.st_ino;
    if (::listen(m_listenFd, listenBacklog) != 0) return fail("cannot listen");
    m_notifier = std::make_unique<QSocketNotifier>(m_listenFd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &InstanceChannel::acceptWaiting);
    return true;
}

void InstanceChannel::closeListener() {
    m_notifier.reset();
    if (m_listenFd >= 0) ::close(m_listenFd);
    m_listenFd = -1;
}

void InstanceChannel::checkListener() {
    struct stat info {};
    const QByteArray path = QFile::encodeName(m_socketPath);
    if (m_listenFd >= 0 && ::stat(path.constData(), &info) == 0 && S_ISSOCK(info.st_mode) &&
        info.st_ino == m_listenInode)
        return;
    qCWarning(lcApp) << "the command socket" << m_socketPath
                     << "was removed or replaced - listening again";
    QString error;
    if (!listen(&error)) qCWarning(lcApp).noquote() << "cannot listen again:" << error;
}

void InstanceChannel::pauseAccepting(int ms) {
    if (m_notifier) m_notifier->setEnabled(false);
    if (!m_resume.isActive()) m_resume.start(ms);
}

// Cuts the connections that have had their grace without sending a whole line (a line already
// in the kernel's buffer is served on the next turn of the event loop); false when none could
// go, and accepting waits until a connection ends or the first grace is over.
bool InstanceChannel::makeRoom() {
    std::erase_if(m_clients, [](const Client& client) { return !client.socket; });
    if (qsizetype(m_clients.size()) < maxConnections) return true;
    bool cut = false;
    qint64 soonest = graceMs;
    for (auto it = m_clients.begin(); it != m_clients.end();) {
        char next = 0;
        const bool unread =
            ::recv(int(it->socket->socketDescriptor()), &next, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
        const qint64 age = it->age.elapsed();
        if (unread || age < graceMs) {
            if (!unread) soonest = std::min(soonest, graceMs - age);
            ++it;
            continue;
        }
        it->socket->abort();
        it->socket->deleteLater();
        it = m_clients.erase(it);
        cut = true;
    }
    if (cut) return true;
    if (m_notifier) m_notifier->setEnabled(false);
    m_grace.start(int(soonest) + 1);
    return false;
}

void InstanceChannel::acceptWaiting() {
    long left = Descriptors::left();
    const long reserve = Descriptors::reserve();
    while (m_listenFd >= 0) {
        if (left <= reserve) {
            if (!m_shortOfDescriptors)
                qCWarning(lcApp) << "running short of file descriptors: new connections on the "
                                    "command socket wait until some are free";
            m_shortOfDescriptors = true;
            pauseAccepting(100);
            return;
        }
        if (!makeRoom()) return;
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) break;
            if (errno == EINTR || errno == ECONNABORTED) continue;
            // Out of descriptors or memory: the waiting connections stay queued for later.
            qCWarning(lcApp) << "cannot accept on the command socket:" << strerror(errno);
            pauseAccepting(100);
            return;
        }
        --left;
        auto* socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(fd)) {
            qCWarning(lcApp) << "cannot use a command socket connection:" << socket->errorString();
            ::close(fd);
            delete socket;
            continue;
        }
        m_clients.push_back(Client{socket, {}});
        m_clients.back().age.start();
        serve(socket);
    }
    m_shortOfDescriptors = false;
}

void InstanceChannel::release(QLocalSocket* socket) {
    std::erase_if(m_clients, [socket](const Client& client) {
        return !client.socket || client.socket == socket;
    });
    // A slot is free: connections that waited for one may come in.
    if (m_notifier && !m_resume.isActive()) {
        m_grace.stop();
        m_notifier->setEnabled(true);
        QMetaObject::invokeMethod(this, &InstanceChannel::acceptWaiting, Qt::QueuedConnection);
    }
}

void InstanceChannel::serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QObject::destroyed, this, [this, socket] { release(socket); });
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
    // One answer per request, and the connection ends; it no longer counts against the limit.
    auto answer = [this, socket](const QByteArray& reply) {
        socket->write(reply);
        socket->flush();
        socket->disconnectFromServer();
        release(socket);
    };
    auto readRequest = [this, socket, answer] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > maxRequestBytes) {
                qCWarning(lcApp) << "refused a request longer than" << maxRequestBytes
                                 << "bytes on the command socket";
                answer("request too long\n");
            }
            return;
        }
        const QString command = QString::fromUtf8(socket->readLine(maxRequestBytes + 1)).trimmed();
        auto replyWith = [answer](const Reply& details) {
            QByteArray reply = (details.failed ? "failed\n" : "ok\n") + details.details.toUtf8();
            if (!reply.endsWith('\n')) reply += '\n';
            answer(reply);
        };
        if (m_deferredHandler && deferred(socket, command, replyWith)) return;
        const std::optional<Reply> details = m_handler ? m_handler(command) : std::nullopt;
        if (!details) {
            qCWarning(lcApp) << "refused an unknown command on the socket:" << command.left(80);
            answer("unknown command\n");
            return;
        }
        replyWith(*details);
    };
    connect(socket, &QLocalSocket::readyRead, this, readRequest);
}

bool InstanceChannel::deferred(QLocalSocket* socket, const QString& command,
                               const std::function<void(const Reply&)>& replyWith) {
    // Once per connection: whichever of the outcome and the time-out comes first answers.
    auto once = std::make_shared<bool>(false);
    QPointer<QLocalSocket> alive(socket);
    auto respond = [alive, once, replyWith](const Reply& reply) {
        if (*once || !alive) return;
        *once = true;
        replyWith(reply);
    };
    const int within = m_deferredHandler(command, respond);
    if (within <= 0) return false;
    if (*once) return true;
    // The connection is waited on, not idle: it no longer counts toward the limit.
    release(socket);
    if (auto* idle = socket->findChild<QTimer*>()) idle->stop();
    QTimer::singleShot(within, socket, [respond, command, within] {
        qCWarning(lcApp) << "no outcome for" << command.section(u' ', 0, 0) << "in" << within
                         << "ms";
        //% "Quillet did not finish this in time; see its log for why."
        respond(Reply(qtTrId("REQUEST_TIMED_OUT"), true));
    });
    return true;
}

std::optional<qint64> InstanceChannel::lockHolder() {
    // Only looks: taking the lock, even for a moment, could turn away an instance starting now.
    if (!isPlainFileOrMissing(lockPath())) return std::nullopt;
    QLockFile lock(lockPath());
    qint64 pid = 0;
    QString host, application;
    if (!lock.getLockInfo(&pid, &host, &application) || pid <= 0) return std::nullopt;
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM) return std::nullopt;  // a stale lock
    return pid;
}

}  // namespace quillet
