#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <memory>

#include "support/ChildProcess.h"
#include "support/MutterRemoteKeyboard.h"

namespace quillet::test {

// GNOME's compositor, run headless (`mutter --headless --wayland`, a virtual monitor), with
// its XWayland and a session bus of its own. Mutter picks its X display itself (from :0 up)
// and binds it in /tmp/.X11-unix and as an abstract socket, so it runs in private mount and
// network namespaces: a tmpfs over /tmp/.X11-unix and a network of its own keep its display
// apart from every other X server here. That needs root; `unavailableReason` says so.
//
// Wayland clients reach it from anywhere through the socket's path; X clients must run
// inside its namespaces: `command` wraps a command line for that. The seat has no keyboard
// until a virtual one sends a key, so the session presses one (through Mutter's own remote
// desktop interface on its bus) before it is handed out.
class MutterSession {
public:
    struct Options {
        QString resolution = QStringLiteral("1280x800");
        std::chrono::milliseconds startTimeout = std::chrono::seconds(30);
    };

    // Empty when this machine can run the session; else why not (for GTEST_SKIP).
    static QString unavailableReason();
    // Null when Mutter did not come up; `error` says why (with the end of its log).
    static std::unique_ptr<MutterSession> start(const Options& options, QString* error = nullptr);
    ~MutterSession();
    MutterSession(const MutterSession&) = delete;
    MutterSession& operator=(const MutterSession&) = delete;

    QString waylandDisplay() const { return m_waylandDisplay; }
    QString x11Display() const { return m_x11Display; }
    // "NAME=value" entries for a client of this desktop: the Wayland socket, the X display
    // with its cookie, the session bus, XDG_CURRENT_DESKTOP=GNOME and a runtime folder of the
    // client's own.
    QStringList environment() const;
    // `arguments` run inside the compositor's namespaces, where its X display is.
    QStringList command(const QStringList& arguments) const;
    // Presses and releases a key (an evdev code) on the seat's virtual keyboard.
    bool tapKey(quint32 evdevCode);
    QString log() const;
    bool isRunning() { return m_mutter && m_mutter->isRunning(); }

    static constexpr quint32 keyShift = 42;
    static constexpr quint32 keyReturn = 28;
    static constexpr quint32 keyDown = 108;
    static constexpr quint32 keyEscape = 1;

private:
    MutterSession() = default;
    bool startRemoteKeyboard(QString* error);

    QTemporaryDir m_dir;
    QString m_clientRuntimeDir;
    QString m_waylandDisplay;
    QString m_x11Display;
    QString m_xauthority;
    QString m_busAddress;
    std::unique_ptr<ChildProcess> m_bus;
    std::unique_ptr<ChildProcess> m_mutter;
    std::unique_ptr<MutterRemoteKeyboard> m_keyboard;
};

}  // namespace quillet::test
