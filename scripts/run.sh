#!/usr/bin/env bash
# Starts Quillet. In a desktop session it simply runs there. Without a display (a server, a
# container) it starts a private X server with a window manager and a tray, runs Quillet in it
# and says how to look at it.
set -euo pipefail
binary=${1:?usage: run.sh <path to quillet>}

# KWin lets a program paste (fake input) and see the focused window only when a desktop entry
# for its executable asks for that; an uninstalled build gets an entry of its own.
kde_entry() {
  local applications=${XDG_DATA_HOME:-$HOME/.local/share}/applications
  local program sycoca
  program=$(readlink -f "$binary")
  mkdir -p "$applications"
  cat >"$applications/quillet-build.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=Quillet (build)
Exec=$program
NoDisplay=true
X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input,org_kde_plasma_window_management
EOF
  for sycoca in kbuildsycoca6 kbuildsycoca5; do
    if command -v "$sycoca" >/dev/null; then "$sycoca" >/dev/null 2>&1 || true; break; fi
  done
}

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  if [[ ":${XDG_CURRENT_DESKTOP:-}:" == *:KDE:* ]]; then kde_entry; fi
  exec "$binary"
fi

display=99
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
export DISPLAY=:$display
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $(jobs -p) 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
echo "No desktop session: Quillet runs on the private display $DISPLAY (Xvfb, openbox, trayer)."
echo "  copy:       echo hello | DISPLAY=$DISPLAY xclip -selection clipboard"
echo "  menus:      DISPLAY=$DISPLAY $binary --history-menu   (or --phrase-menu, --search)"
echo "  screenshot: DISPLAY=$DISPLAY import -window root shot.png"
echo "Stop with Ctrl+C."
"$binary"
kill "$xvfb" 2>/dev/null || true
