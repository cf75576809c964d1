#!/usr/bin/env bash
# A picture of the workbench without a display: builds zezo-workbench (dev preset) and has it
# show the circuit example, its results and a plot of the current over the frequency, offscreen,
# on a new database of its own and with settings of its own, then save the window as a PNG.
# The argument is the picture's path (default docs/workbench.png).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/bootstrap.sh"

zz_setup
zz_build dev --target zezo-workbench
Picture="$(realpath -m "${1:-$ZZ_ROOT/docs/workbench.png}")"
mkdir -p "$(dirname "$Picture")"
Settings="$(mktemp -d /tmp/zezo-workbench.XXXXXX)"
trap 'rm -rf "$Settings"' EXIT
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$Settings" \
    "$ZZ_ROOT/build/dev/apps/workbench/zezo-workbench" --screenshot "$Picture"
zz_log "wrote $Picture"
