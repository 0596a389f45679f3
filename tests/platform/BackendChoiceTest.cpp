#include <gtest/gtest.h>

#include "platform/BackendChoice.h"

namespace quillet {
namespace {

const QString kExt = QStringLiteral("ext_data_control_manager_v1");
const QString kWlr = QStringLiteral("zwlr_data_control_manager_v1");
const QString kKeyboard = QStringLiteral("zwp_virtual_keyboard_manager_v1");

SessionFacts wayland(QStringList globals, bool xwayland = false) {
    return {QStringLiteral("wayland-0"), QStringLiteral("wayland"), false, xwayland,
            std::move(globals)};
}

TEST(BackendChoice, QtOnX11UsesX11ThroughoutEvenInsideAWaylandSession) {
    const BackendChoice choice =
        chooseBackends({QStringLiteral("wayland-0"), QStringLiteral("xcb"), true, true, {kWlr}});
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
    const BackendChoice choice =
        chooseBackends({QString(), QStringLiteral("offscreen"), false, false, {}});
    EXPECT_EQ(choice.clipboard, ClipboardBackend::qt);
    EXPECT_FALSE(choice.x11Services);
    EXPECT_FALSE(choice.missingDataControl);
}

}  // namespace
}  // namespace quillet
