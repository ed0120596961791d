#!/usr/bin/env bash
# Start-up of the real program beside a bare Qt window (one label, full
# screen, right to left: bench_bare_window), under a virtual X display.
# Each run starts both, one after the other, in turns which goes first, so
# that a busy moment of the machine weighs on both alike; the quiz each time
# from a fresh copy of its program folder. Prints, as medians:
#   - process start to the first frame on the screen, for the bare window
#     and for the quiz (its start-up notice), and their ratio;
#   - the notice dismissed (a key press) to a sound stream of the quiz
#     running on the sound server (the quiz keeps its stream running from
#     the notice on, so this only shows that sound is ready; what is heard,
#     and when, is measured by bench_heard);
#   - the quiz's peak resident memory once its first question plays.
# "On the screen" is timed from outside by bench_first_frame: the first
# drawing the X server reports after the process was created (see there).
# The last lines are "figure <name> <value> <unit>".
# Usage: xvfb-startup.sh [build-dir] [runs]   (default: build, 15)
# Needs a sound server (scripts/sound-server.sh), xvfb-run, xdotool, pactl,
# and the programs bench_first_frame and bench_bare_window built.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(cd "${1:-build}" && pwd) || exit 1
runs=${2:-15}

for program in bench/bench_first_frame bench/bench_bare_window program/quiz; do
    [ -x "$build/$program" ] || { echo "xvfb-startup: $build/$program is not built" >&2; exit 1; }
done

# A display of its own: another client drawing would count as the program.
if [ -z "${QUIZ_XVFB_INNER:-}" ]; then
    if ! pactl info >/dev/null 2>&1; then
        # shellcheck source=scripts/sound-server.sh
        source scripts/sound-server.sh
        start_sound_server
        trap stop_sound_server EXIT
    fi
    QUIZ_XVFB_INNER=1 xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" bash "$0" "$build" "$runs"
    exit $?
fi
unset QT_QPA_PLATFORM

now_ms() { echo $(($(date +%s%N) / 1000000)); }
# Whether a sound stream of the process is running (loaded clips have
# their streams paused, "corked"; the question clip's runs).
playing() {
    pactl list sink-inputs 2>/dev/null | awk -v pid="\"$1\"" '
        /^Sink Input #/ { corked = "" }
        /Corked:/ { corked = $2 }
        /application.process.id =/ && $3 == pid && corked == "no" { found = 1 }
        END { exit !found }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
stop() { # pid: the program is not a child of this shell
    kill -9 "$1" 2>/dev/null
    for _ in $(seq 200); do
        [ -e "/proc/$1" ] || return 0
        sleep 0.01
    done
}

work=$(mktemp -d /tmp/quiz-xvfb-startup.XXXXXX)
trap 'rm -rf "$work"' EXIT

bare() {
    "$build/bench/bench_first_frame" --kill -- "$build/bench/bench_bare_window" | awk '{ print $1 }'
}

# Starts the quiz, dismisses its notice and waits for the first question;
# prints "notice-ms question-ms peak-KiB".
quiz() {
    local prog=$work/run$1 out pid win t2 t3= hwm
    rm -rf "$prog"
    mkdir -p "$prog"
    cp -a "$build/program/quiz" "$build/program/quiz-window.so" "$build/program/help.htm" "$prog/"
    cp -a "$root/appdir/Data" "$prog/"
    out=$("$build/bench/bench_first_frame" --log "$work/run$1.log" -- "$prog/quiz") || {
        tail -n 5 "$work/run$1.log" >&2
        return 1
    }
    pid=${out##* }
    # The notice is shown from inside the main window's show event, before
    # the main window is mapped: it is the program's only visible window.
    win=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | tail -n 1)
    [ -n "$win" ] && xdotool key --window "$win" Return 2>/dev/null
    t2=$(now_ms)
    for i in $(seq 3000); do
        if playing "$pid"; then
            t3=$(now_ms)
            break
        fi
        # A key that went to a window closing just then: the notice is still up.
        if [ $((i % 50)) -eq 0 ]; then
            for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
                [ "$(xdotool getwindowname "$w" 2>/dev/null)" != Form1 ] && xdotool key --window "$w" Return 2>/dev/null
            done
        fi
        sleep 0.005
    done
    # The question's clip sounds a moment longer before the peak is read.
    sleep 0.3
    hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
    stop "$pid"
    if [ -z "$t3" ]; then
        echo "run $1: no clip started after the notice" >&2
        return 1
    fi
    echo "${out%% *} $((t3 - t2)) $hwm"
}

# One start of each, not counted: the first start reads the libraries from
# disk, the later ones from memory.
bare >/dev/null
quiz 0 >/dev/null

bare_ms=()
notice=()
question=()
peak=()
for run in $(seq "$runs"); do
    if [ $((run % 2)) -eq 0 ]; then
        b=$(bare)
        q=$(quiz "$run")
    else
        q=$(quiz "$run")
        b=$(bare)
    fi
    if [ -z "$b" ] || [ -z "$q" ]; then
        echo "run $run: failed" >&2
        continue
    fi
    read -r n s h <<<"$q"
    bare_ms+=("$b")
    notice+=("$n")
    question+=("$s")
    peak+=("$h")
    echo "run $run: bare window $b ms, notice $n ms, first question playing $s ms after the notice, peak $h KiB"
done
[ ${#notice[@]} -gt 0 ] || { echo "no run finished"; exit 1; }
b=$(printf '%s\n' "${bare_ms[@]}" | median)
n=$(printf '%s\n' "${notice[@]}" | median)
echo "real program and bare window under Xvfb, ${#notice[@]} runs (medians):"
echo "  process start to the bare window's first frame: $b ms"
echo "  process start to the notice's first frame: $n ms"
echo "  notice dismissed to the quiz's sound stream running: $(printf '%s\n' "${question[@]}" | median) ms"
echo "  peak resident memory at the first question: $(printf '%s\n' "${peak[@]}" | median) KiB"
echo "figure bare_window_visible_ms $b ms"
echo "figure notice_visible_ms $n ms"
awk -v n="$n" -v b="$b" 'BEGIN { printf "figure notice_vs_bare_ratio %.2f x\n", n / b }'
echo "figure notice_dismissed_to_stream_running_ms $(printf '%s\n' "${question[@]}" | median) ms"
printf '%s\n' "${peak[@]}" | median | awk '{ printf "figure peak_rss_first_question_mb %.1f MB\n", $1 / 1024 }'
