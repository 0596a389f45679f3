#pragma once

#include <QString>

#include "platform/Workspace.h"

struct xcb_connection_t;

namespace quillet {

// The frontmost application and its re-activation through the window manager's EWMH
// properties: the root's _NET_ACTIVE_WINDOW, the window's WM_CLASS and _NET_WM_PID.
class X11Workspace final : public Workspace {
public:
    // `connection` is borrowed and must outlive this object (the application's own one).
    // `ownBundleIdentifier` is our WM_CLASS class, which for a Qt program is its application
    // name. `rootWindow` 0 means the root of the connection's first screen.
    X11Workspace(xcb_connection_t* connection, QString ownBundleIdentifier, quint32 rootWindow = 0);

    std::optional<RunningApplication> frontmostApplication() override;
    std::optional<QString> ownBundleIdentifier() const override;
    void activate(const RunningApplication& app) override;

private:
    xcb_connection_t* const m_connection;
    const QString m_ownBundleIdentifier;
    quint32 m_root = 0;
    quint32 m_netActiveWindow = 0;
    quint32 m_netWmPid = 0;
};

}  // namespace quillet
