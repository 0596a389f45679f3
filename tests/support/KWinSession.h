#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <memory>

#include "support/ChildProcess.h"

namespace quillet::test {

// KDE's compositor headless (`kwin_wayland --virtual`) with a session bus of its own, on which
// KWin hosts KDE's shortcut service (org.kde.kglobalaccel). Everything runs as an unprivileged
// user (nobody when we are root) with a private home, runtime folder and data folder:
//  - Debian's kwin_wayland carries a file capability this machine's bounding set lacks, so a
//    plain copy of it runs instead;
//  - KWin grants its own protocols (fake input, window management) to a client whose
//    executable a desktop entry lists with X-KDE-Wayland-Interfaces. It reads the client's
//    /proc/<pid>/exe, so trusted programs run as KWin's user, and their entries are in the
//    data folder and KDE's service cache (kbuildsycoca5) before KWin starts.
class KWinSession {
public:
    struct Options {
        // Programs (absolute paths) granted fake input and window management.
        QStringList trustedPrograms;
        int width = 1280;
        int height = 800;
        std::chrono::milliseconds startTimeout = std::chrono::seconds(30);
    };

    // Null when KWin did not come up; `error` says why (with the end of its log).
    static std::unique_ptr<KWinSession> start(const Options& options, QString* error = nullptr);
    ~KWinSession();
    KWinSession(const KWinSession&) = delete;
    KWinSession& operator=(const KWinSession&) = delete;

    // The compositor's socket as an absolute path: what WAYLAND_DISPLAY takes.
    QString waylandDisplay() const { return m_waylandDisplay; }
    // The private session bus (DBUS_SESSION_BUS_ADDRESS).
    QString busAddress() const { return m_busAddress; }
    // "NAME=value" entries that point a client at this compositor and its bus, as KDE's
    // session would: WAYLAND_DISPLAY, the bus, XDG_CURRENT_DESKTOP=KDE, no X display.
    QStringList environment() const;
    // The command prefix that runs a program as KWin's user (empty when we are not root).
    QStringList runAsSessionUser() const { return m_runAs; }
    // Hands `path` (and what it holds) to KWin's user, so a trusted program can use it.
    bool giveToSessionUser(const QString& path) const;
    QString log() const;
    bool isRunning() { return m_kwin && m_kwin->isRunning(); }

private:
    KWinSession() = default;

    QTemporaryDir m_dir;
    QString m_waylandDisplay;
    QString m_busAddress;
    QStringList m_runAs;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    std::unique_ptr<ChildProcess> m_bus;
    std::unique_ptr<ChildProcess> m_kwin;
};

}  // namespace quillet::test
