#!/bin/sh
# A throw-away PostgreSQL cluster for the database tests.
#   pg_cluster.sh start STATE_DIR   creates and starts a cluster in a new temporary folder, listening
#                                   only on a Unix socket there, and writes its connection URI to
#                                   STATE_DIR/uri (nothing when the server programs are missing:
#                                   the tests then skip themselves).
#   pg_cluster.sh stop STATE_DIR    stops that cluster and removes its folder.
# The server refuses to run as root, so as root the cluster belongs to the postgres user.
set -u
action=$1
state=$2
mkdir -p "$state"

bindir=""
for candidate in "${TAV_PG_BINDIR:-}" /usr/lib/postgresql/*/bin; do
    if [ -n "$candidate" ] && [ -x "$candidate/initdb" ] && [ -x "$candidate/pg_ctl" ]; then
        bindir=$candidate
    fi
done

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

case "$action" in
start)
    rm -f "$state/uri"
    if [ -z "$bindir" ]; then
        echo "No PostgreSQL server programs (initdb, pg_ctl): the database tests are skipped"
        exit 0
    fi
    if [ "$(id -u)" -eq 0 ] && ! id postgres >/dev/null 2>&1; then
        echo "Running as root without a postgres user: the database tests are skipped"
        exit 0
    fi
    # A folder left by a run that was killed is stopped and removed first.
    [ -f "$state/folder" ] && "$0" stop "$state"
    folder=$(mktemp -d /tmp/tav-pg.XXXXXX) || exit 1
    [ "$(id -u)" -eq 0 ] && chown postgres "$folder"
    echo "$folder" >"$state/folder"
    as_owner "$bindir/initdb" -D "$folder/data" -U postgres --auth=trust -E UTF8 \
        --locale=C.UTF-8 >"$folder/initdb.log" 2>&1 || { cat "$folder/initdb.log"; exit 1; }
    # The tests' own user needs no password; any other must give one, so that a wrong one can be
    # tried.
    printf 'local all postgres trust\nlocal all all scram-sha-256\n' >"$folder/pg_hba.conf"
    chmod 644 "$folder/pg_hba.conf"
    as_owner cp "$folder/pg_hba.conf" "$folder/data/pg_hba.conf"
    as_owner "$bindir/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 \
        -o "-c listen_addresses='' -c unix_socket_directories=$folder -c fsync=off" \
        start >/dev/null || { cat "$folder/server.log"; exit 1; }
    echo "postgresql:///postgres?host=$folder&user=postgres" >"$state/uri"
    echo "Started a PostgreSQL cluster in $folder"
    ;;
stop)
    [ -f "$state/folder" ] || exit 0
    folder=$(cat "$state/folder")
    if [ -n "$bindir" ] && [ -d "$folder/data" ]; then
        as_owner "$bindir/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1
    fi
    case "$folder" in /tmp/tav-pg.*) rm -rf "$folder" ;; esac
    rm -f "$state/folder" "$state/uri"
    ;;
*)
    echo "usage: $0 start|stop STATE_DIR" >&2
    exit 2
    ;;
esac
