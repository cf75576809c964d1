#!/usr/bin/env bash
# The main job: installs what is missing, configures and builds the dev preset when needed,
# then starts the workbench when there is a display ($DISPLAY or $WAYLAND_DISPLAY); arguments
# go to zezo-workbench (e.g. --database FILE). Without a display it says so and computes the
# circuit example with the zezo calculator instead; arguments then go to `zezo eval`
# (e.g. --digits 6).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/bootstrap.sh"

zz_setup
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    zz_build dev --target zezo-workbench
    exec "$ZZ_ROOT/build/dev/apps/workbench/zezo-workbench" "$@"
fi
zz_log "no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so no workbench window:"
zz_log "computing examples/circuit.zez with zezo; scripts/screenshot.sh shows the workbench offscreen"
zz_build dev --target zezo
exec "$ZZ_ROOT/build/dev/tools/zezo" eval "$ZZ_ROOT/examples/circuit.zez" "$@"
