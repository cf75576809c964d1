#!/usr/bin/env bash
# Shared set-up for scripts/run.sh, scripts/test.sh and .ci/run: the Debian packages the
# project needs, the locale its tests use, and configure/build helpers that do nothing when
# nothing changed.
#
# Source it from bash (`. scripts/bootstrap.sh`), or run it directly to install the packages
# and the locale only. Every helper is idempotent; on a machine that has everything the whole
# set-up costs one dpkg-query and one `locale -a`.

# The Debian 12 packages every build needs, one a line. To add one, add a line; a tool that
# needs more only for itself (clang for the fuzzers, say) passes them to zz_ensure_packages.
ZZ_PACKAGES=(
    cmake               # build system (3.25, the presets' minimum)
    ninja-build         # the presets' generator
    g++                 # C++20 compiler
    libgtest-dev        # GoogleTest: the unit tests
    libbenchmark-dev    # Google Benchmark: bench/
    libmuparser-dev     # muparser: bench/ only, the figures it is compared with
    libmuparserx-dev    # muparserx: bench/ only, the complex figures it is compared with
    libfmt-dev          # {fmt}: formatting in tools/
    nlohmann-json3-dev  # nlohmann/json: the form-file library package/form
    libcli11-dev        # CLI11: command-line parsing in tools/
    locales             # de_DE.UTF-8 for the tests that run under a non-C locale
    qt6-base-dev        # Qt 6 Widgets, Gui, Sql and Test: controls/, package/, apps/
    libqt6sql6-sqlite   # Qt SQL's SQLite driver, the data-aware memo's embedded default
    libqt6sql6-psql     # Qt SQL's PostgreSQL driver: document stores on a server
    postgresql          # the server the store tests and the store benchmark start for themselves
    qt6-tools-dev       # Qt Designer's plugin interface and QUiLoader: package/
    designer-qt6        # Qt Designer itself, for trying the plugin by hand
    qt6-svg-dev         # Qt SVG: the workbench saves its plot as SVG
    fonts-liberation2   # Liberation Mono, the metrics behind "Courier New" in the editor tests
)

# The non-C locale that the tests use (a comma as decimal separator).
ZZ_TEST_LOCALE=de_DE.UTF-8

ZZ_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

zz_log() { printf '== %s\n' "$*" >&2; }

# Runs a command as root: directly when we are root, through sudo otherwise.
zz_as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        zz_log "need root to run: $*"
        return 1
    fi
}

# Prints those of the named packages that are not installed.
zz_missing_packages() {
    local Package Status
    for Package in "$@"; do
        Status="$(dpkg-query -W -f='${db:Status-Abbrev}' "$Package" 2>/dev/null || true)"
        case "$Status" in
            ii*) ;;
            *) printf '%s\n' "$Package" ;;
        esac
    done
}

ZZ_APT_UPDATED=0

# Installs the packages of ZZ_PACKAGES and any named here that are missing. apt-get update
# runs once per process, and only when something has to be installed.
zz_ensure_packages() {
    local Missing
    mapfile -t Missing < <(zz_missing_packages "${ZZ_PACKAGES[@]}" "$@")
    [ "${#Missing[@]}" -eq 0 ] && return 0
    zz_log "installing ${Missing[*]}"
    if [ "$ZZ_APT_UPDATED" -eq 0 ]; then
        zz_as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
        ZZ_APT_UPDATED=1
    fi
    zz_as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${Missing[@]}"
}

# Generates a locale (e.g. de_DE.UTF-8) unless the system already has it.
zz_ensure_locale() {
    local Locale="${1:-$ZZ_TEST_LOCALE}"
    local Wanted
    # `locale -a` spells de_DE.UTF-8 as de_DE.utf8.
    Wanted="$(printf '%s' "$Locale" | sed -e 's/\.UTF-8$/.utf8/I')"
    if locale -a 2>/dev/null | grep -qix -e "$Locale" -e "$Wanted"; then
        return 0
    fi
    zz_log "generating locale $Locale"
    zz_as_root localedef -i "${Locale%%.*}" -f UTF-8 "$Locale"
}

# Packages and locale: everything the machine needs before a build.
zz_setup() {
    zz_ensure_packages "$@"
    zz_ensure_locale "$ZZ_TEST_LOCALE"
}

# Configures a preset unless its build folder holds a generated build already (that one
# re-runs CMake by itself when a CMakeLists.txt changes; a configure that failed left none).
zz_configure() {
    local Preset="$1"
    shift
    if [ ! -f "$ZZ_ROOT/build/$Preset/build.ninja" ]; then
        (cd "$ZZ_ROOT" && cmake --preset "$Preset" "$@")
    fi
}

# Configures when needed, then builds a preset (extra arguments go to cmake --build).
zz_build() {
    local Preset="$1"
    shift
    zz_configure "$Preset"
    (cd "$ZZ_ROOT" && cmake --build --preset "$Preset" --parallel "$(nproc)" "$@")
}

# Runs a preset's tests; extra arguments go to ctest.
zz_test() {
    local Preset="$1"
    shift
    (cd "$ZZ_ROOT" && ctest --preset "$Preset" -j "$(nproc)" "$@")
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    zz_setup "$@"
fi
