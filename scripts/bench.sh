#!/usr/bin/env bash
# Runs the benchmarks of a build and prints the medians of five repetitions.
#   ./scripts/bench.sh <build dir> [benchmark flags, e.g. --store_sizes=10000,100000]
# The generated stores are kept in <build dir>/bench-data and reused; the full results go to
# <build dir>/bench-results.json.
set -euo pipefail

build=${1:-build}
shift || true
bench="$build/bench/history_bench"
if [[ ! -x $bench ]]; then
  echo "No $bench: the benchmarks need libbenchmark-dev when the build is configured." >&2
  exit 1
fi

"$bench" \
  --bench_data="$build/bench-data" \
  --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true \
  --benchmark_out="$build/bench-results.json" \
  --benchmark_out_format=json \
  "$@" | grep -Ev '_(mean|stddev|cv) '
