#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests and the store benchmark: its own data folder in a
# temporary folder, run as the `postgres` user, listening on a Unix socket in that folder only
# (no TCP port), stopped and removed by zz_postgres_stop.
#
# The packages (postgresql, libqt6sql6-psql) are in bootstrap.sh's list. Source this from bash
# after scripts/bootstrap.sh, then:
#   zz_postgres_start    starts a server unless ZOZEZO_TEST_POSTGRES names one already, and
#                        exports ZOZEZO_TEST_POSTGRES ("host=<socket folder> user=postgres
#                        dbname=zezo_test"), which the tests and the benchmark read; returns 1,
#                        saying why, when no server can start
#   zz_postgres_stop     stops the server that zz_postgres_start started (nothing otherwise)
# zz_postgres_start sets an EXIT trap that stops the server, so a failing run stops it too (a
# script with an EXIT trap of its own calls zz_postgres_stop in it).
#
# Connections as `postgres` need no password; every other role logs in with its password
# (scram-sha-256), so that the tests can try what users without one meet.

# Debian keeps initdb and pg_ctl out of the PATH, in the server's versioned folder.
ZZ_POSTGRES_BIN="${ZZ_POSTGRES_BIN:-/usr/lib/postgresql/15/bin}"
ZZ_POSTGRES_DIR=""

# Runs a command as the postgres user: through runuser as root, directly otherwise (a developer's
# own account then owns the server).
zz_as_postgres() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

zz_postgres_start() {
    if [ -n "${ZOZEZO_TEST_POSTGRES:-}" ]; then
        return 0
    fi
    if [ ! -x "$ZZ_POSTGRES_BIN/pg_ctl" ]; then
        zz_log "no PostgreSQL server: $ZZ_POSTGRES_BIN/pg_ctl is missing"
        return 1
    fi
    if [ "$(id -u)" -eq 0 ] && ! id postgres >/dev/null 2>&1; then
        zz_log "no PostgreSQL server: there is no user 'postgres' to run it"
        return 1
    fi
    ZZ_POSTGRES_DIR="$(mktemp -d /tmp/zozezo-postgres.XXXXXX)"
    trap zz_postgres_stop EXIT
    [ "$(id -u)" -eq 0 ] && chown postgres: "$ZZ_POSTGRES_DIR"
    local Log="$ZZ_POSTGRES_DIR/server.log"
    if ! zz_as_postgres "$ZZ_POSTGRES_BIN/initdb" -D "$ZZ_POSTGRES_DIR/data" -U postgres \
        -E UTF8 --locale=C.UTF-8 -A trust >"$ZZ_POSTGRES_DIR/initdb.log" 2>&1; then
        zz_postgres_failed "initdb failed" "$ZZ_POSTGRES_DIR/initdb.log"
        return 1
    fi
    zz_as_postgres sh -c "printf '%s\n' 'local all postgres trust' \
        'local all all scram-sha-256' > '$ZZ_POSTGRES_DIR/data/pg_hba.conf'"
    if ! zz_as_postgres "$ZZ_POSTGRES_BIN/pg_ctl" -D "$ZZ_POSTGRES_DIR/data" -l "$Log" -w \
        -o "-k $ZZ_POSTGRES_DIR -c listen_addresses='' -c fsync=off -c max_connections=200" \
        start >/dev/null; then
        zz_postgres_failed "it did not start" "$Log"
        return 1
    fi
    zz_as_postgres "$ZZ_POSTGRES_BIN/createdb" -h "$ZZ_POSTGRES_DIR" -U postgres zezo_test
    export ZOZEZO_TEST_POSTGRES="host=$ZZ_POSTGRES_DIR user=postgres dbname=zezo_test"
    zz_log "PostgreSQL test server on $ZZ_POSTGRES_DIR"
}

# Says why no server started, with the end of its log, and removes what was made.
zz_postgres_failed() {
    zz_log "no PostgreSQL server: $1"
    tail -n 5 "$2" >&2 || true
    zz_postgres_stop
}

zz_postgres_stop() {
    [ -n "$ZZ_POSTGRES_DIR" ] || return 0
    zz_as_postgres "$ZZ_POSTGRES_BIN/pg_ctl" -D "$ZZ_POSTGRES_DIR/data" -m immediate -w stop \
        >/dev/null 2>&1 || true
    rm -rf "$ZZ_POSTGRES_DIR"
    ZZ_POSTGRES_DIR=""
    unset ZOZEZO_TEST_POSTGRES
}
