#!/bin/sh
# Builds the optimised benchmark preset and runs the benchmarks, repeated, ending with the table
# of medians and ratios. Extra arguments go to the benchmark (e.g. --benchmark_filter=eval/).
# REPETITIONS (default 5) sets the repetitions, BUILD_DIR (default build/bench) the build tree.
set -eu
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build/bench}"
cmake --preset bench -B "$build" >/dev/null
cmake --build "$build" -j2 --target zoZezoBench
exec "$build/bench/zoZezoBench" --benchmark_repetitions="${REPETITIONS:-5}" \
    --benchmark_report_aggregates_only=true "$@"
