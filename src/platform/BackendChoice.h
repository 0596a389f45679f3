#pragma once

#include <QString>
#include <QStringList>

namespace quillet {

// What start-up knows about the session it runs in.
struct SessionFacts {
    QString waylandDisplay;           // $WAYLAND_DISPLAY
    QString qtPlatform;               // QGuiApplication::platformName()
    bool qtHasX11Connection = false;  // Qt runs on xcb and holds a connection
    bool x11DisplayUsable = false;    // $DISPLAY (XWayland on a Wayland session) accepts us
    QStringList waylandGlobals;       // interfaces the compositor advertises
};

enum class ClipboardBackend { x11, wayland, qt };

// Which backends serve this session.
struct BackendChoice {
    ClipboardBackend clipboard = ClipboardBackend::qt;
    // The Wayland data-control protocol to use ("ext-data-control-v1" or
    // "wlr-data-control-unstable-v1"); empty unless `clipboard` is wayland.
    QString clipboardProtocol;
    // X11 services (workspace, key events, key grabs) through Qt's own connection.
    bool x11Services = false;
    bool virtualKeyboard = false;  // the compositor offers zwp_virtual_keyboard_manager_v1
    // The compositor lists its windows (zwlr_foreign_toplevel_manager_v1), so the focused
    // window's program, and with it the paste chord, can be known.
    bool foreignToplevels = false;
    // A Wayland session without data-control: the user is told once what is missing.
    bool missingDataControl = false;
};

// Qt on X11 (XWayland included) → X11 throughout. A Wayland session → its data-control
// protocol, ext first; without one, the X11 reader through XWayland when that works, else
// Qt's clipboard (which sees changes only while we have the focus).
BackendChoice chooseBackends(const SessionFacts& facts);

}  // namespace quillet
