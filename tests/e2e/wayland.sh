#!/usr/bin/env bash
# The real quiz on a Wayland desktop: Debian's compositor (weston, its
# desktop shell without a panel) and the quiz with QT_QPA_PLATFORM=wayland
# and no X display. Weston draws into the X display that xvfb-run made (see
# scripts/wayland.sh) and takes its keyboard and pointer from there: the keys
# and clicks below reach the quiz as Wayland input, through the compositor.
# Every look at the screen is weston's own screenshot.
#
# The quiz starts and shows its notice, then its window over the whole
# screen; the question is heard on the sound server's sink; a click is
# judged and counted; Ctrl+Shift+F1 opens the options pane, the waiting time
# is stepped up, and SIGTERM (the session ending) ends the quiz with the
# settings saved.
#
# Usage: wayland.sh PROGRAM_FOLDER ARTIFACTS_FOLDER RESULT_FILE
# Needs DISPLAY (the X server for weston) and XDG_RUNTIME_DIR with the sound
# server running in it.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
DIR=$1
E2E_ARTIFACTS=$2
E2E_RESULT=$3
E2E_T0=$(date +%s.%N)
# shellcheck source=tests/e2e/lib.sh
source "$HERE/lib.sh"

DATA=$DIR/Data
DB=$DIR/results.db
LOG=$E2E_ARTIFACTS/quiz.log
# The desktop's plain background, told apart from everything the quiz draws.
BACKGROUND=0xff336699
export WAYLAND_DISPLAY=quiz-wayland-$$
WESTON_PID=
PAREC_PID=
finish() {
    stop_quiz
    [ -n "$PAREC_PID" ] && kill "$PAREC_PID" 2>/dev/null
    if [ -n "$WESTON_PID" ]; then
        kill "$WESTON_PID" 2>/dev/null
        wait "$WESTON_PID" 2>/dev/null
    fi
}
trap finish EXIT

