#!/usr/bin/env bash
# All tests: installs what is missing, configures and builds the dev preset when needed, starts
# a throw-away PostgreSQL server for the store tests (unless ZOZEZO_TEST_POSTGRES names one; where
# none can start, those tests say they are skipped), then runs every test with ctest and stops
# the server. Arguments go to ctest (e.g. `-R Form` to run some of them).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/bootstrap.sh"
. "$ZZ_ROOT/scripts/postgres.sh"

zz_setup
zz_build dev
zz_postgres_start || true
zz_test dev "$@"
