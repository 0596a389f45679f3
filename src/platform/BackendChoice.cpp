#include "platform/BackendChoice.h"

namespace quillet {

namespace {

bool isKde(const SessionFacts& facts) {
    return facts.currentDesktop.split(u':').contains(QLatin1String("KDE"), Qt::CaseInsensitive);
}

}  // namespace

BackendChoice chooseBackends(const SessionFacts& facts) {
    BackendChoice choice;
    choice.kdeGlobalShortcuts = isKde(facts) && facts.kglobalaccelOnBus;
    if (facts.qtPlatform == QLatin1String("xcb") && facts.qtHasX11Connection) {
        choice.clipboard = ClipboardBackend::x11;
        choice.x11Services = true;
        return choice;
    }
    if (facts.waylandDisplay.isEmpty() && !facts.qtPlatform.startsWith(QLatin1String("wayland")))
        return choice;
    choice.virtualKeyboard =
        facts.waylandGlobals.contains(QLatin1String("zwp_virtual_keyboard_manager_v1"));
    choice.foreignToplevels =
        facts.waylandGlobals.contains(QLatin1String("zwlr_foreign_toplevel_manager_v1"));
    choice.kdeFakeInput = !choice.virtualKeyboard &&
                          facts.waylandGlobals.contains(QLatin1String("org_kde_kwin_fake_input"));
    choice.plasmaWindows =
        !choice.foreignToplevels &&
        facts.waylandGlobals.contains(QLatin1String("org_kde_plasma_window_management"));
    if (facts.waylandGlobals.contains(QLatin1String("ext_data_control_manager_v1"))) {
        choice.clipboard = ClipboardBackend::wayland;
        choice.clipboardProtocol = QStringLiteral("ext-data-control-v1");
    } else if (facts.waylandGlobals.contains(QLatin1String("zwlr_data_control_manager_v1"))) {
        choice.clipboard = ClipboardBackend::wayland;
        choice.clipboardProtocol = QStringLiteral("wlr-data-control-unstable-v1");
    } else {
        choice.missingDataControl = true;
        if (facts.x11DisplayUsable) choice.clipboard = ClipboardBackend::x11;
    }
    return choice;
}

}  // namespace quillet
