#include "support/SwaySession.h"

#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cstring>

#include "support/XvfbSession.h"

namespace quillet::test {

namespace {

void setError(QString* error, const QString& message) {
    if (error) *error = message;
}

// True once something accepts connections on the Unix socket at `path`.
bool accepts(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    if (name.isEmpty() || static_cast<std::size_t>(name.size()) >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// The first entry of `dir` matching `pattern` that accepts connections.
QString listeningSocket(const QString& dir, const QString& pattern) {
    const QStringList names = QDir(dir).entryList({pattern}, QDir::System | QDir::Files);
    for (const QString& name : names) {
        if (name.endsWith(QLatin1String(".lock"))) continue;
        const QString path = dir + QLatin1Char('/') + name;
        if (accepts(path)) return path;
    }
    return {};
}

}  // namespace

std::unique_ptr<SwaySession> SwaySession::start(const Options& options, QString* error) {
    std::unique_ptr<SwaySession> session(new SwaySession);
    if (!session->m_dir.isValid()) {
        setError(error, QStringLiteral("no temporary folder for sway"));
        return nullptr;
    }
    const QString dir = session->m_dir.path();
    const QString runtime = dir + QStringLiteral("/run");
    session->m_clientRuntimeDir = dir + QStringLiteral("/client-run");
    const QString config = dir + QStringLiteral("/config");
    const QString log = dir + QStringLiteral("/sway.log");
    QDir().mkpath(runtime);
    QDir().mkpath(session->m_clientRuntimeDir);
    ::chmod(QFile::encodeName(runtime).constData(), 0700);
    ::chmod(QFile::encodeName(session->m_clientRuntimeDir).constData(), 0700);
    {
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly)) {
            setError(error, QStringLiteral("cannot write sway's configuration"));
            return nullptr;
        }
        file.write(
            QStringLiteral("output HEADLESS-1 resolution %1\n").arg(options.resolution).toUtf8());
    }

    QStringList command;
    if (::geteuid() == 0) {
        // sway will not run as root: give it the folder and drop to nobody.
        const passwd* nobody = ::getpwnam("nobody");
        if (nobody == nullptr) {
            setError(error, QStringLiteral("no user 'nobody' to run sway as"));
            return nullptr;
        }
        ::chmod(QFile::encodeName(dir).constData(), 0755);
        for (const QString& path : {runtime, log}) {
            if (path == log) QFile(log).open(QIODevice::WriteOnly);
            if (::chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid) != 0) {
                setError(error, QStringLiteral("cannot hand %1 to nobody").arg(path));
                return nullptr;
            }
        }
        command << QStringLiteral("setpriv") << QStringLiteral("--reuid=nobody")
                << QStringLiteral("--regid=nogroup") << QStringLiteral("--clear-groups");
    }
    // A clean environment: nothing of the host's session (DISPLAY, a D-Bus bus) leaks in.
    command << QStringLiteral("env") << QStringLiteral("-i") << QStringLiteral("PATH=/usr/bin:/bin")
            << QStringLiteral("XDG_RUNTIME_DIR=") + runtime
            << QStringLiteral("WLR_BACKENDS=headless")
            << QStringLiteral("WLR_LIBINPUT_NO_DEVICES=1") << QStringLiteral("WLR_RENDERER=pixman")
            << QStringLiteral("HOME=") + dir << QStringLiteral("sh") << QStringLiteral("-c")
            << QStringLiteral("exec sway -c \"$1\" 2>>\"$2\"") << QStringLiteral("sh") << config
            << log;

    session->m_sway = std::make_unique<ChildProcess>();
    ChildProcess::Options swayOptions;
    swayOptions.captureOutput = false;
    if (!session->m_sway->start(command, swayOptions)) {
        setError(error, QStringLiteral("sway could not be started"));
        return nullptr;
    }
    const bool ready = waitFor(
        [&] {
            if (!session->m_sway->isRunning()) return true;
            if (session->m_waylandDisplay.isEmpty())
                session->m_waylandDisplay = listeningSocket(runtime, QStringLiteral("wayland-*"));
            if (session->m_swaySocket.isEmpty())
                session->m_swaySocket = listeningSocket(runtime, QStringLiteral("sway-ipc.*.sock"));
            return !session->m_waylandDisplay.isEmpty() && !session->m_swaySocket.isEmpty();
        },
        options.startTimeout);
    if (!ready || !session->m_sway->isRunning()) {
        setError(error, QStringLiteral("sway did not come up: %1").arg(session->log().right(2000)));
        return nullptr;
    }
    return session;
}

SwaySession::~SwaySession() {
    if (!m_sway) return;
    const pid_t group = m_sway->pid();
    m_sway->stop();
    // Whatever sway spawned shares its process group (ChildProcess gives each child its own).
    if (group > 0) ::kill(-group, SIGKILL);
}

QStringList SwaySession::environment() const {
    return {QStringLiteral("WAYLAND_DISPLAY=") + m_waylandDisplay,
            QStringLiteral("SWAYSOCK=") + m_swaySocket,
            QStringLiteral("XDG_RUNTIME_DIR=") + m_clientRuntimeDir, QStringLiteral("DISPLAY=")};
}

QString SwaySession::log() const {
    QFile file(m_dir.filePath(QStringLiteral("sway.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace quillet::test
