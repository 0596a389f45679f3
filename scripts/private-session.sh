# Sourced by the scripts that drive Quillet on a private X server: a private home (HOME and
# the XDG folders), Xvfb on the first free display from $1 on, and a trap that ends every job
# the script started and removes the home when it exits. Leaves $home and $DISPLAY set.
#   source "$(dirname "$0")/../scripts/private-session.sh" <first display number>
home=$(mktemp -d)
mkdir -p "$home"/{config,data,run} && chmod 700 "$home/run"
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/run
display=${1:-120}
while [[ -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
export DISPLAY=:$display QT_QPA_PLATFORM=xcb
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$home"' EXIT
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
