# Sourced by the scripts that drive Quillet on a private headless sway: a private home (HOME and
# the XDG folders) for Quillet, a separate runtime folder for clients ($client_run), sway on
# it, and a trap that ends sway and Quillet (every pid in `pids`) and removes the folders. Leaves
# WAYLAND_DISPLAY and the XDG variables exported, `pids` and `dir` set.
#   source "$(dirname "$0")/../scripts/private-sway.sh"
dir=$(mktemp -d)
home=$dir/home
client_run=$dir/client-run
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; sleep 0.3; rm -rf "$dir"; }
trap cleanup EXIT

mkdir -p "$dir/run" "$home"/{config,data,cache,run} "$client_run"
chmod 700 "$dir/run" "$home/run" "$client_run"
printf 'output HEADLESS-1 resolution 1280x800\n' > "$dir/config"
as_sway=()
if [[ $(id -u) -eq 0 ]]; then
  chmod 755 "$dir"; chown nobody "$dir/run"
  as_sway=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
"${as_sway[@]}" env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$dir/run" WLR_BACKENDS=headless \
  WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman HOME="$dir" sway -c "$dir/config" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [[ -S $dir/run/wayland-1 ]] && break; sleep 0.05; done
export WAYLAND_DISPLAY=$dir/run/wayland-1 QT_QPA_PLATFORM=wayland DISPLAY= HOME=$home \
  XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache \
  XDG_RUNTIME_DIR=$home/run QUILLET_UPDATE_FEED_URL=http://127.0.0.1:9/feed.xml
