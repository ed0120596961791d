#!/usr/bin/env bash
# A child who plays with the keyboard, under a real window manager, with the
# child lock on: Down to the asked panel and Return count a right answer,
# Alt+F4 leaves the quiz running, SIGTERM (a shutdown) saves and ends it.
# Run inside xvfb-run (see scripts/e2e.sh).
#
# Usage: access.sh PROGRAM_FOLDER ARTIFACTS_FOLDER RESULT_FILE
# The program folder asks always for the first choice (red).
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
DIR=$1
E2E_ARTIFACTS=$2
E2E_RESULT=$3
E2E_T0=$(date +%s.%N)
# shellcheck source=tests/e2e/lib.sh
source "$HERE/lib.sh"
WM_PID=
trap 'stop_quiz; [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null' EXIT

DB=$DIR/results.db
LOG=$E2E_ARTIFACTS/quiz.log
printf 'child_lock=1\nvisual_feedback=1\n' >"$DIR/Data/access.txt"

openbox --sm-disable >"$E2E_ARTIFACTS/openbox.log" 2>&1 &
WM_PID=$!
wm_running() {
    local id
    id=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '{print $NF}')
    [[ $id == 0x* ]] && xprop -id "$id" _NET_WM_NAME 2>/dev/null | grep -q '"Openbox"'
}
wait_until 10 wm_running || die "the window manager did not start: $(tail -n 3 "$E2E_ARTIFACTS/openbox.log")"
pass "Openbox manages the X display"

start_quiz "$DIR/quiz" "$LOG"
through_notice
sleep 1
shot "frame-on-top-panel" >/dev/null

# The frame (10 pixels at this size) lies on the top panel's edge.
top_frame() {
    local f=$E2E_ARTIFACTS/.frame.png
    import -window root "$f" 2>/dev/null || return 1
    # shellcheck disable=SC2046
    [ "$(colour_name $(rgb $((SCREEN_W / 2)) 4 "$f"))" = other ] &&
        # shellcheck disable=SC2046
        [ "$(colour_name $(rgb $((SCREEN_W / 2)) $((PANEL_H / 2)) "$f"))" != other ]
}
check "a frame is drawn on the top panel" top_frame

colours=$(panel_colours "$PLAY_X")
row=0
i=0
for c in $colours; do
    i=$((i + 1))
    [ "$c" = red ] && row=$i
done
[ "$row" -gt 0 ] || die "no red panel to answer ($colours)"
for ((i = 1; i < row; i++)); do
    xdotool key Down
done
sleep 0.3
shot "frame-on-asked-panel" >/dev/null
xdotool key Return
right_counted() { [ "$(sql "$DB" "SELECT Ok FROM Table1 WHERE No = 1")" = 1 ]; }
check "Down $((row - 1)) times and Return on the asked panel count a right answer" wait_until 5 right_counted
shot "tick-after-return" >/dev/null

main=$(windows_named "$MAIN_TITLE" | head -n1)
xdotool windowactivate --sync "$main" 2>/dev/null
xdotool key alt+F4
sleep 2
check "Alt+F4 with the child lock leaves the quiz running" bash -c "kill -0 $QUIZ_PID && [ -n \"\$(xdotool search --onlyvisible --name '^$MAIN_TITLE\$')\" ]"

before=$(stat -c %Y "$DIR/Data/options.txt")
sleep 1
kill -TERM "$QUIZ_PID"
check "SIGTERM ends the locked quiz with status 0" wait_exit 20
check "the settings were saved as it ended" [ "$(stat -c %Y "$DIR/Data/options.txt")" -gt "$before" ]

# ------------------------------------------------------ one switch, scanning
# The frame moves by itself every second; one Return answers once.
printf 'scan=auto\nscan_interval_ms=1000\n' >"$DIR/Data/access.txt"
# framed_row: the row (1..3) whose left edge differs from its inside.
framed_row() {
    local f=$E2E_ARTIFACTS/.scan.png r
    import -window root "$f" 2>/dev/null || return 1
    for r in 1 2 3; do
        if [ "$(rgb 4 "$(panel_y "$r")" "$f")" != "$(rgb 40 "$(panel_y "$r")" "$f")" ]; then
            echo "$r"
            return 0
        fi
    done
    echo 0
}
answers() { sql "$DB" "SELECT coalesce(Ok, 0) + coalesce(NotOk, 0) FROM Table1 WHERE No = 1"; }
start_quiz "$DIR/quiz" "$LOG"
through_notice
first=$(framed_row)
t=$(date +%s.%N)
moved() { [ "$(framed_row)" != "$first" ]; }
wait_until 5 moved
took=$(since "$t")
second=$(framed_row)
shot "scan-moved" >/dev/null
check "the frame starts on the top panel ($first) and moves by itself to the next ($second, after ${took} s)" \
    [ "$first" = 1 ] && [ "$second" = 2 ]
before=$(answers)
xdotool key Return
sleep 0.5
xdotool key Return
sleep 0.5
check "one Return answers once while scanning ($before -> $(answers))" [ "$(answers)" = $((before + 1)) ]
kill -TERM "$QUIZ_PID"
check "SIGTERM ends the scanning quiz with status 0" wait_exit 20
summary
