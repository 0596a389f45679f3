#!/usr/bin/env bash
# Runs the benchmarks of a build and prints the medians of five repetitions.
#   ./scripts/bench.sh <build dir> [benchmark flags, e.g. --store_sizes=10000,100000]
# The generated stores are kept in <build dir>/bench-data and reused; the full results go to
# <build dir>/bench-results.json (the store), <build dir>/bench-ui-results.json (menus and
# panel, on the offscreen platform) and <build dir>/bench-phrase-results.json (the phrase
# library; it makes its own stores and takes no store sizes), <build dir>/bench-feed-results.json
# (hostile update feeds); the outside benchmark writes
# <build dir>/bench-results/outside.json.
set -euo pipefail

build=${1:-build}
shift || true
bench="$build/bench/history_bench"
if [[ ! -x $bench ]]; then
  echo "No $bench: the benchmarks need libbenchmark-dev when the build is configured." >&2
  exit 1
fi

# One benchmark program with the common flags; only the medians are printed.
run() {
  local program=$1 out=$2
  shift 2
  "$program" \
    --bench_data="$build/bench-data" \
    --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$build/$out" \
    --benchmark_out_format=json \
    "$@" | grep -Ev '_(mean|stddev|cv) '
}

run "$bench" bench-results.json "$@"
ui="$build/bench/ui_bench"
if [[ -x $ui ]]; then
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} run "$ui" bench-ui-results.json "$@"
fi
phrases="$build/bench/phrase_bench"
if [[ -x $phrases ]]; then
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$phrases" \
    --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$build/bench-phrase-results.json" \
    --benchmark_out_format=json | grep -Ev '_(mean|stddev|cv) '
fi
# The longest event-loop stall a hostile update feed can cause (it makes its own feeds).
feeds="$build/bench/feed_bench"
if [[ -x $feeds ]]; then
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$feeds" \
    --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$build/bench-feed-results.json" \
    --benchmark_out_format=json | grep -Ev '_(mean|stddev|cv) '
fi
# Sync: joining with 10,000 clips offered, a copy's cost on the GUI thread and the worker.
sync="$build/bench/sync_bench"
if [[ -x $sync ]]; then
  "$sync" \
    --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$build/bench-sync-results.json" \
    --benchmark_out_format=json | grep -Ev '_(mean|stddev|cv) '
fi
# The user's view from outside: the real binary on a private X server (stores as above).
outside="$build/bench/outside_bench"
if [[ -x $outside ]]; then
  sizes=()
  for arg in "$@"; do
    [[ $arg == --store_sizes=* ]] && sizes=(--sizes="${arg#--store_sizes=}")
  done
  # Phrases are pasted into the tests' text window when it is built.
  target=()
  [[ -x $build/tests/quillet-target ]] && target=(--target="$build/tests/quillet-target")
  "$outside" --quillet="$build/src/app/quillet" --data="$build/bench-data" \
    --out="$build/bench-results/outside.json" "${sizes[@]}" "${target[@]}"
fi
