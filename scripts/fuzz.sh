#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset, clang++) and runs each in turn for a bounded
# time.  Usage: scripts/fuzz.sh [seconds per target, default 60]
#
# Each target starts from its seeds (fuzz/corpus/<target>) and kept inputs
# (fuzz/regressions/<target>), and adds what it learns to build/fuzz/corpus/<target>.
# A crash, a broken invariant, a unit slower than 30 s or a run out of memory fails the script;
# the input that did it is printed in hex and left in build/fuzz/artifacts/<target>/. Once the
# fault is fixed, keep that input in fuzz/regressions/<target>/, which the unit tests replay.
set -euo pipefail

seconds="${1:-60}"
cd "$(dirname "${BASH_SOURCE[0]}")/.."
. scripts/bootstrap.sh
build="$ZZ_ROOT/build/fuzz"

# clang and the libFuzzer runtime, beside the project's own packages, when missing.
zz_ensure_packages clang libclang-rt-14-dev
zz_build fuzz

hex() {
    if command -v xxd >/dev/null; then xxd "$1"; else od -A x -t x1z -v "$1"; fi
}

failed=0
for target in compile compute native tables; do
    corpus="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    log="$build/fuzz_$target.log"
    mkdir -p "$corpus" "$artifacts"
    rm -f "$artifacts"/*
    inputs=("$corpus" "fuzz/corpus/$target")
    if [ -d "fuzz/regressions/$target" ]; then inputs+=("fuzz/regressions/$target"); fi

    if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=30 -max_len=4096 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "${inputs[@]}" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz_$target: clean, $runs runs in ${seconds}s"
    else
        failed=1
        echo "fuzz_$target: FAILED"
        tail -n 40 "$log"
        for input in "$artifacts"/*; do
            [ -e "$input" ] || continue
            echo "--- input that fails fuzz_$target ($(wc -c <"$input") bytes, $input):"
            hex "$input" | head -n 200
        done
    fi
done
exit "$failed"
