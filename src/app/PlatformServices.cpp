#include "app/PlatformServices.h"

#include <QDBusConnection>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

#include "hotkeys/MenuHotkeys.h"
#include "platform/Logging.h"
#include "platform/null/NullPlatform.h"
#include "platform/portal/PortalGlobalShortcuts.h"
#include "platform/qt/QtClipboardReader.h"
#include "platform/qt/QtPasteboard.h"
#include "platform/x11/X11ClipboardReader.h"
#include "platform/x11/X11KeyboardEvents.h"
#include "platform/x11/X11SystemHotkeys.h"
#include "platform/x11/X11Workspace.h"
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

}  // namespace

PlatformServices PlatformServices::create(QGuiApplication& app) {
    PlatformServices services;
    services.clock = std::make_unique<SystemClock>();
    // Autostart entries are the freedesktop way on X11 and Wayland sessions alike.
    services.loginItem =
        std::make_unique<XdgAutostartItem>(QStringLiteral("quillet.desktop"), autostartProgram());
    QClipboard* clipboard = QGuiApplication::clipboard();

    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    const bool isX11 = QGuiApplication::platformName() == QLatin1String("xcb") && x11 != nullptr &&
                       x11->connection() != nullptr;
    if (isX11) {
        const QByteArray display = qgetenv("DISPLAY");
        services.pasteboard = std::make_unique<QtPasteboard>(
            clipboard, std::make_unique<X11ClipboardReader>(display));
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
        return services;
    }
    qCWarning(lcApp) << "this session has no X11 display; global hot keys and automatic paste "
                        "are unavailable (chosen texts stay on the clipboard)";
    services.pasteboard =
        std::make_unique<QtPasteboard>(clipboard, std::make_unique<QtClipboardReader>(clipboard));
    services.workspace = std::make_unique<NullWorkspace>();
    services.keyboard = std::make_unique<NullKeyboardEvents>();
    services.hotkeys = std::make_unique<NullSystemHotkeys>();
    services.backend = QGuiApplication::platformName();
    services.clipboardMethod = QStringLiteral("Qt clipboard");
    services.pasteMethod = QStringLiteral("none: texts stay on the clipboard");
    services.hotkeyMethod = QStringLiteral("none");
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // The desktop binds global keys for us through its portal, where it has one; the
        // settings window says when it does not.
        services.hotkeys = makePortalHotkeys(QDBusConnection::sessionBus(), menuShortcuts());
        services.hotkeyMethod = QStringLiteral("desktop portal (GlobalShortcuts)");
    }
    return services;
}

}  // namespace quillet
