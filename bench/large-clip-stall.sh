#!/usr/bin/env bash
# The longest the program stops answering while a large random clip is copied and recorded:
# `quillet --status` is asked again and again (each a process start and a socket round trip)
# from before the copy until the clip is in the store; the slowest answer is reported next to
# the median, measured from outside on a private X server.
#   bench/large-clip-stall.sh <build dir> [size in MB ...]
set -euo pipefail
build=${1:?usage: large-clip-stall.sh <build dir> [MB ...]}
shift
sizes=("${@:-8 50}")
quillet=$build/src/app/quillet
export QUILLET_UPDATE_FEED_URL=http://127.0.0.1:9/
source "$(dirname "$0")/../scripts/private-session.sh" 150
"$quillet" >/dev/null 2>&1 &
for _ in $(seq 50); do "$quillet" --status >/dev/null 2>&1 && break; sleep 0.2; done
store=$XDG_DATA_HOME/quillet/history.sqlite
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

for mb in ${sizes[@]}; do
  before=$(sqlite3 "$store" "SELECT count(*) FROM ClipItem")
  head -c $((mb * 1024 * 1024 * 3 / 4)) /dev/urandom | base64 -w0 > "$home/clip"
  start=$(now_ms)
  xclip -selection clipboard -i "$home/clip" &
  answers=()
  while [[ $(sqlite3 "$store" "SELECT count(*) FROM ClipItem") -eq $before ]]; do
    t=$(now_ms)
    "$quillet" --status >/dev/null 2>&1 || echo "  no answer within 3 s"
    answers+=($(( $(now_ms) - t )))
    (( $(now_ms) - start > 600000 )) && { echo "not recorded within 10 minutes"; break; }
  done
  sorted=($(printf '%s\n' "${answers[@]}" | sort -n))
  n=${#sorted[@]}
  echo "$mb MB random clip: recorded after $(( $(now_ms) - start )) ms; --status answered" \
       "$n times, median ${sorted[$((n / 2))]} ms, slowest ${sorted[$((n - 1))]} ms"
done
"$quillet" --quit
