# Helpers for driving the real quiz under an X server with xdotool.
# Sourced by the end-to-end scenarios; they run inside xvfb-run with a
# 1280x800 screen, so DISPLAY is set and nothing else draws on it.

# The geometry of the full-screen window on that screen. Without a window
# manager the window takes the whole screen.
SCREEN_W=1280
SCREEN_H=800
STRIP_H=25                       # status strip at the bottom
PANEL_H=$(((SCREEN_H - STRIP_H) / 3))
PANE_W=430                       # the options pane, docked right
PANE_X=$((SCREEN_W - PANE_W))
TABBAR_H=25                      # the pane's tab bar, measured on a screenshot
# The tabs run from the right: the lessons page first, then the children's.
TAB_LESSONS_X=1232
TAB_CHILDREN_X=1124
TAB_Y=12

APP_TITLE='اختبار الأطفال'       # caption of the notice and of every message box
MAIN_TITLE='Form1'

E2E_PASSED=${E2E_PASSED:-0}
E2E_FAILED=${E2E_FAILED:-0}
E2E_SHOT=0

log() { printf '[%6.1fs] %s\n' "$(since "${E2E_T0:-0}")" "$*"; }
# since T: seconds from T (date +%s.%N) to now.
since() { awk -v now="$(date +%s.%N)" -v t="$1" 'BEGIN { printf "%.2f", now - t }'; }

