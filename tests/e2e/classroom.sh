#!/usr/bin/env bash
# The installed quiz in a teacher's ordinary account, as a classroom computer
# has it: an Arabic system, a real window manager, the quiz started from its
# menu entry. Run as that account by scripts/classroom.sh, with LANG, HOME
# and XDG_RUNTIME_DIR set as a desktop login sets them; it starts its own X
# server (Xvfb, 1280x800) with the account's own access cookie.
#
# First start: no sound server yet (a kiosk session, a broken audio set-up);
# the quiz fills the account's data folder, judges and counts, and saves its
# settings when the session ends it (SIGTERM).
# Second start, still without a sound server: how fast it starts once the
# account's caches are made (the first start of an account also builds the
# media framework's plugin registry); a hang-up (SIGHUP) ends it cleanly.
# Third start: the account's own sound server; the clips are heard, the
# waiting time set through the spin box is the time the next question waits,
# Ctrl+Shift+F1 opens the options pane, the exit button quits.
#
# Usage: classroom.sh ARTIFACTS_FOLDER RESULT_FILE
# Prints "figure NAME VALUE UNIT" lines for what it measures.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
E2E_ARTIFACTS=$1
E2E_RESULT=$2
E2E_T0=$(date +%s.%N)
# shellcheck source=tests/e2e/lib.sh
source "$HERE/lib.sh"
# shellcheck source=scripts/sound-server.sh
source "$HERE/sound-server.sh"

MENU_ENTRY=/usr/share/applications/quiz.desktop
INSTALLED=/usr/lib/quiz
USER_DIR=$HOME/.local/share/kidsquiz/quiz
DATA=$USER_DIR/Data
DB=$USER_DIR/results.db
LOG=$E2E_ARTIFACTS/quiz.log
WM_PID=
PAREC_PID=
XVFB_PID=
finish() {
    stop_quiz
    [ -n "$PAREC_PID" ] && kill "$PAREC_PID" 2>/dev/null
    stop_sound_server
    if [ -n "$WM_PID" ]; then
        kill "$WM_PID" 2>/dev/null
        wait "$WM_PID" 2>/dev/null
    fi
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
}
trap finish EXIT

