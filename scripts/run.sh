#!/usr/bin/env bash
# The main job: installs what is missing, configures and builds the dev preset when needed,
# then runs the host example of the README (examples/host.cpp). Arguments go to the program.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/bootstrap.sh"

zz_setup
zz_build dev --target host-example
exec "$ZZ_ROOT/build/dev/examples/host-example" "$@"
