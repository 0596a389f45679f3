#!/usr/bin/env bash
# Copy on one machine -> in the other's history, with sync through Syncthing on loopback: two
# Quillets on two private X servers, two Syncthing daemons, ten copies (the e2e rig of
# tests/e2e/SyncE2ETest.cpp, its measuring case). Prints the median, min and max.
#   bench/sync-latency.sh <build dir>
set -euo pipefail
build=${1:?usage: sync-latency.sh <build dir>}
program=$build/tests/sync_e2e
if [[ ! -x $program ]]; then
  echo "No $program: build the sync_e2e target first." >&2
  exit 1
fi
"$program" --gtest_also_run_disabled_tests --gtest_filter='SyncE2E.DISABLED_CopyToOtherHistoryLatency' 2>/dev/null |
  grep -E "median|SKIPPED|FAILED|Failure" || true