# ------------------------------------------------------------ helpers
# Weston's screenshot of its whole output into FILE.
grab() {
    local dir
    dir=$(mktemp -d "$E2E_ARTIFACTS/.grab.XXXXXX") || return 1
    (cd "$dir" && weston-screenshooter) >/dev/null 2>&1
    local f=("$dir"/*.png)
    [ -f "${f[0]}" ] && mv "${f[0]}" "$1"
    rm -rf "$dir"
    [ -f "$1" ]
}
# The numbered screenshots of lib.sh, and its pixel probes, from weston.
shot() {
    E2E_SHOT=$((E2E_SHOT + 1))
    local f
    f=$(printf '%s/%02d-%s.png' "$E2E_ARTIFACTS" "$E2E_SHOT" "$1")
    grab "$f" && echo "$f"
}
rgb() {
    local f=${3:-$E2E_ARTIFACTS/.probe.png}
    [ -n "${3:-}" ] || grab "$f" || return 1
    convert "$f" -format "%[fx:int(255*p{$1,$2}.r+0.5)] %[fx:int(255*p{$1,$2}.g+0.5)] %[fx:int(255*p{$1,$2}.b+0.5)]" info:
}
panel_colours() {
    local f=$E2E_ARTIFACTS/.panels.png y out=()
    grab "$f" || return 1
    for y in $(panel_y 1) $(panel_y 2) $(panel_y 3); do
        # shellcheck disable=SC2046
        out+=("$(colour_name $(rgb "$1" "$y" "$f"))")
    done
    echo "${out[*]}"
}
# covered FILE: the share of the screen that is not the desktop's background.
covered() {
    convert "$1" -alpha off -fuzz 2% -transparent "#${BACKGROUND#0xff}" -alpha extract -format '%[fx:mean]' info:
}
between() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }
# The notice: a box on the desktop, no choice panels yet.
notice_up() {
    local f=$E2E_ARTIFACTS/.notice.png share
    grab "$f" || return 1
    share=$(covered "$f")
    between "$share" 0.01 0.6 || return 1
    [[ "$(panel_colours "$PLAY_X")" != *red* ]]
}
# The window over the whole screen: nothing of the background at the four
# corners or anywhere else, and the three choice panels in their colours.
window_fills_screen() {
    local f=$E2E_ARTIFACTS/.window.png
    grab "$f" || return 1
    [ "$(covered "$f")" = 1 ] || return 1
    [ "$(panel_colours "$PLAY_X" | tr ' ' '\n' | sort | tr '\n' ' ')" = "blue red yellow " ]
}
counted() { sql "$DB" "SELECT COALESCE(SUM(COALESCE(Ok, 0) + COALESCE(NotOk, 0)), 0) FROM Table1"; }
counted_is() { [ "$(counted 2>/dev/null)" = "$1" ]; }
wait_line_is() { [ "$(file_line "$DATA/options.txt" 21)" = "$1" ]; }
# What the quiz loaded: Qt's Wayland platform plugin, not its X one.
speaks_wayland() {
    grep -q 'libqwayland-generic\.so' "/proc/$QUIZ_PID/maps" && ! grep -q 'libqxcb\.so' "/proc/$QUIZ_PID/maps"
}
seat_ready() { weston-info 2>/dev/null | grep -A2 "'wl_seat'" | grep -q 'pointer keyboard'; }

# ------------------------------------------------------------ the compositor
cat >"$E2E_ARTIFACTS/weston.ini" <<INI
[core]
idle-time=0

[shell]
panel-position=none
background-color=$BACKGROUND
locking=false

[keyboard]
keymap_layout=us

# No on-screen keyboard over the pane when a field takes the focus.
[input-method]
path=
INI
# --debug lets weston-screenshooter take the output.
weston --backend=x11-backend.so --use-pixman --width="$SCREEN_W" --height="$SCREEN_H" \
    --socket="$WAYLAND_DISPLAY" --config="$E2E_ARTIFACTS/weston.ini" --debug \
    --log="$E2E_ARTIFACTS/weston.log" >/dev/null 2>&1 &
WESTON_PID=$!
wait_until 20 seat_ready || die "weston did not start with a keyboard and a pointer: $(tail -n 5 "$E2E_ARTIFACTS/weston.log")"
pass "weston runs on $WAYLAND_DISPLAY with a keyboard and a pointer"
desktop_drawn() { grab "$E2E_ARTIFACTS/.desktop.png" && between "$(covered "$E2E_ARTIFACTS/.desktop.png")" 0 0.01; }
wait_until 20 desktop_drawn || die "weston's desktop is not drawn (or not in its background colour)"
shot desktop >/dev/null
# Weston's window on the X display takes the keys where the pointer is.
xdotool mousemove $((SCREEN_W / 2)) $((SCREEN_H - 5))

# ------------------------------------------------------------ the quiz
# A waiting time the quiz cannot read (it plays the default, 2 s): only a
# save at the end writes the line anew, so the line shows that the settings
# were saved at SIGTERM whatever the pointer did on the way.
sed -i '21s/^[^\r]*/x/' "$DATA/options.txt"
[ "$(file_line "$DATA/options.txt" 21)" = x ] || die "the waiting time line could not be prepared"
parec -d quiz.monitor --format=s16le --rate=16000 --channels=1 --raw >"$E2E_ARTIFACTS/heard.raw" 2>/dev/null &
PAREC_PID=$!
(cd / && unset DISPLAY XAUTHORITY && export QT_QPA_PLATFORM=wayland && exec "$DIR/quiz") >>"$LOG" 2>&1 &
QUIZ_PID=$!
wait_until 30 notice_up || die "no start-up notice on weston's screen within 30 s: $(head -c 400 "$LOG")"
pass "the start-up notice is shown"
shot notice >/dev/null
check "the quiz runs on Qt's Wayland platform, not on X" speaks_wayland
check "the quiz has no X display to fall back on" bash -c "! tr '\0' '\n' </proc/$QUIZ_PID/environ | grep -q '^DISPLAY='"
xdotool key Return
wait_until 20 window_fills_screen || die "the window did not fill the screen within 20 s of the notice"
pass "the window fills weston's screen and shows the three panels"
shot window >/dev/null

# The first question's clip, then a click: judged, counted, the answer heard.
sleep 2
# shellcheck disable=SC2046
click "$PLAY_X" "$(panel_y 2)"
check "the click is counted" wait_until 5 counted_is 1
sleep 1.5
kill "$PAREC_PID" 2>/dev/null
wait "$PAREC_PID" 2>/dev/null
PAREC_PID=
peak=$(sox -t raw -e signed -b 16 -r 16000 -c 1 "$E2E_ARTIFACTS/heard.raw" -n stat 2>&1 | awk '/^Maximum amplitude/ {print $3}')
echo "figure wayland_sound_peak ${peak:-0} of_full_scale"
check "the clips are heard on the sound server's sink (peak ${peak:-0})" between "${peak:-0}" 0.05 1
rm -f "$E2E_ARTIFACTS/heard.raw"

# The teacher's chord, through the compositor.
xdotool keydown ctrl keydown shift keydown F1 keyup F1 keyup shift keyup ctrl
wait_until 5 pane_is_open || die "Ctrl+Shift+F1 did not open the options pane"
pass "Ctrl+Shift+F1 opens the options pane"
sleep 1
shot options-pane >/dev/null

kill -TERM "$QUIZ_PID"
check "SIGTERM ends the quiz with status 0" wait_exit 15
check "the settings were saved at SIGTERM: the waiting time written back as 2" wait_line_is 2
check "the options file keeps 21 CR LF lines" crlf_lines "$DATA/options.txt" 21
check "the answer is kept in results.db" counted_is 1
if [ -s "$LOG" ]; then
    log "the program's output: $(head -c 600 "$LOG")"
fi

summary
[ "$E2E_FAILED" -eq 0 ]
