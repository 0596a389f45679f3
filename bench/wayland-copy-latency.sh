#!/usr/bin/env bash
# Copy -> recorded on a private headless sway, measured from outside the program: for each
# copy, the time from starting wl-copy until the text is in the store. Then 20 copies 50 ms
# apart, counted, and quillet's CPU time over 30 idle seconds.
#   bench/wayland-copy-latency.sh <build dir> [copies]
set -euo pipefail
build=${1:?usage: wayland-copy-latency.sh <build dir> [copies]}
copies=${2:-30}
quillet=$(realpath "$build/src/app/quillet")
dir=$(mktemp -d)
home=$dir/home
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; sleep 0.3; rm -rf "$dir"; }
trap cleanup EXIT

mkdir -p "$dir/run" "$home"/{config,data,cache,run} "$dir/client-run"
chmod 700 "$dir/run" "$home/run" "$dir/client-run"
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
"$quillet" >/dev/null 2>&1 &
qpid=$!
pids+=($qpid)
for _ in $(seq 50); do "$quillet" --status >/dev/null 2>&1 && break; sleep 0.2; done
store=$XDG_DATA_HOME/quillet/history.sqlite
copy() { XDG_RUNTIME_DIR=$dir/client-run wl-copy "$1"; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
recorded() { [[ $(sqlite3 "$store" "SELECT count(*) FROM ClipItem WHERE content = '$1'") -gt 0 ]]; }

samples=()
for i in $(seq "$copies"); do
  text="latency $i $RANDOM"
  start=$(now_ms)
  copy "$text"
  until recorded "$text"; do sleep 0.002; done
  samples+=($(( $(now_ms) - start )))
  sleep 0.3
done
sorted=($(printf '%s\n' "${samples[@]}" | sort -n))
echo "copy -> recorded over $copies copies: median ${sorted[$((copies / 2))]} ms," \
     "min ${sorted[0]} ms, max ${sorted[$((copies - 1))]} ms"

before=$(sqlite3 "$store" "SELECT count(*) FROM ClipItem")
for i in $(seq 20); do
  start=$(now_ms)
  copy "burst $i $RANDOM"
  left=$(( 50 - ($(now_ms) - start) ))
  (( left > 0 )) && sleep "0.0$(printf '%02d' "$left")"
done
sleep 1.5
echo "20 copies 50 ms apart: $(( $(sqlite3 "$store" "SELECT count(*) FROM ClipItem") - before )) recorded"

ticks() { awk '{print $14 + $15}' "/proc/$qpid/stat"; }
t0=$(ticks)
sleep 30
t1=$(ticks)
echo "idle CPU over 30 s: $(( t1 - t0 )) ticks of $(getconf CLK_TCK)/s" \
     "($(awk -v t=$(( t1 - t0 )) -v hz="$(getconf CLK_TCK)" 'BEGIN{printf "%.2f", 100*t/hz/30}') %)"
"$quillet" --quit
