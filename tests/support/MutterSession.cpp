#include "support/MutterSession.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include "support/XvfbSession.h"

namespace quillet::test {

namespace {

void setError(QString* error, const QString& message) {
    if (error) *error = message;
}

bool writeFile(const QString& path, const QByteArray& contents) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

// A session bus that starts nothing by itself: Mutter finds no portal, no settings daemon.
// Its address is given on the command line.
const QByteArray kBusConfig =
    "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
    " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
    "<busconfig>\n  <type>session</type>\n  <listen>unix:tmpdir=/tmp</listen>\n"
    "  <auth>EXTERNAL</auth>\n  <policy context=\"default\">\n"
    "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n    <allow eavesdrop=\"true\"/>\n"
    "    <allow own=\"*\"/>\n  </policy>\n</busconfig>\n";

}  // namespace

QString MutterSession::unavailableReason() {
    if (::geteuid() != 0)
        return QStringLiteral("the headless Mutter rig needs root (private mount and network "
                              "namespaces for its X display)");
    for (const char* program : {"mutter", "Xwayland", "unshare", "nsenter", "dbus-daemon"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
            return QStringLiteral("%1 is not installed").arg(QLatin1String(program));
    }
    return {};
}

std::unique_ptr<MutterSession> MutterSession::start(const Options& options, QString* error) {
    if (const QString reason = unavailableReason(); !reason.isEmpty()) {
        setError(error, reason);
        return nullptr;
    }
    std::unique_ptr<MutterSession> session(new MutterSession);
    const QString dir = session->m_dir.path();
    const QString runtime = dir + QStringLiteral("/run");
    session->m_clientRuntimeDir = dir + QStringLiteral("/client-run");
    for (const QString& path : {runtime, session->m_clientRuntimeDir}) {
        QDir().mkpath(path);
        ::chmod(QFile::encodeName(path).constData(), 0700);
    }
    const QString busSocket = dir + QStringLiteral("/bus");
    const QString log = dir + QStringLiteral("/mutter.log");
    if (!writeFile(dir + QStringLiteral("/bus.conf"), kBusConfig)) {
        setError(error, QStringLiteral("cannot write the bus configuration"));
        return nullptr;
    }
    session->m_busAddress = QStringLiteral("unix:path=") + busSocket;
    session->m_bus = std::make_unique<ChildProcess>();
    if (!session->m_bus->start({QStringLiteral("dbus-daemon"), QStringLiteral("--nofork"),
                                QStringLiteral("--config-file=") + dir + QStringLiteral("/bus.conf"),
                                QStringLiteral("--address=") + session->m_busAddress},
                               ChildProcess::silent({})) ||
        !waitFor([&] { return QFile::exists(busSocket); }, options.startTimeout)) {
        setError(error, QStringLiteral("the session bus did not start"));
        return nullptr;
    }

    // Inside the namespaces: a /tmp/.X11-unix of its own, then Mutter with a clean
    // environment (nothing of the host's session leaks in).
    QDir().mkpath(QStringLiteral("/tmp/.X11-unix"));
    const QString script = QStringLiteral(
        "mount --make-rprivate / && mount -t tmpfs -o mode=1777 quillet-x11 /tmp/.X11-unix || "
        "exit 97; exec env -i PATH=/usr/bin:/bin HOME=\"$1\" XDG_RUNTIME_DIR=\"$2\" "
        "DBUS_SESSION_BUS_ADDRESS=\"$3\" XDG_CURRENT_DESKTOP=GNOME mutter --headless --wayland "
        "--virtual-monitor \"$4\" --wayland-display=wayland-0 >>\"$5\" 2>&1");
    session->m_mutter = std::make_unique<ChildProcess>();
    ChildProcess::Options mutterOptions = ChildProcess::silent({});
    if (!session->m_mutter->start({QStringLiteral("unshare"), QStringLiteral("--mount"),
                                   QStringLiteral("--net"), QStringLiteral("sh"),
                                   QStringLiteral("-c"), script, QStringLiteral("sh"), dir,
                                   runtime, session->m_busAddress, options.resolution, log},
                                  mutterOptions)) {
        setError(error, QStringLiteral("unshare could not be started"));
        return nullptr;
    }
    session->m_waylandDisplay = runtime + QStringLiteral("/wayland-0");
    // "Using public X11 display :0, (using :1 for managed services)"
    static const QRegularExpression displayLine(QStringLiteral("public X11 display (:\\d+)"));
    const bool announced = waitFor(
        [&] {
            if (!session->m_mutter->isRunning()) return true;
            const auto match = displayLine.match(session->log());
            if (match.hasMatch()) session->m_x11Display = match.captured(1);
            const QStringList cookies = QDir(runtime).entryList(
                {QStringLiteral(".mutter-Xwaylandauth.*")}, QDir::Hidden | QDir::Files);
            if (!cookies.isEmpty()) session->m_xauthority = runtime + u'/' + cookies.first();
            return !session->m_x11Display.isEmpty() && !session->m_xauthority.isEmpty() &&
                   QFile::exists(session->m_waylandDisplay);
        },
        options.startTimeout);
    if (!announced || !session->m_mutter->isRunning()) {
        setError(error, QStringLiteral("mutter did not come up: %1").arg(session->log().right(2000)));
        return nullptr;
    }
    // XWayland is up once an X client gets through.
    const bool xUp = waitFor(
        [&] {
            return runCommand(session->command({QStringLiteral("xprop"), QStringLiteral("-root"),
                                                QStringLiteral("-len"), QStringLiteral("0"),
                                                QStringLiteral("_NET_SUPPORTED")}),
                              std::chrono::seconds(5), ChildProcess::silent(session->environment()))
                       .exitCode == 0;
        },
        options.startTimeout);
    if (!xUp) {
        setError(error, QStringLiteral("XWayland did not come up: %1").arg(session->log().right(2000)));
        return nullptr;
    }
    if (!session->startRemoteKeyboard(error)) return nullptr;
    return session;
}

bool MutterSession::startRemoteKeyboard(QString* error) {
    m_keyboard = MutterRemoteKeyboard::open(m_busAddress, error);
    if (!m_keyboard) return false;
    // Until a key arrives the seat has no keyboard, and clients (wl-paste among them) find none.
    if (!tapKey(keyShift)) {
        setError(error, QStringLiteral("the virtual keyboard did not take a key"));
        return false;
    }
    return true;
}

bool MutterSession::tapKey(quint32 evdevCode) {
    return m_keyboard && m_keyboard->tap(evdevCode);
}

MutterSession::~MutterSession() {
    m_keyboard.reset();
    if (m_mutter) {
        const pid_t group = m_mutter->pid();
        m_mutter->stop();
        // XWayland and whatever else Mutter started share its process group.
        if (group > 0) ::kill(-group, SIGKILL);
    }
    if (m_bus) m_bus->stop();
}

QStringList MutterSession::environment() const {
    return {QStringLiteral("WAYLAND_DISPLAY=") + m_waylandDisplay,
            QStringLiteral("DISPLAY=") + m_x11Display,
            QStringLiteral("XAUTHORITY=") + m_xauthority,
            QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + m_busAddress,
            QStringLiteral("XDG_CURRENT_DESKTOP=GNOME"),
            QStringLiteral("XDG_RUNTIME_DIR=") + m_clientRuntimeDir};
}

QStringList MutterSession::command(const QStringList& arguments) const {
    return QStringList{QStringLiteral("nsenter"),
                       QStringLiteral("--target=%1").arg(m_mutter ? m_mutter->pid() : 0),
                       QStringLiteral("--mount"), QStringLiteral("--net"), QStringLiteral("--")} +
           arguments;
}

QString MutterSession::log() const {
    QFile file(m_dir.filePath(QStringLiteral("mutter.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace quillet::test