pass() { E2E_PASSED=$((E2E_PASSED + 1)); log "PASS: $*"; }
fail() { E2E_FAILED=$((E2E_FAILED + 1)); log "FAIL: $*"; shot "failure"; }
# check "what" command...: passes when the command succeeds.
check() {
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
# Stops the scenario: what follows depends on the step that failed.
die() {
    fail "$*"
    stop_quiz
    summary
    exit 1
}
summary() {
    echo "$E2E_PASSED $E2E_FAILED" >"${E2E_RESULT:-/dev/null}"
}

# Numbered screenshots in the artifacts folder, to look at after a run.
shot() {
    E2E_SHOT=$((E2E_SHOT + 1))
    local f
    f=$(printf '%s/%02d-%s.png' "$E2E_ARTIFACTS" "$E2E_SHOT" "$1")
    import -window root "$f" 2>/dev/null && echo "$f"
}

# The visible top-level windows with exactly this title.
windows_named() {
    local w
    for w in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        echo "$w"
    done
}
# Visible windows with a title, one "id title" a line.
visible_windows() {
    local w
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        echo "$w $(xdotool getwindowname "$w" 2>/dev/null)"
    done
}

# wait_until SECONDS command...: polls every 0.1 s.
wait_until() {
    local limit=$1 i
    shift
    for ((i = 0; i < limit * 10; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
has_window() { [ -n "$(windows_named "$1")" ]; }
no_window() { [ -z "$(windows_named "$1")" ]; }
# Only the main window is up: no message, error or input box.
only_main_window() { [ "$(visible_windows | wc -l)" -eq 1 ] && has_window "$MAIN_TITLE"; }

click() {
    # No --sync: it waits for a motion event, and there is none when the
    # pointer is already there. The click follows the move in order anyway.
    xdotool mousemove "$1" "$2" click 1
}

# The options chord as a person types it. The server's own keymap makes
# Ctrl+Alt+F1 a "switch console" action and swallows the key press; without
# that action the press reaches the window like any other key.
options_chord() {
    setxkbmap -option srvrkeys:none
    xdotool keydown ctrl keydown alt keydown F1 keyup F1 keyup alt keyup ctrl
}

# rgb X Y [screenshot]: "r g b" of one pixel, 0..255.
rgb() {
    local f=${3:-$E2E_ARTIFACTS/.probe.png}
    [ -n "${3:-}" ] || import -window root "$f" 2>/dev/null
    convert "$f" -format "%[fx:int(255*p{$1,$2}.r+0.5)] %[fx:int(255*p{$1,$2}.g+0.5)] %[fx:int(255*p{$1,$2}.b+0.5)]" info:
}
# colour_name R G B: red, yellow, blue or other.
colour_name() {
    local r=$1 g=$2 b=$3
    if [ "$r" -gt 200 ] && [ "$g" -lt 60 ] && [ "$b" -lt 60 ]; then echo red
    elif [ "$r" -gt 200 ] && [ "$g" -gt 200 ] && [ "$b" -lt 60 ]; then echo yellow
    elif [ "$r" -lt 60 ] && [ "$g" -lt 60 ] && [ "$b" -gt 200 ]; then echo blue
    else echo other; fi
}
# panel_colours X: the colours at the middle of the three choice panels, top
# to bottom, from one screenshot.
panel_colours() {
    local f=$E2E_ARTIFACTS/.panels.png y out=()
    import -window root "$f" 2>/dev/null || return 1
    for y in $(panel_y 1) $(panel_y 2) $(panel_y 3); do
        # shellcheck disable=SC2046
        out+=("$(colour_name $(rgb "$1" "$y" "$f"))")
    done
    echo "${out[*]}"
}
panel_y() { echo $((PANEL_H * ($1 - 1) + PANEL_H / 2)); }
# The middle of the play area: the whole width in play mode, what the pane
# leaves in options mode.
PLAY_X=$((SCREEN_W / 2))
OPTIONS_PLAY_X=$((PANE_X / 2))

# A point of a control on the options pane, from its (left, top) and size as
# optionspage.cpp places it, relative to the page below the tab bar.
pane_point() { # left top width height [parent_left parent_top]
    echo $((PANE_X + ${5:-0} + $1 + $3 / 2)) $((TABBAR_H + ${6:-0} + $2 + $4 / 2))
}

# Starts the quiz from another working folder than its own: it must find
# its files beside the program file, not in the current directory.
QUIZ_PID=
start_quiz() {
    local program=$1 log=$2
    (cd / && unset QT_QPA_PLATFORM && exec "$program") >>"$log" 2>&1 &
    QUIZ_PID=$!
}
# Waits for the start-up notice, dismisses it and waits for the main window.
through_notice() {
    wait_until 30 has_window "$APP_TITLE" || die "the start-up notice did not appear within 30 s"
    pass "the start-up notice is shown"
    shot "notice" >/dev/null
    check "the main window waits behind the notice" no_window "$MAIN_TITLE"
    xdotool key Return
    wait_until 20 has_window "$MAIN_TITLE" || die "the main window did not appear within 20 s of the notice"
    wait_until 10 no_window "$APP_TITLE" || die "a message box is up after the notice: $(visible_windows)"
    local geometry
    geometry=$(xdotool getwindowgeometry "$(windows_named "$MAIN_TITLE" | head -n1)" | awk '/Geometry/ {print $2}')
    check "the window fills the screen ($geometry)" [ "$geometry" = "${SCREEN_W}x${SCREEN_H}" ]
}
# wait_exit SECONDS: true when the quiz ended in time with status 0.
wait_exit() {
    wait_until "$1" quiz_ended || return 1
    wait "$QUIZ_PID"
    local status=$?
    QUIZ_PID=
    [ "$status" -eq 0 ]
}
quiz_ended() { ! kill -0 "$QUIZ_PID" 2>/dev/null; }
stop_quiz() {
    if [ -n "$QUIZ_PID" ] && kill -0 "$QUIZ_PID" 2>/dev/null; then
        kill "$QUIZ_PID" 2>/dev/null
        wait "$QUIZ_PID" 2>/dev/null
    fi
    QUIZ_PID=
}
# Quits through the exit button on the options pane (opening the pane first
# when it is closed) and waits for the program to end.
quit_by_exit_button() {
    local pane_open=$1
    if [ "$pane_open" != open ]; then
        options_chord
        wait_until 5 pane_is_open || die "the options pane did not open for quitting"
    fi
    click "$TAB_LESSONS_X" "$TAB_Y"
    # shellcheck disable=SC2046
    click $(pane_point 8 8 75 25)     # BitBtn1 "الخروج"
    wait_exit 20 || die "the quiz did not end within 20 s of the exit button: $(visible_windows)"
    pass "the exit button ends the program with status 0"
}
# The current-lesson field (88, 37, 165 x 21) is yellow on the lessons page
# of the open pane; probed just inside its top edge, above any text.
pane_is_open() {
    # shellcheck disable=SC2046
    [ "$(colour_name $(rgb $((PANE_X + 88 + 82)) $((TABBAR_H + 37 + 3))))" = yellow ]
}

# file_line FILE N: line N without its CR LF.
file_line() { sed -n "${2}p" "$1" | tr -d '\r'; }
# Every line of the file ends with CR LF, and there are N lines.
crlf_lines() {
    local f=$1 n=$2
    [ "$(wc -l <"$f")" -eq "$n" ] || return 1
    [ "$(grep -c $'\r$' "$f")" -eq "$n" ] || return 1
    [ "$(tail -c 2 "$f" | od -An -c | tr -d ' ')" = '\r\n' ]
}
# sql DB QUERY: one result, fields separated by "|".
sql() { sqlite3 -readonly "$1" "$2"; }
