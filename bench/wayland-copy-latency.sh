#!/usr/bin/env bash
# Copy -> recorded on a private headless sway, measured from outside the program: for each
# copy, the time from starting wl-copy until the text is in the store. Then 20 copies 50 ms
# apart, counted, and quillet's CPU time over 30 idle seconds.
#   bench/wayland-copy-latency.sh <build dir> [copies]
set -euo pipefail
build=${1:?usage: wayland-copy-latency.sh <build dir> [copies]}
copies=${2:-30}
quillet=$(realpath "$build/src/app/quillet")
source "$(dirname "$0")/../scripts/private-sway.sh"
"$quillet" >/dev/null 2>&1 &
qpid=$!
pids+=($qpid)
for _ in $(seq 50); do "$quillet" --status >/dev/null 2>&1 && break; sleep 0.2; done
store=$XDG_DATA_HOME/quillet/history.sqlite
copy() { XDG_RUNTIME_DIR=$client_run wl-copy "$1"; }
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
