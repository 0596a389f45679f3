#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "paste/PasteChords.h"
#include "base/Clock.h"
#include "platform/DesktopShortcuts.h"
#include "platform/KeyboardEvents.h"
#include "platform/LoginItem.h"
#include "platform/Notifications.h"
#include "platform/Pasteboard.h"
#include "platform/SystemHotkeys.h"
#include "platform/Workspace.h"

class QGuiApplication;
class QSettings;

namespace quillet {

class PortalRegistration;

// The operating-system services, chosen once at start-up for the session we run in.
struct PlatformServices {
    std::unique_ptr<Clock> clock;
    std::unique_ptr<Pasteboard> pasteboard;
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<KeyboardEvents> keyboard;
    std::unique_ptr<SystemHotkeys> hotkeys;
    std::unique_ptr<LoginItem> loginItem;
    // The desktop's own keys that run a command (GNOME); null on other desktops.
    std::unique_ptr<DesktopShortcuts> desktopShortcuts;
    std::unique_ptr<Notifications> notifications;
    // Who we are to the desktop portals, shared by every backend that talks to them.
    std::shared_ptr<PortalRegistration> portalRegistration;
    // The chord that pastes the clipboard in a terminal of this session.
    PasteChord terminalPasteChord = PasteChord::shiftInsert;

    // How each service works in this session, in words for `quillet --status`.
    QString backend;
    QString clipboardMethod;
    QString pasteMethod;
    // Where the paste method's state changes while running (a pending approval), its words
    // now; pasteMethod otherwise.
    std::function<QString()> pasteStatus;
    QString hotkeyMethod;
    // Said once to the user after start-up (a tray notice) when the session lacks something
    // the clipboard needs; empty otherwise.
    QString noticeTitle;
    QString notice;

    // X11 backends on an X11 session, the data-control clipboard on a Wayland compositor
    // that offers it, otherwise the null backends (with one warning).
    // `settings` keeps what a backend must remember between runs (a portal's restore token).
    static PlatformServices create(QGuiApplication& app, QSettings& settings);
};

}  // namespace quillet
