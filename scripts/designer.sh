#!/usr/bin/env bash
# Qt Designer with the package's components: builds the zeRuzeD5 module (dev preset) and
# starts the system's Designer with QT_PLUGIN_PATH pointing at it, so that its widget box
# shows the page "Orvane Math". Arguments go to Designer (a .ui file to open, say).
#
#   scripts/designer.sh [FILE.ui]
#   scripts/designer.sh --screenshot OUT.png [FILE.ui]
#       no display needed: Designer under xvfb-run, a picture of the screen after a few seconds
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/bootstrap.sh"

Designer=/usr/lib/qt6/bin/designer
export QT_PLUGIN_PATH="$ZZ_ROOT/build/dev/plugins${QT_PLUGIN_PATH:+:$QT_PLUGIN_PATH}"

if [ "${1:-}" != "--screenshot" ]; then
    zz_setup
    zz_build dev --target zeRuzeD5
    exec "$Designer" "$@"
fi

Shot="$(realpath -m "${2:?usage: designer.sh --screenshot OUT.png [FILE.ui]}")"
shift 2
zz_setup xvfb imagemagick
zz_build dev --target zeRuzeD5
# A settings folder of its own: no start-up dialog, the standard widget box pages closed so
# that the package's page is in view, and the user's own Designer settings untouched.
Settings="$(mktemp -d /tmp/zozezo-designer.XXXXXX)"
trap 'rm -rf "$Settings"' EXIT
mkdir -p "$Settings/QtProject"
cat >"$Settings/QtProject/Designer.conf" <<'CONF'
[newFormDialog]
ShowOnStartup=false

[WidgetBox]
Closed%20categories=Layouts, Spacers, Buttons, Item Views (Model-Based), Item Widgets (Item-Based), Containers, Input Widgets, Display Widgets
CONF
export XDG_CONFIG_HOME="$Settings" Shot Designer
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    "$Designer" "$@" &
    Pid=$!
    sleep "${ZZ_DESIGNER_WAIT:-8}"
    import -window root "$Shot"
    kill "$Pid"' designer "$@"
zz_log "screenshot: $Shot"
