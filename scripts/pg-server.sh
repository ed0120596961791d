# Sourced by the test scripts: a throwaway PostgreSQL cluster for the school
# server tests, in a temporary folder, listening only on a Unix socket in
# that folder on a port of its own, run by the account "postgres" when the
# tests run as root (the server refuses root).
#   start_pg_server   makes the cluster, the database "school" set up with
#                     core/records/school-server.sql, a login "room" in
#                     quiz_player, and exports PGSERVICEFILE and PGPASSFILE
#                     naming the service "quiztest"; QUIZ_PG_DIR is the folder.
#   stop_pg_server    stops the cluster and removes its folder.
# As a command: bash scripts/pg-server.sh stop|start|status only stops or
# starts again the cluster of $QUIZ_PG_DIR (for the tests that take the
# server away in the middle of play).
QUIZ_PG_BIN=${QUIZ_PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n1)}
QUIZ_PG_SOURCE=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

pg_as_owner() { # command...: as the cluster's owner
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}
pg_ctl_cluster() { # start|stop|status
    case $1 in
    start) pg_as_owner "$QUIZ_PG_BIN/pg_ctl" -D "$QUIZ_PG_DIR/data" -l "$QUIZ_PG_DIR/server.log" -w -t 30 start >/dev/null ;;
    stop) pg_as_owner "$QUIZ_PG_BIN/pg_ctl" -D "$QUIZ_PG_DIR/data" -m fast -w -t 30 stop >/dev/null ;;
    status) pg_as_owner "$QUIZ_PG_BIN/pg_ctl" -D "$QUIZ_PG_DIR/data" status >/dev/null ;;
    esac
}

start_pg_server() {
    if [ ! -x "$QUIZ_PG_BIN/initdb" ]; then
        echo "PostgreSQL is not installed (bash scripts/install-deps.sh test installs it)" >&2
        return 1
    fi
    QUIZ_PG_DIR=$(mktemp -d /tmp/quiz-pg.XXXXXX)
    chmod 755 "$QUIZ_PG_DIR"
    [ "$(id -u)" -eq 0 ] && chown postgres "$QUIZ_PG_DIR"
    local port admin_pw room_pw
    # A port of its own, clear of a system cluster on 5432.
    port=$((20000 + RANDOM % 20000))
    admin_pw=admin-$RANDOM$RANDOM
    room_pw=room-$RANDOM$RANDOM
    echo "$admin_pw" >"$QUIZ_PG_DIR/admin.pw"
    [ "$(id -u)" -eq 0 ] && chown postgres "$QUIZ_PG_DIR/admin.pw"
    pg_as_owner "$QUIZ_PG_BIN/initdb" -D "$QUIZ_PG_DIR/data" -U postgres --pwfile="$QUIZ_PG_DIR/admin.pw" \
        --auth=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$QUIZ_PG_DIR/initdb.log" 2>&1 || {
        echo "initdb failed; see $QUIZ_PG_DIR/initdb.log" >&2
        return 1
    }
    cat >>"$QUIZ_PG_DIR/data/postgresql.conf" <<CONF
listen_addresses = ''
unix_socket_directories = '$QUIZ_PG_DIR'
port = $port
max_connections = 60
fsync = on
CONF
    pg_ctl_cluster start || {
        echo "the PostgreSQL test server did not start; see $QUIZ_PG_DIR/server.log" >&2
        return 1
    }
    export QUIZ_PG_DIR QUIZ_PG_PORT=$port
    export PGSERVICEFILE=$QUIZ_PG_DIR/pg_service.conf PGPASSFILE=$QUIZ_PG_DIR/pgpass
    cat >"$PGSERVICEFILE" <<CONF
[quiztest]
host=$QUIZ_PG_DIR
port=$port
dbname=school
user=room

[quizadmin]
host=$QUIZ_PG_DIR
port=$port
dbname=school
user=postgres
CONF
    printf '*:%s:*:postgres:%s\n*:%s:school:room:%s\n' "$port" "$admin_pw" "$port" "$room_pw" >"$PGPASSFILE"
    chmod 600 "$PGPASSFILE"
    local psql=$QUIZ_PG_BIN/psql
    export PGOPTIONS="-c client_min_messages=warning"
    [ -x "$psql" ] || psql=psql
    PGDATABASE=postgres "$psql" "service=quizadmin dbname=postgres" -qX -v ON_ERROR_STOP=1 \
        -c "CREATE DATABASE school" >/dev/null &&
        "$psql" service=quizadmin -qX -v ON_ERROR_STOP=1 -f "$QUIZ_PG_SOURCE/core/records/school-server.sql" >/dev/null &&
        "$psql" service=quizadmin -qX -v ON_ERROR_STOP=1 \
            -c "CREATE ROLE room LOGIN PASSWORD '$room_pw' IN ROLE quiz_player" >/dev/null || {
        echo "setting up the test database failed" >&2
        return 1
    }
}

stop_pg_server() {
    [ -n "${QUIZ_PG_DIR:-}" ] && [ -d "$QUIZ_PG_DIR" ] || return 0
    pg_ctl_cluster stop 2>/dev/null
    rm -rf "$QUIZ_PG_DIR"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -u
    [ -n "${QUIZ_PG_DIR:-}" ] || { echo "QUIZ_PG_DIR is not set" >&2; exit 2; }
    pg_ctl_cluster "$1"
fi
