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
    QString currentDesktop;           // $XDG_CURRENT_DESKTOP ("KDE", "GNOME", "sway:wlroots")
    bool kglobalaccelOnBus = false;   // org.kde.kglobalaccel runs (or starts) on the session bus
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
    // KWin's fake input (org_kde_kwin_fake_input), offered only to programs its desktop entry
    // lets use it; chosen where no virtual keyboard is offered.
    bool kdeFakeInput = false;
    // KWin lists its windows (org_kde_plasma_window_management), where wlroots' list is missing.
    bool plasmaWindows = false;
    // KDE Plasma, X11 or Wayland: hot keys through its shortcut service (org.kde.kglobalaccel).
    bool kdeGlobalShortcuts = false;
    // A Wayland session without data-control: the user is told once what is missing.
    bool missingDataControl = false;
};

// Qt on X11 (XWayland included) → X11 throughout. A Wayland session → its data-control
// protocol, ext first; without one, the X11 reader through XWayland when that works, else
// Qt's clipboard (which sees changes only while we have the focus). On KDE Plasma, KWin's own
// protocols fill in what wlroots' are missing, and KDE's shortcut service takes the hot keys.
BackendChoice chooseBackends(const SessionFacts& facts);

}  // namespace quillet
