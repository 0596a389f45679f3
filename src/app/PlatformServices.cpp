#include "app/PlatformServices.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSettings>
#include <QStandardPaths>

#include "hotkeys/MenuHotkeys.h"
#include "platform/BackendChoice.h"
#include "base/Logging.h"
#include "platform/kde/KGlobalAccelHotkeys.h"
#include "platform/gnome/GnomeShortcuts.h"
#include "platform/null/NullPlatform.h"
#include "platform/portal/PortalGlobalShortcuts.h"
#include "platform/portal/PortalRegistration.h"
#include "platform/portal/PortalRemoteKeyboard.h"
#include "platform/qt/QtClipboardReader.h"
#include "platform/qt/QtClipboardWriter.h"
#include "platform/SystemPasteboard.h"
#include "platform/wayland/KwinFakeInputKeyboard.h"
#include "platform/wayland/PlasmaWorkspace.h"
#include "platform/wayland/WaylandClipboardReader.h"
#include "platform/wayland/WaylandKeyboardEvents.h"
#include "platform/wayland/WaylandProbe.h"
#include "platform/wayland/WaylandWorkspace.h"
#include "platform/x11/X11ClipboardReader.h"
#include "platform/x11/X11KeyboardEvents.h"
#include "platform/x11/X11PrimaryLoan.h"
#include "platform/x11/X11SelectionOwner.h"
#include "platform/x11/X11SystemHotkeys.h"
#include "platform/x11/X11Workspace.h"
#include "platform/xdg/FreedesktopNotifications.h"
#include "platform/xdg/XdgAutostartItem.h"

namespace quillet {

namespace {

// What the login item starts: the installed `quillet` when that is us, else our own path
// (a build folder, an unpacked archive).
QString autostartProgram() {
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    const QString installed = QStandardPaths::findExecutable(QStringLiteral("quillet"));
    if (!installed.isEmpty() && QFileInfo(installed).canonicalFilePath() == self)
        return QStringLiteral("quillet");
    return self;
}

bool isGnomeSession() {
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':');
    return desktops.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive);
}

// The compositor's name for --status: the desktop's own word when it gives one.
QString compositorName(const QString& waylandDisplay) {
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    if (!desktop.isEmpty()) return desktop;
    if (qEnvironmentVariableIsSet("SWAYSOCK")) return QStringLiteral("sway");
    return waylandDisplay;
}

SessionFacts sessionFacts(QGuiApplication& app) {
    SessionFacts facts;
    facts.waylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY");
    facts.qtPlatform = QGuiApplication::platformName();
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    facts.qtHasX11Connection = x11 != nullptr && x11->connection() != nullptr;
    const bool wayland =
        !facts.waylandDisplay.isEmpty() || facts.qtPlatform.startsWith(QLatin1String("wayland"));
    if (wayland && !(facts.qtPlatform == QLatin1String("xcb") && facts.qtHasX11Connection)) {
        facts.waylandGlobals = probeWaylandGlobals({}, std::chrono::seconds(2)).interfaces;
        facts.x11DisplayUsable = X11ClipboardReader::canConnect(qgetenv("DISPLAY"));
    }
    facts.currentDesktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    // Asked of the bus daemon alone, and only on KDE.
    if (facts.currentDesktop.contains(QLatin1String("KDE"), Qt::CaseInsensitive)) {
        const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        const QString name = QLatin1String(KGlobalAccelHotkeys::service);
        facts.kglobalaccelOnBus =
            bus != nullptr && (bus->isServiceRegistered(name).value() ||
                               bus->activatableServiceNames().value().contains(name));
    }
    return facts;
}

// The menus' hot keys as the desktop's shortcut settings list them. The names are kept
// across versions: the desktop remembers the user's keys under them.
std::map<quint32, PortalShortcut> menuShortcuts() {
    return {
        //% "Show Quillet's clipboard history menu"
        {MenuHotkeys::historyId,
         {QStringLiteral("history-menu"), qtTrId("PORTAL_HISTORY_SHORTCUT")}},
        //% "Show Quillet's phrase menu"
        {MenuHotkeys::phraseId, {QStringLiteral("phrase-menu"), qtTrId("PORTAL_PHRASE_SHORTCUT")}},
    };
}

