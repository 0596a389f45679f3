#!/usr/bin/env bash
# How often an idle Quillet wakes up, measured from outside: Quillet starts on a private X server
# with openbox (x11) or a private headless sway (sway), is left alone for 5 s, then the context
# switches of all its threads (voluntary and not, from /proc/PID/task/*/status) are summed over
# windows of 10 s. Prints each window, split by thread, and the median.
#   bench/idle-wakeups.sh <build dir> x11|sway [windows]
set -euo pipefail
build=${1:?usage: idle-wakeups.sh <build dir> x11|sway [windows]}
session=${2:?usage: idle-wakeups.sh <build dir> x11|sway [windows]}
windows=${3:-5}
quillet=$(realpath "$build/src/app/quillet")
case $session in
  x11)
    source "$(dirname "$0")/../scripts/private-session.sh" 160
    openbox --sm-disable >/dev/null 2>&1 &
    sleep 0.5
    "$quillet" >/dev/null 2>&1 &
    qpid=$!
    ;;
  sway)
    source "$(dirname "$0")/../scripts/private-sway.sh"
    "$quillet" >/dev/null 2>&1 &
    qpid=$!
    pids+=($qpid)
    ;;
  *) echo "unknown session $session (x11 or sway)" >&2; exit 2 ;;
esac
for _ in $(seq 50); do "$quillet" --status >/dev/null 2>&1 && break; sleep 0.2; done
sleep 5

# "name switches" for each thread, one line per thread.
switches() {
  for t in /proc/$qpid/task/*; do
    awk -v name="$(cat "$t/comm" 2>/dev/null)" \
      '/^(non)?voluntary_ctxt_switches/ {n += $2} END {print name, n + 0}' "$t/status" 2>/dev/null
  done | awk '{n[$1] += $2} END {for (k in n) print k, n[k]}' | sort
}
totals=()
for w in $(seq "$windows"); do
  before=$(switches)
  sleep 10
  after=$(switches)
  line=$(join -a2 -e0 -o 0,1.2,2.2 <(echo "$before") <(echo "$after") |
         awk '{d = $3 - $2; if (d) printf "%s=%d ", $1, d; s += d} END {printf "| total=%d", s}')
  echo "window $w: $line"
  totals+=($(sed 's/.*total=//' <<<"$line"))
done
sorted=($(printf '%s\n' "${totals[@]}" | sort -n))
echo "$session idle wake-ups per 10 s over $windows windows: median ${sorted[$((windows / 2))]}," \
     "min ${sorted[0]}, max ${sorted[$((windows - 1))]}"
"$quillet" --quit >/dev/null 2>&1 || true
