#include "app/PlatformServices.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

#include "platform/Logging.h"
#include "platform/null/NullPlatform.h"
#include "platform/qt/QtClipboardReader.h"
#include "platform/qt/QtPasteboard.h"
#include "platform/wayland/WaylandKeyboardEvents.h"
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
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        services.pasteboard = std::make_unique<QtPasteboard>(
            clipboard, std::make_unique<QtClipboardReader>(clipboard));
        // No protocol names the focused window's application, so every paste is Ctrl+V and
        // nothing is re-activated: the compositor gives the focus back when our menu closes.
        services.workspace = std::make_unique<NullWorkspace>();
        services.keyboard = std::make_unique<WaylandKeyboardEvents>();
        services.hotkeys = std::make_unique<NullSystemHotkeys>();
        services.backend =
            QStringLiteral("Wayland (%1)").arg(qEnvironmentVariable("WAYLAND_DISPLAY"));
        services.clipboardMethod = QStringLiteral("Qt clipboard");
        services.pasteMethod =
            services.keyboard->isTrusted()
                ? QStringLiteral("virtual keyboard (zwp_virtual_keyboard_v1)")
                : QStringLiteral(
                      "none (the compositor offers no virtual keyboard): texts stay on "
                      "the clipboard, with a notice");
        services.hotkeyMethod = QStringLiteral("none");
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
    return services;
}

}  // namespace quillet
