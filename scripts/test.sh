#!/usr/bin/env bash
# All tests: installs what is missing, configures and builds the dev preset when needed, then
# runs every test with ctest. Arguments go to ctest (e.g. `-R Form` to run some of them).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/bootstrap.sh"

zz_setup
zz_build dev
zz_test dev "$@"
