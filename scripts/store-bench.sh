#!/usr/bin/env bash
# The shared-store benchmark: installs what is missing, builds zoZezoStoreBench in the bench
# preset, starts a throw-away PostgreSQL server (unless ZOZEZO_TEST_POSTGRES names one) and runs
# 8 writers on 4 documents for ZOZEZO_STORE_SECONDS seconds (5 by default): saves, conflicts,
# lost updates (0, or the run fails) and saves per second. Arguments go to the benchmark.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/bootstrap.sh"
. "$ZZ_ROOT/scripts/postgres.sh"

zz_setup
zz_build bench --target zoZezoStoreBench
zz_postgres_start
"$ZZ_ROOT/build/bench/bench/zoZezoStoreBench" "$@"
