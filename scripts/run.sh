#!/usr/bin/env bash
# The main job: installs what is missing, configures and builds the dev preset when needed,
# then computes the circuit example with the zezo calculator. Arguments go to `zezo eval`
# (e.g. --digits 6).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/bootstrap.sh"

zz_setup
zz_build dev --target zezo
exec "$ZZ_ROOT/build/dev/tools/zezo" eval "$ZZ_ROOT/examples/circuit.zez" "$@"
