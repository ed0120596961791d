#!/usr/bin/env bash
# Every page of the quiz on the screens schools have: 1024x600 (a small
# netbook), 1366x768, 1920x1080 and a 2560x1600 screen at a scale factor of
# 2, each on an X display of its own with a window manager, so that message
# boxes get their title bars. The screenshots are kept to be looked at: the
# play area after an answer, the options pane's two pages, a message box and
# the help window. The checks are that every page comes up.
# Run inside xvfb-run (see scripts/e2e.sh).
#
# Usage: screens.sh BUILD_DIR SOURCE_DIR ARTIFACTS_FOLDER RESULT_FILE
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=$1
ROOT=$2
E2E_ARTIFACTS=$3
E2E_RESULT=$4
E2E_T0=$(date +%s.%N)
# shellcheck source=tests/e2e/lib.sh
source "$HERE/lib.sh"

work=$(mktemp -d /tmp/quiz-screens.XXXXXX)
XVFB= WM=
cleanup() {
    stop_quiz
    for p in $WM $XVFB; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
OUTER_DISPLAY=$DISPLAY

# S N: N logical pixels in physical ones.
S() { echo $(($1 * SCALE)); }
# A control of the options pane from its place on the page, as pane_point.
spoint() { # left top width height
    echo $((PANE_X + $(S $(($1 + $3 / 2))))) $((TABBAR_H + $(S $(($2 + $4 / 2)))))
}
top_window() { # title: the first visible window with it
    windows_named "$1" | head -n1
}

screen_run() { # name width height scale
    local name=$1 n
    SCREEN_W=$2 SCREEN_H=$3 SCALE=$4
    PANE_X=$((SCREEN_W - $(S 430)))
    TABBAR_H=$(S 25)
    TAB_LESSONS_X=$((SCREEN_W - $(S 48)))
    TAB_CHILDREN_X=$((SCREEN_W - $(S 156)))
    TAB_Y=$(S 12)
    PLAY_X=$((SCREEN_W / 2))
    STRIP_H=$(S 25)
    PANEL_H=$(((SCREEN_H - STRIP_H) / 3))
    log "screen $name: ${SCREEN_W}x${SCREEN_H}, scale $SCALE"

    for n in $(seq 70 99); do
        [ -e "/tmp/.X$n-lock" ] || { DISPLAY=:$n; break; }
    done
    export DISPLAY
    Xvfb "$DISPLAY" -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp >/dev/null 2>&1 &
    XVFB=$!
    wait_until 10 xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 || die "the $name screen did not start"
    openbox --sm-disable >"$E2E_ARTIFACTS/openbox-$name.log" 2>&1 &
    WM=$!
    sleep 1

    rm -rf "$work/p"
    mkdir -p "$work/p"
    cp -a "$BUILD/program/quiz" "$BUILD/program/quiz-window.so" "$BUILD/program/help.htm" "$work/p/"
    cp -a "$ROOT/appdir/Data" "$work/p/"
    # Always the first choice, one second between questions.
    sed -i -e '1s/^.*\r$/1\r/' -e '21s/^.*\r$/1\r/' "$work/p/Data/options.txt"

    E2E_SHOT=0
    local shots=$E2E_ARTIFACTS/$name
    mkdir -p "$shots"
    local keep=$E2E_ARTIFACTS
    E2E_ARTIFACTS=$shots
    if [ "$SCALE" -ne 1 ]; then
        export QT_SCALE_FACTOR=$SCALE
    else
        unset QT_SCALE_FACTOR
    fi
    start_quiz "$work/p/quiz" "$shots/quiz.log"
    through_notice
    # One right and one wrong answer, so that the strip shows both counts.
    click "$PLAY_X" "$(panel_y 1)"
    sleep 1.5
    click "$PLAY_X" "$(panel_y 2)"
    sleep 0.5
    shot "play" >/dev/null
    sleep 1
    options_chord
    sleep 1
    shot "options-lessons" >/dev/null
    click "$TAB_CHILDREN_X" "$TAB_Y"
    sleep 1
    shot "options-children" >/dev/null
    click "$TAB_LESSONS_X" "$TAB_Y"
    sleep 0.5
    # shellcheck disable=SC2046
    click $(spoint 150 155 100 22)        # SpeedButton6 "حذف الدرس المختار", nothing chosen
    if wait_until 5 has_window "$APP_TITLE"; then
        pass "$name: a message box comes up"
        sleep 0.5
        shot "message" >/dev/null
        xdotool key Return
        wait_until 5 no_window "$APP_TITLE"
    else
        fail "$name: no message box"
    fi
    # shellcheck disable=SC2046
    click $(spoint 8 94 75 25)            # BitBtn2 "مساعدة"
    sleep 2
    shot "help" >/dev/null
    stop_quiz
    E2E_ARTIFACTS=$keep
    kill "$WM" "$XVFB" 2>/dev/null
    wait "$WM" "$XVFB" 2>/dev/null
    WM= XVFB=
    export DISPLAY=$OUTER_DISPLAY
}

screen_run 1024x600 1024 600 1
screen_run 1366x768 1366 768 1
screen_run 1920x1080 1920 1080 1
screen_run scale2 2560 1600 2
summary
