#include <gtest/gtest.h>

#include "platform/BackendChoice.h"

namespace quillet {
namespace {

const QString kExt = QStringLiteral("ext_data_control_manager_v1");
const QString kWlr = QStringLiteral("zwlr_data_control_manager_v1");
const QString kKeyboard = QStringLiteral("zwp_virtual_keyboard_manager_v1");

SessionFacts facts(QString qtPlatform, bool qtHasX11Connection, bool xwayland,
                   QStringList globals) {
    SessionFacts result;
    result.waylandDisplay = QStringLiteral("wayland-0");
    result.qtPlatform = std::move(qtPlatform);
    result.qtHasX11Connection = qtHasX11Connection;
    result.x11DisplayUsable = xwayland;
    result.waylandGlobals = std::move(globals);
    return result;
}

SessionFacts wayland(QStringList globals, bool xwayland = false) {
    return facts(QStringLiteral("wayland"), false, xwayland, std::move(globals));
}

TEST(BackendChoice, QtOnX11UsesX11ThroughoutEvenInsideAWaylandSession) {
    const BackendChoice choice =
        chooseBackends(facts(QStringLiteral("xcb"), true, true, {kWlr}));
    EXPECT_EQ(choice.clipboard, ClipboardBackend::x11);
    EXPECT_TRUE(choice.x11Services);
    EXPECT_FALSE(choice.missingDataControl);
}

TEST(BackendChoice, WaylandPrefersExtDataControlAndFallsBackToWlr) {
    const BackendChoice both = chooseBackends(wayland({kWlr, kKeyboard, kExt}));
    EXPECT_EQ(both.clipboard, ClipboardBackend::wayland);
    EXPECT_EQ(both.clipboardProtocol, QStringLiteral("ext-data-control-v1"));
    EXPECT_TRUE(both.virtualKeyboard);
    EXPECT_FALSE(both.x11Services);

    const BackendChoice wlr = chooseBackends(wayland({kWlr}, true));
    EXPECT_EQ(wlr.clipboard, ClipboardBackend::wayland);
    EXPECT_EQ(wlr.clipboardProtocol, QStringLiteral("wlr-data-control-unstable-v1"));
    EXPECT_FALSE(wlr.virtualKeyboard);
    EXPECT_FALSE(wlr.missingDataControl);
}

// GNOME offers no data-control: XWayland's clipboard is the way in, and the user is told.
TEST(BackendChoice, WaylandWithoutDataControlUsesXWaylandOrQtAndSaysWhatIsMissing) {
    const BackendChoice xwayland = chooseBackends(wayland({kKeyboard}, true));
    EXPECT_EQ(xwayland.clipboard, ClipboardBackend::x11);
    EXPECT_FALSE(xwayland.x11Services);
    EXPECT_TRUE(xwayland.missingDataControl);

    const BackendChoice bare = chooseBackends(wayland({}, false));
    EXPECT_EQ(bare.clipboard, ClipboardBackend::qt);
    EXPECT_TRUE(bare.missingDataControl);
}

TEST(BackendChoice, NoDisplayAtAllUsesQtQuietly) {
    SessionFacts offscreen = facts(QStringLiteral("offscreen"), false, false, {});
    offscreen.waylandDisplay.clear();
    const BackendChoice choice = chooseBackends(offscreen);
    EXPECT_EQ(choice.clipboard, ClipboardBackend::qt);
    EXPECT_FALSE(choice.x11Services);
    EXPECT_FALSE(choice.missingDataControl);
}

// KWin 5.27 offers no virtual keyboard nor wlroots' window list; its own protocols stand in,
// and only where KWin granted them (they are missing from its list otherwise).
TEST(BackendChoice, KWinPastesThroughFakeInputAndFollowsWindowsThroughItsOwnList) {
    const QString fakeInput = QStringLiteral("org_kde_kwin_fake_input");
    const QString plasmaWindows = QStringLiteral("org_kde_plasma_window_management");
    const BackendChoice kwin = chooseBackends(wayland({kWlr, fakeInput, plasmaWindows}));
    EXPECT_TRUE(kwin.kdeFakeInput);
    EXPECT_TRUE(kwin.plasmaWindows);
    EXPECT_FALSE(kwin.virtualKeyboard);

    const BackendChoice both = chooseBackends(wayland(
        {kWlr, fakeInput, plasmaWindows, kKeyboard,
         QStringLiteral("zwlr_foreign_toplevel_manager_v1")}));
    EXPECT_TRUE(both.virtualKeyboard) << "the standard protocol wins where both are offered";
    EXPECT_FALSE(both.kdeFakeInput);
    EXPECT_TRUE(both.foreignToplevels);
    EXPECT_FALSE(both.plasmaWindows);

    EXPECT_FALSE(chooseBackends(wayland({kWlr})).kdeFakeInput);
}

TEST(BackendChoice, KdeShortcutServiceTakesTheHotKeysOnPlasmaOnly) {
    SessionFacts plasmaWayland = wayland({kWlr});
    plasmaWayland.currentDesktop = QStringLiteral("KDE");
    plasmaWayland.kglobalaccelOnBus = true;
    EXPECT_TRUE(chooseBackends(plasmaWayland).kdeGlobalShortcuts);

    SessionFacts plasmaX11 = facts(QStringLiteral("xcb"), true, true, {});
    plasmaX11.waylandDisplay.clear();
    plasmaX11.currentDesktop = QStringLiteral("KDE");
    plasmaX11.kglobalaccelOnBus = true;
    const BackendChoice x11 = chooseBackends(plasmaX11);
    EXPECT_TRUE(x11.x11Services);
    EXPECT_TRUE(x11.kdeGlobalShortcuts);

    SessionFacts notRunning = plasmaWayland;
    notRunning.kglobalaccelOnBus = false;
    EXPECT_FALSE(chooseBackends(notRunning).kdeGlobalShortcuts);

    // The service on another desktop's bus (a KDE program left it running) is not the desktop's.
    SessionFacts gnome = plasmaWayland;
    gnome.currentDesktop = QStringLiteral("GNOME");
    EXPECT_FALSE(chooseBackends(gnome).kdeGlobalShortcuts);
}

}  // namespace
}  // namespace quillet
