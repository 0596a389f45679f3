#!/usr/bin/env bash
# Copy -> recorded, measured from outside the program on a private X server: for each copy,
# the time from xclip taking the clipboard (xclip returns once it owns it) until the text is
# in the store. Then a burst of copies 100 ms apart, counted. With "sync", sync is turned on
# first (into a folder of the private home, no Syncthing), so that each copy is also sealed
# and written as a segment.
#   bench/copy-latency.sh <build dir> [copies] [sync]
set -euo pipefail
build=${1:?usage: copy-latency.sh <build dir> [copies] [sync]}
copies=${2:-30}
sync=${3:-}
quillet=$build/src/app/quillet
source "$(dirname "$0")/../scripts/private-session.sh" 140
"$quillet" >/dev/null 2>&1 &
for _ in $(seq 50); do "$quillet" --status >/dev/null 2>&1 && break; sleep 0.2; done
if [[ $sync == sync ]]; then
  mkdir -p "$home/synced"
  "$quillet" --sync-init "$home/synced" >/dev/null
fi
store=$XDG_DATA_HOME/quillet/history.sqlite
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
recorded() { [[ $(sqlite3 "$store" "SELECT count(*) FROM ClipItem WHERE content = '$1'") -gt 0 ]]; }

samples=()
for i in $(seq "$copies"); do
  text="latency $i $RANDOM"
  printf '%s' "$text" | xclip -selection clipboard
  start=$(now_ms)
  until recorded "$text"; do sleep 0.002; done
  samples+=($(( $(now_ms) - start )))
  sleep 0.3
done
sorted=($(printf '%s\n' "${samples[@]}" | sort -n))
echo "copy -> recorded over $copies copies: median ${sorted[$((copies / 2))]} ms," \
     "min ${sorted[0]} ms, max ${sorted[$((copies - 1))]} ms"

before=$(sqlite3 "$store" "SELECT count(*) FROM ClipItem")
for i in $(seq 20); do
  printf 'burst %d %s' "$i" "$RANDOM" | xclip -selection clipboard
  sleep 0.1
done
sleep 1.5
echo "burst of 20 copies 100 ms apart: $(( $(sqlite3 "$store" "SELECT count(*) FROM ClipItem") - before )) recorded"
[[ $sync == sync ]] && echo "segments written: $(find "$home/synced" -type f | wc -l)"
"$quillet" --quit
