# Sourced by the test scripts: a throwaway PostgreSQL cluster for the school
# server tests, in a temporary folder, run by the account "postgres" when the
# tests run as root (the server refuses root). It is set up as a school's
# server should be: TLS with a certificate from a throwaway certificate
# authority made here (openssl), passwords kept and checked as SCRAM, and
# over TCP (127.0.0.1, on a port of its own) only TLS connections are let in.
# The Unix socket in that folder, the machine itself, asks for the password
# too. Services (in $PGSERVICEFILE; passwords in $PGPASSFILE):
#   quiztest          the play login "room" (in quiz_player) over TCP with TLS
#   quizsocket        the same login over the Unix socket
#   quiztest-teacher, quizsocket-teacher
#                     the teachers' login "teacher" (in quiz_teacher); its
#                     password is not in $PGPASSFILE but in $QUIZ_PG_TEACHER_PW
#   quizadmin         the cluster's superuser over the socket, tables in reach
#                     without their schema
#   start_pg_server   makes the cluster, the database "school" set up with
#                     core/records/school-server.sql and the two logins;
#                     QUIZ_PG_DIR is the folder, $QUIZ_PG_DIR/root.crt the
#                     authority's certificate (named by sslrootcert).
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

# The authority and the server's certificate, for 127.0.0.1 and localhost:
# what an administrator does with openssl (README), in three steps.
pg_make_certificates() { # folder
    local d=$1
    openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=quiz test authority" \
        -keyout "$d/root.key" -out "$d/root.crt" >/dev/null 2>&1 &&
        openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" \
            -keyout "$d/server.key" -out "$d/server.csr" >/dev/null 2>&1 &&
        openssl x509 -req -in "$d/server.csr" -CA "$d/root.crt" -CAkey "$d/root.key" -CAcreateserial \
            -days 30 -extfile <(printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\n') \
            -out "$d/server.crt" >/dev/null 2>&1
}

start_pg_server() {
    if [ ! -x "$QUIZ_PG_BIN/initdb" ]; then
        echo "PostgreSQL is not installed (bash scripts/install-deps.sh test installs it)" >&2
        return 1
    fi
    command -v openssl >/dev/null || {
        echo "openssl is not installed (bash scripts/install-deps.sh test installs it)" >&2
        return 1
    }
    QUIZ_PG_DIR=$(mktemp -d /tmp/quiz-pg.XXXXXX)
    chmod 755 "$QUIZ_PG_DIR"
    local port admin_pw room_pw teacher_pw tries
    admin_pw=admin-$RANDOM$RANDOM
    room_pw=room-$RANDOM$RANDOM
    teacher_pw=teacher-$RANDOM$RANDOM
    echo "$admin_pw" >"$QUIZ_PG_DIR/admin.pw"
    pg_make_certificates "$QUIZ_PG_DIR" || {
        echo "making the test certificates failed" >&2
        return 1
    }
    chmod 600 "$QUIZ_PG_DIR/server.key" "$QUIZ_PG_DIR/root.key"
    chmod 644 "$QUIZ_PG_DIR/root.crt"
    [ "$(id -u)" -eq 0 ] && chown postgres "$QUIZ_PG_DIR" "$QUIZ_PG_DIR/admin.pw" "$QUIZ_PG_DIR/server.key" "$QUIZ_PG_DIR/server.crt"
    pg_as_owner "$QUIZ_PG_BIN/initdb" -D "$QUIZ_PG_DIR/data" -U postgres --pwfile="$QUIZ_PG_DIR/admin.pw" \
        --auth=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$QUIZ_PG_DIR/initdb.log" 2>&1 || {
        echo "initdb failed; see $QUIZ_PG_DIR/initdb.log" >&2
        return 1
    }
    # TCP only with TLS, every password as SCRAM: nothing else is let in.
    cat >"$QUIZ_PG_DIR/data/pg_hba.conf" <<CONF
local   all  all                 scram-sha-256
hostssl all  all  127.0.0.1/32   scram-sha-256
CONF
    cat >>"$QUIZ_PG_DIR/data/postgresql.conf" <<CONF
listen_addresses = '127.0.0.1'
unix_socket_directories = '$QUIZ_PG_DIR'
max_connections = 60
fsync = on
password_encryption = 'scram-sha-256'
ssl = on
ssl_cert_file = '$QUIZ_PG_DIR/server.crt'
ssl_key_file = '$QUIZ_PG_DIR/server.key'
ssl_min_protocol_version = 'TLSv1.2'
CONF
    # A port of its own, clear of a system cluster on 5432 and of the
    # clusters of other test runs on this machine.
    for tries in 1 2 3 4 5 6; do
        port=$((20000 + RANDOM % 20000))
        sed -i '/^port = /d' "$QUIZ_PG_DIR/data/postgresql.conf"
        echo "port = $port" >>"$QUIZ_PG_DIR/data/postgresql.conf"
        pg_ctl_cluster start && break
        port=
    done
    [ -n "$port" ] || {
        echo "the PostgreSQL test server did not start; see $QUIZ_PG_DIR/server.log" >&2
        return 1
    }
    export QUIZ_PG_DIR QUIZ_PG_PORT=$port QUIZ_PG_TEACHER_PW=$teacher_pw
    export PGSERVICEFILE=$QUIZ_PG_DIR/pg_service.conf PGPASSFILE=$QUIZ_PG_DIR/pgpass
    cat >"$PGSERVICEFILE" <<CONF
[quiztest]
host=127.0.0.1
port=$port
dbname=school
user=room
sslrootcert=$QUIZ_PG_DIR/root.crt

[quiztest-teacher]
host=127.0.0.1
port=$port
dbname=school
user=teacher
sslrootcert=$QUIZ_PG_DIR/root.crt

[quizsocket]
host=$QUIZ_PG_DIR
port=$port
dbname=school
user=room

[quizsocket-teacher]
host=$QUIZ_PG_DIR
port=$port
dbname=school
user=teacher

[quizadmin]
host=$QUIZ_PG_DIR
port=$port
dbname=school
user=postgres
options=-csearch_path=quiz,public -cclient_min_messages=warning
CONF
    printf '*:%s:*:postgres:%s\n*:%s:school:room:%s\n' "$port" "$admin_pw" "$port" "$room_pw" >"$PGPASSFILE"
    chmod 600 "$PGPASSFILE"
    local psql=$QUIZ_PG_BIN/psql
    export PGOPTIONS="-c client_min_messages=warning"
    [ -x "$psql" ] || psql=psql
    "$psql" "service=quizadmin dbname=postgres" -qX -v ON_ERROR_STOP=1 \
        -c "CREATE DATABASE school" >/dev/null &&
        "$psql" service=quizadmin -qX -v ON_ERROR_STOP=1 -f "$QUIZ_PG_SOURCE/core/records/school-server.sql" >/dev/null &&
        "$psql" service=quizadmin -qX -v ON_ERROR_STOP=1 \
            -c "CREATE ROLE room LOGIN PASSWORD '$room_pw' IN ROLE quiz_player" \
            -c "CREATE ROLE teacher LOGIN PASSWORD '$teacher_pw' IN ROLE quiz_teacher" >/dev/null || {
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
