#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <memory>

#include "support/ChildProcess.h"

namespace quillet::test {

// A private headless Wayland compositor (sway on wlroots' headless backend with the pixman
// renderer) in a runtime folder of its own. sway refuses to run as root, so under root it runs
// as nobody; clients connect through the socket's absolute path. Everything it started ends
// with the session.
class SwaySession {
public:
    struct Options {
        QString resolution = QStringLiteral("1280x800");
        std::chrono::milliseconds startTimeout = std::chrono::seconds(15);
    };

    // Null when sway did not come up; `error` says why (with the end of sway's log).
    static std::unique_ptr<SwaySession> start(const Options& options, QString* error = nullptr);
    ~SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    // The compositor's socket as an absolute path: what WAYLAND_DISPLAY takes.
    QString waylandDisplay() const { return m_waylandDisplay; }
    // sway's IPC socket (SWAYSOCK), for swaymsg.
    QString swaySocket() const { return m_swaySocket; }
    // "NAME=value" entries for ChildProcess::Options::environment that point a client at this
    // compositor: WAYLAND_DISPLAY, SWAYSOCK, a private XDG_RUNTIME_DIR (ours, not the
    // compositor's: programs check that theirs belongs to them) and no X display.
    QStringList environment() const;
    // sway's own log so far (for a failing test's message).
    QString log() const;
    bool isRunning() { return m_sway && m_sway->isRunning(); }

private:
    SwaySession() = default;

    QTemporaryDir m_dir;
    QString m_clientRuntimeDir;
    QString m_waylandDisplay;
    QString m_swaySocket;
    std::unique_ptr<ChildProcess> m_sway;
};

}  // namespace quillet::test