# ------------------------------------------------------------ helpers
# Starts the program as the desktop does from the menu: the entry's Exec
# line (without field codes) in the entry's working folder.
start_from_menu() {
    local exec path
    exec=$(grep -m1 '^Exec=' "$MENU_ENTRY" | cut -d= -f2- | sed 's/ *%[fFuUick]//g')
    path=$(grep -m1 '^Path=' "$MENU_ENTRY" | cut -d= -f2-)
    [ -n "$exec" ] || die "the menu entry has no Exec line"
    log "starting from the menu entry: Exec=$exec Path=${path:-~}"
    (cd "${path:-$HOME}" && exec sh -c "exec $exec") >>"$LOG" 2>&1 &
    QUIZ_PID=$!
}
# The chord a teacher uses on a desktop whose server keys are as shipped.
teacher_chord() { xdotool keydown ctrl keydown shift keydown F1 keyup F1 keyup shift keyup ctrl; }
open_pane() {
    teacher_chord
    wait_until 5 pane_is_open
}
pane_is_closed() { ! pane_is_open; }
# A fingerprint of the three choice panels as drawn: their order, colours and
# shapes. The pointer is not part of a screenshot.
panels_look() {
    import -window root -crop "${SCREEN_W}x$((PANEL_H * 3))+0+0" rgb:- 2>/dev/null | md5sum | cut -c1-32
}
# Waits until two looks 0.3 s apart agree: nothing is being redrawn.
panels_settle() {
    local a b i
    a=$(panels_look)
    for ((i = 0; i < 20; i++)); do
        sleep 0.3
        b=$(panels_look)
        [ "$a" = "$b" ] && return 0
        a=$b
    done
    return 1
}
# measure_wait LIMIT: clicks the middle panel in play mode and prints the
# seconds until the next question redraws the panels (a new order and new
# shapes; all three unchanged happens once in 1296 questions). Fails when
# nothing changed within LIMIT seconds.
measure_wait() {
    local before t0 t looks=0
    panels_settle || return 1
    before=$(panels_look)
    click "$PLAY_X" "$(panel_y 2)"
    t0=$(date +%s.%N)
    while :; do
        looks=$((looks + 1))
        [ "$(panels_look)" != "$before" ] && break
        t=$(since "$t0")
        awk -v t="$t" -v l="$1" 'BEGIN { exit !(t > l) }' && return 1
    done
    t=$(since "$t0")
    log "the panels changed $t s after the click; $looks looks, one every $(awk -v t="$t" -v n="$looks" 'BEGIN { printf "%.2f", t / n }') s" >&2
    echo "$t"
}
between() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }
# waits_about SECONDS MEASURED: the next question never comes early (the
# fault this guards against made every wait one second); it comes late by
# the time the window takes to draw it and a screenshot takes to see it,
# which grows on a loaded machine, so the upper bound only catches a wait of
# the wrong size.
waits_about() { between "$2" "$(awk -v w="$1" 'BEGIN { print w - 0.1 }')" "$(awk -v w="$1" 'BEGIN { print w * 1.5 + 0.5 }')"; }
# counted: the number of answers counted on all children.
counted() { sql "$DB" "SELECT COALESCE(SUM(COALESCE(Ok, 0) + COALESCE(NotOk, 0)), 0) FROM Table1"; }
counted_is() { [ "$(counted 2>/dev/null)" = "$1" ]; }
# The spin box is read by the program; the file must keep ASCII digits.
wait_line_is() { [ "$(file_line "$DATA/options.txt" 21)" = "$1" ]; }
# seeded: the data folder holds a copy of each installed default file.
seeded() {
    local f
    for f in "$INSTALLED"/Data/*; do
        cmp -s "$f" "$DATA/$(basename "$f")" || { log "not seeded: $(basename "$f")"; return 1; }
    done
}
# Only the Data folder and the results table, nothing of the program.
only_data_and_results() {
    [ "$(cd "$USER_DIR" && ls -A | sort | tr '\n' ' ')" = "Data results.db " ]
}
# Sets the waiting time through the spin box on the open pane: a click in
# its field, then the arrow keys, as a teacher steps it.
step_wait_time() { # up|down count
    local key=Up
    [ "$1" = down ] && key=Down
    # shellcheck disable=SC2046
    click $(pane_point 56 152 57 22)     # WaitSE
    sleep 0.3
    xdotool key --delay 150 $(printf "$key %.0s" $(seq "$2"))
}
# A screenshot and a smaller copy of it for the project's documentation.
doc_shot() {
    local f
    shot "$1" >"$E2E_ARTIFACTS/.shot" || return 1
    f=$(cat "$E2E_ARTIFACTS/.shot")
    convert "$f" -resize 75% -colors 256 "png8:$E2E_ARTIFACTS/doc-$1.png"
}

# ------------------------------------------------------------ the desktop
# The X server picks a free display number itself (-displayfd), so that
# other X servers on the machine cannot race it for one. It reads the
# account's cookie at start; clients find it under the display's number.
export XAUTHORITY=$XDG_RUNTIME_DIR/Xauthority
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
xauth -q -f "$XAUTHORITY" add :0 MIT-MAGIC-COOKIE-1 "$cookie" 2>/dev/null
Xvfb -displayfd 3 -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp -auth "$XAUTHORITY" \
    3>"$XDG_RUNTIME_DIR/display" >"$E2E_ARTIFACTS/xvfb.log" 2>&1 &
XVFB_PID=$!
wait_until 10 test -s "$XDG_RUNTIME_DIR/display" || die "Xvfb did not start: $(tail -n 3 "$E2E_ARTIFACTS/xvfb.log")"
export DISPLAY=:$(tr -d '\n' <"$XDG_RUNTIME_DIR/display")
xauth -q -f "$XAUTHORITY" add "$DISPLAY" MIT-MAGIC-COOKIE-1 "$cookie"
xauth -q -f "$XAUTHORITY" remove :0
x_answers() { xprop -root >/dev/null 2>&1; }
wait_until 10 x_answers || die "the X server on $DISPLAY does not answer"
log "X server $DISPLAY (Xvfb, ${SCREEN_W}x${SCREEN_H})"
log "LANG=$LANG, HOME=$HOME, $(locale 2>&1 | grep -c 'Cannot set') locale errors"
check "the Arabic locale is set up (LC_CTYPE=$(locale | sed -n 's/^LC_CTYPE=//p'))" \
    bash -c '[ -z "$(locale 2>&1 >/dev/null)" ] && [ "$(locale charmap)" = UTF-8 ]'
openbox --sm-disable >"$E2E_ARTIFACTS/openbox.log" 2>&1 &
WM_PID=$!
wm_running() {
    local id
    id=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '{print $NF}')
    [[ $id == 0x* ]] && xprop -id "$id" _NET_WM_NAME 2>/dev/null | grep -q '"Openbox"'
}
wait_until 10 wm_running || die "the window manager did not start: $(tail -n 3 "$E2E_ARTIFACTS/openbox.log")"
pass "Openbox manages the X display"
check "the server keys are as shipped (no srvrkeys:none)" bash -c '! setxkbmap -query | grep -q srvrkeys'
check "no sound server is running for the account yet" bash -c '! pactl info >/dev/null 2>&1'

# ------------------------------------------------------------ first start
t=$(date +%s.%N)
start_from_menu
wait_until 60 has_window "$APP_TITLE" || die "no start-up notice within 60 s without a sound server"
echo "figure notice_at_first_start_of_account $(since "$t") s"
through_notice
check "no message box at the first start" only_main_window
log "the account's caches after its first start: $(ls -A "$HOME/.cache" 2>/dev/null | tr '\n' ' ')"
shot "first-start" >/dev/null
check "the account's data folder is $USER_DIR" test -f "$DATA/options.txt"
check "it is filled with copies of the installed defaults" seeded
check "it holds the Data folder and results.db only" only_data_and_results
# A question is judged and counted without any sound.
panels_settle
click "$PLAY_X" "$(panel_y 1)"
check "an answer is counted without a sound server" wait_until 5 counted_is 1
check "no message box interrupts play without sound" only_main_window
open_pane || die "Ctrl+Shift+F1 did not open the options pane"
pass "Ctrl+Shift+F1 opens the options pane"
step_wait_time up 1                      # 2 -> 3 seconds
shot "wait-3" >/dev/null
# The desktop session ends (a logout or a shutdown): the settings are saved.
t=$(date +%s.%N)
kill -TERM "$QUIZ_PID"
check "SIGTERM ends the quiz with status 0" wait_exit 15
echo "figure exit_on_sigterm $(since "$t") s"
check "the settings were saved at SIGTERM: waiting time 3" wait_line_is 3
check "the options file keeps 21 CR LF lines" crlf_lines "$DATA/options.txt" 21

# ------------------------------------------------------------ second start
t=$(date +%s.%N)
start_from_menu
wait_until 60 has_window "$APP_TITLE" || die "no start-up notice within 60 s without a sound server"
echo "figure notice_without_sound_server $(since "$t") s"
t=$(date +%s.%N)
through_notice
echo "figure main_window_after_notice_without_sound_server $(since "$t") s"
check "no message box at the second start" only_main_window
kill -HUP "$QUIZ_PID"
check "SIGHUP ends the quiz with status 0" wait_exit 15

# ------------------------------------------------------------ third start
QUIZ_RUNTIME_DIR=$XDG_RUNTIME_DIR start_sound_server
[ -z "${QUIZ_NO_SOUND_SERVER:-}" ] || die "the account's sound server: $QUIZ_NO_SOUND_SERVER"
pass "the account's sound server runs (null sink \"quiz\")"
parec -d quiz.monitor --format=s16le --rate=16000 --channels=1 --raw >"$E2E_ARTIFACTS/heard.raw" 2>/dev/null &
PAREC_PID=$!

t=$(date +%s.%N)
start_from_menu
wait_until 60 has_window "$APP_TITLE" || die "no start-up notice within 60 s"
echo "figure notice_with_sound_server $(since "$t") s"
t=$(date +%s.%N)
through_notice
echo "figure main_window_after_notice_with_sound_server $(since "$t") s"
check "no message box at the third start" only_main_window
doc_shot play-mode

waited=$(measure_wait 15) || die "the next question did not come within 15 s of an answer"
echo "figure next_question_after_3s_wait $waited s"
check "the saved waiting time is the wait: 3 s ($waited s)" waits_about 3 "$waited"
check "the answer is counted" wait_until 5 counted_is 2

open_pane || die "Ctrl+Shift+F1 did not open the options pane again"
step_wait_time up 2                      # 3 -> 5 seconds
sleep 0.5
doc_shot options-pane
# shellcheck disable=SC2046
click $(pane_point 8 37 75 25)           # Button1 "اخفاء الخيارات"
check "the options pane closes" wait_until 5 pane_is_closed
waited=$(measure_wait 20) || die "the next question did not come within 20 s of an answer"
echo "figure next_question_after_5s_wait $waited s"
check "the waiting time set in the spin box is the wait: 5 s ($waited s)" waits_about 5 "$waited"
check "the answer is counted" wait_until 5 counted_is 3
cp "/proc/$QUIZ_PID/maps" "$E2E_ARTIFACTS/maps.txt"

open_pane || die "Ctrl+Shift+F1 did not open the options pane for quitting"
quit_by_exit_button open
kill "$PAREC_PID" 2>/dev/null
wait "$PAREC_PID" 2>/dev/null
PAREC_PID=

# ------------------------------------------------------------ what is left
check "results.db in the data folder holds the three answers" counted_is 3
check "options.txt line 21 is the new waiting time, in ASCII digits" wait_line_is 5
check "options.txt keeps 21 CR LF lines" crlf_lines "$DATA/options.txt" 21
peak=$(sox -t raw -e signed -b 16 -r 16000 -c 1 "$E2E_ARTIFACTS/heard.raw" -n stat 2>&1 | awk '/^Maximum amplitude/ {print $3}')
loud=$(sox -t raw -e signed -b 16 -r 16000 -c 1 "$E2E_ARTIFACTS/heard.raw" -n stat 2>&1 | awk '/^RMS +amplitude/ {print $3}')
echo "figure sound_peak ${peak:-0} of_full_scale"
echo "figure sound_rms ${loud:-0} of_full_scale"
check "the clips were heard on the account's sound server (peak $peak)" between "${peak:-0}" 0.05 1
rm -f "$E2E_ARTIFACTS/heard.raw"
if [ -s "$LOG" ]; then
    log "the program's output (the sound libraries' complaints when there is no server): $(head -c 600 "$LOG")"
fi

summary
[ "$E2E_FAILED" -eq 0 ]
