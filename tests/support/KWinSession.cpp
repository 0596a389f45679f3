#include "support/KWinSession.h"

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include "support/XvfbSession.h"

namespace quillet::test {

namespace {

using namespace std::chrono_literals;

void setError(QString* error, const QString& message) {
    if (error) *error = message;
}

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// Any uid may join the bus: the test (root) talks to the services of KWin's user.
QByteArray busConfiguration(const QString& socket) {
    return QStringLiteral(
               "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig><type>session</type><listen>unix:path=%1</listen>"
               "<auth>EXTERNAL</auth><policy context=\"default\"><allow user=\"*\"/>"
               "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
               "<allow own=\"*\"/></policy></busconfig>\n")
        .arg(socket)
        .toUtf8();
}

QByteArray desktopEntry(const QString& program) {
    return QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\nNoDisplay=true\n"
                          "X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input,"
                          "org_kde_plasma_window_management\n")
        .arg(QFileInfo(program).fileName(), program)
        .toUtf8();
}

}  // namespace

std::unique_ptr<KWinSession> KWinSession::start(const Options& options, QString* error) {
    std::unique_ptr<KWinSession> session(new KWinSession);
    if (!session->m_dir.isValid()) {
        setError(error, QStringLiteral("no temporary folder for KWin"));
        return nullptr;
    }
    const QString dir = session->m_dir.path();
    const QString home = dir + QStringLiteral("/home");
    const QString runtime = dir + QStringLiteral("/run");
    const QString applications = home + QStringLiteral("/.local/share/applications");
    for (const QString& path : {runtime, applications, home + QStringLiteral("/.cache"),
                                home + QStringLiteral("/.config")})
        QDir().mkpath(path);
    ::chmod(QFile::encodeName(runtime).constData(), 0700);
    ::chmod(QFile::encodeName(dir).constData(), 0755);
    const QString kwin = dir + QStringLiteral("/kwin_wayland");
    const QString busSocket = dir + QStringLiteral("/bus");
    // A copy carries no file capability.
    if (!QFile::copy(QStringLiteral("/usr/bin/kwin_wayland"), kwin) ||
        !writeFile(dir + QStringLiteral("/bus.conf"), busConfiguration(busSocket))) {
        setError(error, QStringLiteral("cannot prepare KWin's folder (is kwin-wayland installed?)"));
        return nullptr;
    }
    QFile::setPermissions(kwin, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                    QFileDevice::ReadOther | QFileDevice::ExeOther);
    for (const QString& program : options.trustedPrograms)
        writeFile(applications + QLatin1Char('/') + QFileInfo(program).fileName() +
                      QStringLiteral(".desktop"),
                  desktopEntry(QFileInfo(program).canonicalFilePath()));

    session->m_uid = ::geteuid();
    session->m_gid = ::getegid();
    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (nobody == nullptr) {
            setError(error, QStringLiteral("no user 'nobody' to run KWin as"));
            return nullptr;
        }
        session->m_uid = nobody->pw_uid;
        session->m_gid = nobody->pw_gid;
        session->m_runAs = {QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"),
                            QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups")};
        if (!session->giveToSessionUser(dir)) {
            setError(error, QStringLiteral("cannot hand KWin's folder to nobody"));
            return nullptr;
        }
    }
    session->m_busAddress = QStringLiteral("unix:path=") + busSocket;
    // A clean environment: nothing of the host's session leaks in.
    const QStringList environment{QStringLiteral("env"),
                                  QStringLiteral("-i"),
                                  QStringLiteral("PATH=/usr/bin:/bin"),
                                  QStringLiteral("HOME=") + home,
                                  QStringLiteral("XDG_RUNTIME_DIR=") + runtime,
                                  QStringLiteral("XDG_DATA_HOME=") + home + "/.local/share",
                                  QStringLiteral("XDG_CACHE_HOME=") + home + "/.cache",
                                  QStringLiteral("XDG_CONFIG_HOME=") + home + "/.config",
                                  QStringLiteral("XDG_CURRENT_DESKTOP=KDE"),
                                  QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") +
                                      session->m_busAddress};

    session->m_bus = std::make_unique<ChildProcess>();
    if (!session->m_bus->start(session->m_runAs + environment +
                                   QStringList{QStringLiteral("dbus-daemon"),
                                               QStringLiteral("--nofork"),
                                               QStringLiteral("--config-file=") + dir + "/bus.conf"},
                               ChildProcess::silent({}))) {
        setError(error, QStringLiteral("dbus-daemon could not be started"));
        return nullptr;
    }
    // KWin reads the desktop entries from KDE's service cache, built before it starts.
    const CommandResult sycoca = runCommand(
        session->m_runAs + environment + QStringList{QStringLiteral("kbuildsycoca5")}, 30s,
        ChildProcess::silent({}));
    if (!sycoca.finished || sycoca.exitCode != 0) {
        setError(error, QStringLiteral("kbuildsycoca5 failed (exit %1)").arg(sycoca.exitCode));
        return nullptr;
    }
    const QString log = dir + QStringLiteral("/kwin.log");
    session->m_kwin = std::make_unique<ChildProcess>();
    ChildProcess::Options kwinOptions;
    kwinOptions.captureOutput = false;
    if (!session->m_kwin->start(
            session->m_runAs + environment +
                QStringList{QStringLiteral("sh"), QStringLiteral("-c"),
                            QStringLiteral("exec \"$1\" --virtual --no-lockscreen --socket "
                                           "wayland-kwin --width %1 --height %2 2>>\"$2\" >&2")
                                .arg(options.width)
                                .arg(options.height),
                            QStringLiteral("sh"), kwin, log},
            kwinOptions)) {
        setError(error, QStringLiteral("KWin could not be started"));
        return nullptr;
    }
    session->m_waylandDisplay = runtime + QStringLiteral("/wayland-kwin");
    // Up when its socket is there and its shortcut service answers on the bus.
    QDBusConnection bus =
        QDBusConnection::connectToBus(session->m_busAddress, QStringLiteral("kwin-session-probe"));
    const bool ready = waitFor(
        [&] {
            if (!session->m_kwin->isRunning()) return true;
            if (!bus.isConnected())
                bus = QDBusConnection::connectToBus(session->m_busAddress,
                                                    QStringLiteral("kwin-session-probe"));
            return QFileInfo::exists(session->m_waylandDisplay) && bus.isConnected() &&
                   bus.interface()->isServiceRegistered(QStringLiteral("org.kde.kglobalaccel"));
        },
        options.startTimeout);
    QDBusConnection::disconnectFromBus(QStringLiteral("kwin-session-probe"));
    if (!ready || !session->m_kwin->isRunning()) {
        setError(error, QStringLiteral("KWin did not come up: %1").arg(session->log().right(2000)));
        return nullptr;
    }
    return session;
}

KWinSession::~KWinSession() {
    for (auto* process : {m_kwin.get(), m_bus.get()}) {
        if (process == nullptr) continue;
        const pid_t group = process->pid();
        process->stop();
        // Whatever it spawned shares its process group (ChildProcess gives each child its own).
        if (group > 0) ::kill(-group, SIGKILL);
    }
}

bool KWinSession::giveToSessionUser(const QString& path) const {
    if (::geteuid() != 0) return true;
    bool ok = ::chown(QFile::encodeName(path).constData(), m_uid, m_gid) == 0;
    QDirIterator it(path, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) ok = ::lchown(QFile::encodeName(it.next()).constData(), m_uid, m_gid) == 0 && ok;
    return ok;
}

QStringList KWinSession::environment() const {
    return {QStringLiteral("WAYLAND_DISPLAY=") + m_waylandDisplay,
            QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + m_busAddress,
            QStringLiteral("XDG_CURRENT_DESKTOP=KDE"), QStringLiteral("DISPLAY=")};
}

QString KWinSession::log() const {
    QFile file(m_dir.filePath(QStringLiteral("kwin.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace quillet::test