// KDE Plasma's global keys: its shortcut service, on X11 and Wayland alike.
void createKdeHotkeys(PlatformServices& services) {
    services.hotkeys = makeKGlobalAccelHotkeys(QDBusConnection::sessionBus(), menuShortcuts());
    services.hotkeyMethod = QStringLiteral("KDE global shortcuts (org.kde.kglobalaccel)");
}

// Qt runs on X11 (an X11 session, or XWayland): every service goes through Qt's own
// connection, the clipboard reader through one of its own.
void createX11Services(PlatformServices& services, QGuiApplication& app,
                       const BackendChoice& choice) {
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    const QByteArray display = qgetenv("DISPLAY");
    services.pasteboard = std::make_unique<SystemPasteboard>(
        std::make_unique<X11ClipboardReader>(display),
        std::make_unique<QtClipboardWriter>(QGuiApplication::clipboard()),
        std::make_unique<X11PrimaryLoan>(display));
    services.workspace =
        std::make_unique<X11Workspace>(x11->connection(), QGuiApplication::applicationName());
    services.keyboard = std::make_unique<X11KeyboardEvents>(x11->connection());
    services.hotkeys = std::make_unique<X11SystemHotkeys>(x11->connection());
    services.backend = QStringLiteral("X11 (%1)").arg(QString::fromLocal8Bit(display));
    services.clipboardMethod = QStringLiteral("XFixes selection events");
    services.pasteMethod = services.keyboard->isTrusted()
                               ? QStringLiteral("XTest key events")
                               : QStringLiteral("none (no XTest): texts stay on the clipboard");
    services.hotkeyMethod = QStringLiteral("X11 key grab");
    if (choice.kdeGlobalShortcuts) createKdeHotkeys(services);
}

// A Wayland session's clipboard: data-control where the compositor offers it, else XWayland's
// selection, else Qt's clipboard; the user hears once what is missing.
// `focus` names the application of each copy where the compositor tells the focused window.
void createWaylandClipboard(PlatformServices& services, const SessionFacts& facts,
                            const BackendChoice& choice,
                            const std::shared_ptr<FocusedApplication>& focus) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    switch (choice.clipboard) {
        case ClipboardBackend::wayland: {
            auto reader = std::make_unique<WaylandClipboardReader>(
                facts.waylandDisplay.toLocal8Bit(), std::chrono::seconds(1), nullptr, focus);
            auto writer = std::make_unique<WaylandClipboardWriter>(*reader);
            services.pasteboard =
                std::make_unique<SystemPasteboard>(std::move(reader), std::move(writer));
            services.clipboardMethod = choice.clipboardProtocol;
            break;
        }
        case ClipboardBackend::x11:
            // Read and written through XWayland's selection: GNOME ignores a Wayland client's
            // selection while it lacks the keyboard focus, but follows XWayland's at any time.
            services.pasteboard = std::make_unique<SystemPasteboard>(
                std::make_unique<X11ClipboardReader>(qgetenv("DISPLAY")),
                std::make_unique<X11SelectionOwner>(qgetenv("DISPLAY")),
                std::make_unique<X11PrimaryLoan>(qgetenv("DISPLAY")));
            services.clipboardMethod =
                QStringLiteral("XWayland (XFixes selection events; texts offered as the X11 "
                               "selection)");
            break;
        case ClipboardBackend::qt:
            services.pasteboard = std::make_unique<SystemPasteboard>(
                std::make_unique<QtClipboardReader>(clipboard),
                std::make_unique<QtClipboardWriter>(clipboard),
                std::make_unique<QtPrimarySelection>(clipboard));
            services.clipboardMethod = QStringLiteral("Qt clipboard");
            break;
    }
    if (!choice.missingDataControl) return;
    qCWarning(lcClipboard)
        << "this Wayland compositor offers no data-control protocol "
           "(ext-data-control-v1 or wlr-data-control-unstable-v1);"
        << (choice.clipboard == ClipboardBackend::x11
                ? "copies are followed through XWayland and may miss native Wayland programs"
                : "copies are seen only while a Quillet window has the focus");
    //% "Clipboard history is limited"
    services.noticeTitle = qtTrId("WAYLAND_NO_DATA_CONTROL_TITLE");
    if (choice.clipboard == ClipboardBackend::x11) {
        //% "This desktop does not let clipboard managers follow copies (no data-control "
        //% "protocol). Quillet follows them through XWayland, so copies from some "
        //% "programs may be missed."
        services.notice = qtTrId("WAYLAND_NO_DATA_CONTROL_XWAYLAND");
    } else {
        //% "This desktop does not let clipboard managers follow copies (no data-control "
        //% "protocol). Quillet sees a copy only while one of its windows is active."
        services.notice = qtTrId("WAYLAND_NO_DATA_CONTROL_QT");
    }
}

