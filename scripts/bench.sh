#!/usr/bin/env bash
# The benchmarks: installs what is missing, builds the optimised bench preset when needed, then
# runs every benchmark REPETITIONS times (default 9, each for at least 0.1 s) and ends with the
# table of medians and ratios that bench/README.md shows. The repetitions of all benchmarks run
# interleaved in random order, so that a change in the machine's load between benchmarks does not
# tilt the ratios, and many short ones keep the medians steady. Arguments go to the benchmark and
# win over these defaults (e.g. `--benchmark_filter=eval/` to run some of them).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/bootstrap.sh"

zz_setup
zz_build bench --target zoZezoBench
exec "$ZZ_ROOT/build/bench/bench/zoZezoBench" --benchmark_repetitions="${REPETITIONS:-9}" \
    --benchmark_min_time=0.1 --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true "$@"
