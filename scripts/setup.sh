#!/usr/bin/env bash
# Installs the Debian packages Quillet needs to build, run and be tested.
# Only missing packages are installed; works as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake pkg-config dpkg-dev
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libsqlite3-dev sqlite3
  librsvg2-bin
  libxcb1-dev libxcb-xtest0-dev libxcb-keysyms1-dev libxcb-xfixes0-dev libxcb-damage0-dev x11proto-dev
  libwayland-dev libwayland-bin libxkbcommon-dev qt6-wayland
  libgtest-dev libgmock-dev libbenchmark-dev clang-14 libclang-rt-14-dev
  xvfb openbox xclip xsel xdotool trayer imagemagick x11-utils xterm
  sway wl-clipboard wtype foot qt6-wayland qt6-wayland-dev libwayland-dev wayland-protocols libxkbcommon-dev
  fonts-dejavu-core fonts-ipafont-gothic adwaita-icon-theme hicolor-icon-theme
  desktop-file-utils appstream man-db
  dbus-daemon
  kwin-wayland libkf5service-bin mutter gnome-settings-daemon-common libglib2.0-dev
  qt6-translations-l10n plasma-wayland-protocols
  libsodium-dev qtkeychain-qt6-dev libyaml-cpp-dev syncthing
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  run=()
elif command -v sudo >/dev/null 2>&1; then
  run=(sudo)
else
  echo "Missing packages (${missing[*]}) and neither root nor sudo available." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${run[@]}" apt-get update -q || true
"${run[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