// Who we are to the desktop portals: our desktop entry's name, asked for once per run.
std::shared_ptr<PortalRegistration> portalRegistration(PlatformServices& services) {
    if (!services.portalRegistration)
        services.portalRegistration = std::make_shared<PortalRegistration>(
            QDBusConnection::sessionBus(), QStringLiteral("quillet"));
    return services.portalRegistration;
}

// Paste through the RemoteDesktop portal (GNOME): the desktop asks the user once per session,
// or once for good where it can remember the answer under a restore token kept in `settings`.
void createPortalPaste(PlatformServices& services, QSettings& settings) {
    const QString tokenKey = QStringLiteral("portal/remoteDesktopRestoreToken");
    RestoreTokenStore tokens{
        [&settings, tokenKey] { return settings.value(tokenKey).toString(); },
        [&settings, tokenKey](const QString& token) { settings.setValue(tokenKey, token); }};
    auto keyboard = std::make_unique<PortalRemoteKeyboard>(
        QDBusConnection::sessionBus(), portalRegistration(services), std::move(tokens),
        PortalRemoteKeyboard::Timeouts{});
    services.pasteStatus = [keyboard = keyboard.get()] { return keyboard->statusText(); };
    services.pasteMethod = QStringLiteral("remote desktop portal");
    services.keyboard = std::move(keyboard);
}

// How a chosen text reaches the focused window on Wayland, and which window that is. Nothing
// is re-activated: the compositor gives the focus back when our menu closes.
void createWaylandPaste(PlatformServices& services, const SessionFacts& facts,
                        const BackendChoice& choice, QSettings& settings,
                        const std::shared_ptr<FocusedApplication>& focus) {
    // Where the compositor lists its windows, the focused one's app id chooses the chord;
    // elsewhere every paste is Ctrl+V.
    bool chordPerApplication = false;
    QString windowList;
    const QByteArray display = facts.waylandDisplay.toLocal8Bit();
    if (choice.foreignToplevels) {
        auto workspace =
            std::make_unique<WaylandWorkspace>(display, QGuiApplication::applicationName());
        chordPerApplication = workspace->isAvailable();
        workspace->shareFocus(focus);
        if (chordPerApplication) services.workspace = std::move(workspace);
        windowList = QStringLiteral("zwlr_foreign_toplevel_manager_v1");
    } else if (choice.plasmaWindows) {
        auto workspace =
            std::make_unique<PlasmaWorkspace>(display, QGuiApplication::applicationName());
        chordPerApplication = workspace->isAvailable();
        workspace->shareFocus(focus);
        if (chordPerApplication) services.workspace = std::move(workspace);
        windowList = QStringLiteral("org_kde_plasma_window_management");
    }
    if (!services.workspace) services.workspace = std::make_unique<NullWorkspace>();
    // Our clipboard backends leave PRIMARY alone here, and Shift+Insert pastes PRIMARY in
    // several Wayland terminals; Ctrl+Shift+V pastes the clipboard in all the common ones.
    services.terminalPasteChord = PasteChord::controlShiftV;
    QString keys;
    if (choice.virtualKeyboard) {
        services.keyboard = std::make_unique<WaylandKeyboardEvents>(display);
        keys = QStringLiteral("virtual keyboard (zwp_virtual_keyboard_v1)");
    } else if (choice.kdeFakeInput) {
        services.keyboard = std::make_unique<KwinFakeInputKeyboard>(display);
        keys = QStringLiteral("KWin fake input (org_kde_kwin_fake_input)");
    } else {
        services.keyboard = std::make_unique<NullKeyboardEvents>();
    }
    // Without a keyboard of the compositor's own, the desktop portal may type for us (GNOME).
    if (!services.keyboard->isTrusted() && !facts.waylandDisplay.isEmpty()) {
        createPortalPaste(services, settings);
        return;
    }
    if (!services.keyboard->isTrusted())
        qCWarning(lcPaste) << "automatic paste is unavailable (no virtual keyboard); chosen "
                              "texts stay on the clipboard";
    if (services.keyboard->isTrusted())
        services.pasteMethod =
            chordPerApplication
                ? QStringLiteral("%1, chord chosen per application (%2)").arg(keys, windowList)
                : QStringLiteral("%1, Ctrl+V in every window (the compositor does not list "
                                 "its windows)")
                      .arg(keys);
    else if (!facts.waylandDisplay.isEmpty())
        services.pasteMethod = QStringLiteral(
            "none (no virtual keyboard): texts stay on the clipboard, with a notice");
    else
        services.pasteMethod = QStringLiteral("none: texts stay on the clipboard");
}

