#pragma once

#include <QIcon>

namespace quillet::AppIcon {

// The name of Quillet's icon in the icon theme (an installed Quillet puts it in hicolor).
inline constexpr char themeName[] = "quillet";

// Whether the user's icon theme (or hicolor under it) has Quillet's icon.
bool inTheme();

// The icon of the tray and of every window: the theme's, else the one built into the program.
QIcon icon();

// The same icon faded, with a pause sign: recording is paused.
QIcon pausedIcon();

}  // namespace quillet::AppIcon
