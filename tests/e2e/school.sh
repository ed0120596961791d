#!/usr/bin/env bash
# Two quiz programs, each on a screen of its own as on two computers of a
# school, keep their results on one PostgreSQL server (the throwaway server
# of scripts/pg-server.sh, service "quiztest"): a child answers on both, the
# server has every answer once, and both programs stood on the same child.
# Run inside xvfb-run (see scripts/e2e.sh); the second screen is made here.
#
# Usage: school.sh BUILD_DIR SOURCE_DIR ARTIFACTS_FOLDER RESULT_FILE
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=$1
ROOT=$2
E2E_ARTIFACTS=$3
E2E_RESULT=$4
E2E_T0=$(date +%s.%N)
# shellcheck source=tests/e2e/lib.sh
source "$HERE/lib.sh"

work=$(mktemp -d /tmp/quiz-school.XXXXXX)
PID_A= PID_B= XVFB_B=
cleanup() {
    for p in $PID_A $PID_B $XVFB_B; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

admin() { psql service=quizadmin -qAtX -v ON_ERROR_STOP=1 -c "$1"; }
[ -n "${PGSERVICEFILE:-}" ] && admin "SELECT 1" >/dev/null || die "no PostgreSQL test server (scripts/pg-server.sh)"
admin "TRUNCATE table1, answers RESTART IDENTITY" >/dev/null
admin "INSERT INTO table1 (name) VALUES ('سارة')" >/dev/null

# Two program folders, as two computers have them: the options ask always
# for the first choice (red) and wait one second; the results go to the
# school's server.
for c in a b; do
    mkdir -p "$work/$c"
    cp -a "$BUILD/program/quiz" "$BUILD/program/quiz-window.so" "$BUILD/program/help.htm" "$work/$c/"
    cp -a "$ROOT/appdir/Data" "$work/$c/"
    sed -i -e '1s/^.*\r$/1\r/' -e '21s/^.*\r$/1\r/' "$work/$c/Data/options.txt"
    echo quiztest >"$work/$c/Data/school-server.txt"
done

DISPLAY_A=$DISPLAY
for n in $(seq 70 99); do
    [ -e "/tmp/.X$n-lock" ] || { DISPLAY_B=:$n; break; }
done
Xvfb "$DISPLAY_B" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_B=$!
wait_until 10 xdpyinfo -display "$DISPLAY_B" >/dev/null 2>&1 || die "the second screen did not start"

on() { # a|b: the following commands talk to that computer's screen
    if [ "$1" = a ]; then export DISPLAY=$DISPLAY_A; QUIZ_PID=$PID_A; else export DISPLAY=$DISPLAY_B; QUIZ_PID=$PID_B; fi
}
export DISPLAY=$DISPLAY_A
start_quiz "$work/a/quiz" "$E2E_ARTIFACTS/quiz-a.log"
PID_A=$QUIZ_PID
export DISPLAY=$DISPLAY_B
start_quiz "$work/b/quiz" "$E2E_ARTIFACTS/quiz-b.log"
PID_B=$QUIZ_PID
on a
through_notice
on b
through_notice
links() { [ "$(admin "SELECT COUNT(*) FROM pg_stat_activity WHERE application_name = 'quiz'")" -ge 2 ]; }
wait_until 15 links || die "the two programs did not reach the server"
pass "both programs reached the school's server"
sleep 1

# click_panel right|wrong: the panel with red (asked) or another one.
click_panel() {
    local colours c i=0 target=
    colours=$(panel_colours "$PLAY_X")
    for c in $colours; do
        i=$((i + 1))
        [ -n "$target" ] && continue
        if [ "$1" = right ] && [ "$c" = red ]; then target=$i; fi
        if [ "$1" = wrong ] && [ "$c" != red ] && [ "$c" != other ]; then target=$i; fi
    done
    [ -n "$target" ] || die "no panel to click for a $1 answer ($colours)"
    click "$PLAY_X" "$(panel_y "$target")"
}
# Both computers answer at nearly the same moment, then once more.
on a; click_panel right
on b; click_panel right
sleep 2
on a; click_panel right
on b; click_panel wrong
shot "b-after-answers" >/dev/null
on a; shot "a-after-answers" >/dev/null

counts() { [ "$(admin "SELECT COUNT(*) || ':' || SUM(ok) || '/' || SUM(notok) FROM table1")" = "$1" ]; }
wait_until 10 counts "1:3/1" || fail "the server has $(admin "SELECT COUNT(*) || ':' || SUM(ok) || '/' || SUM(notok) FROM table1"), not one child with 3 right and 1 wrong"
counts "1:3/1" && pass "the server counted the four answers of both computers on the one child"
check "each answer is in the history once" [ "$(admin "SELECT COUNT(DISTINCT id) || '/' || COUNT(*) FROM answers")" = "4/4" ]
check "nothing waits on either computer" \
    [ "$(sqlite3 "$work/a/Data/school-outbox.db" "SELECT COUNT(*) FROM Outbox")$(sqlite3 "$work/b/Data/school-outbox.db" "SELECT COUNT(*) FROM Outbox")" = 00 ]
check "computer b's copy shows computer a's answers" \
    wait_until 10 bash -c "[ \"\$(sqlite3 '$work/b/Data/school-outbox.db' 'SELECT Ok FROM Copy WHERE No = 1')\" = 3 ]"
check "no results.db was made on either computer" [ ! -e "$work/a/results.db" -a ! -e "$work/b/results.db" ]

for c in a b; do
    on $c
    quit_by_exit_button closed
    if [ "$c" = a ]; then PID_A=; else PID_B=; fi
    check "computer $c kept the shared child as its current child" [ "$(file_line "$work/$c/Data/options.txt" 20)" = 1 ]
done
summary