// Global keys on Wayland: the desktop binds them for us through its portal, where it has
// one; the settings window says when it does not.
void createWaylandHotkeys(PlatformServices& services, const SessionFacts& facts,
                          const BackendChoice& choice) {
    services.hotkeys = std::make_unique<NullSystemHotkeys>();
    services.hotkeyMethod = QStringLiteral("none");
    // KDE's portal (5.27) binds nothing; its shortcut service is what Plasma's programs use.
    if (choice.kdeGlobalShortcuts) {
        createKdeHotkeys(services);
        return;
    }
    if (facts.qtPlatform.startsWith(QLatin1String("wayland"))) {
        services.hotkeys = makePortalHotkeys(QDBusConnection::sessionBus(),
                                             portalRegistration(services), menuShortcuts());
        services.hotkeyMethod = QStringLiteral("desktop portal (GlobalShortcuts)");
    }
}

}  // namespace

PlatformServices PlatformServices::create(QGuiApplication& app, QSettings& settings) {
    PlatformServices services;
    services.clock = std::make_unique<SystemClock>();
    // Autostart entries are the freedesktop way on X11 and Wayland sessions alike.
    services.loginItem =
        std::make_unique<XdgAutostartItem>(QStringLiteral("quillet.desktop"), autostartProgram());
    services.notifications =
        std::make_unique<FreedesktopNotifications>(QDBusConnection::sessionBus());
    // GNOME runs commands on keys of the user's choosing; the keys run the same program the
    // login item starts.
    if (isGnomeSession())
        services.desktopShortcuts = std::make_unique<GnomeShortcuts>(autostartProgram());

    const SessionFacts facts = sessionFacts(app);
    const BackendChoice choice = chooseBackends(facts);
    if (choice.x11Services) {
        createX11Services(services, app, choice);
        return services;
    }
    if (facts.waylandDisplay.isEmpty() && !facts.qtPlatform.startsWith(QLatin1String("wayland")))
        qCWarning(lcApp) << "this session has no X11 display; global hot keys are unavailable";
    // Told by the workspace, read by the clipboard reader's thread.
    auto focus = std::make_shared<FocusedApplication>();
    createWaylandClipboard(services, facts, choice, focus);
    createWaylandPaste(services, facts, choice, settings, focus);
    createWaylandHotkeys(services, facts, choice);
    services.backend =
        facts.waylandDisplay.isEmpty()
            ? facts.qtPlatform
            : QStringLiteral("Wayland (%1)").arg(compositorName(facts.waylandDisplay));
    return services;
}

}  // namespace quillet
