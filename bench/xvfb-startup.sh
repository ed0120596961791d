#!/usr/bin/env bash
# Start-up of the real program under a virtual X display: ten starts, each
# from a fresh copy of the program folder. Prints, as medians:
#   - process start to the start-up notice on the screen,
#   - the notice dismissed to the first question's clip playing (its sound
#     stream running on the sound server),
#   - the two together: start-up to the first question without the reading,
#   - the peak resident memory once the first question plays.
# Usage: xvfb-startup.sh [build-dir] [runs]   (default: build, 10)
# Needs a sound server (scripts/sound-server.sh) and xvfb-run, xdotool, pactl.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(cd "${1:-build}" && pwd) || exit 1
runs=${2:-10}

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

work=$(mktemp -d /tmp/quiz-xvfb-startup.XXXXXX)
trap 'rm -rf "$work"' EXIT
notice=()
question=()
total=()
peak=()
for run in $(seq "$runs"); do
    prog=$work/run$run
    mkdir -p "$prog"
    cp -a "$build/program/quiz" "$build/program/help.htm" "$prog/"
    cp -a "$root/appdir/Data" "$prog/"
    t0=$(now_ms)
    "$prog/quiz" >"$work/run$run.log" 2>&1 &
    pid=$!
    win=
    for _ in $(seq 3000); do
        # The notice: a visible window of the program other than the main one.
        for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
            [ "$(xdotool getwindowname "$w" 2>/dev/null)" != Form1 ] && win=$w
        done
        [ -n "$win" ] && break
        sleep 0.005
    done
    t1=$(now_ms)
    if [ -z "$win" ]; then
        echo "run $run: no window appeared:" >&2
        tail -n 5 "$work/run$run.log" >&2
        kill -9 "$pid" 2>/dev/null
        continue
    fi
    # The notice is the newest window; a key press on it dismisses it.
    xdotool key --window "$win" Return 2>/dev/null
    t2=$(now_ms)
    t3=
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
    hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    if [ -z "$t3" ]; then
        echo "run $run: no clip started after the notice" >&2
        continue
    fi
    notice+=($((t1 - t0)))
    question+=($((t3 - t2)))
    total+=($((t1 - t0 + t3 - t2)))
    peak+=("$hwm")
    echo "run $run: notice after $((t1 - t0)) ms, first question $((t3 - t2)) ms after the notice, peak $hwm KiB"
done
[ ${#total[@]} -gt 0 ] || { echo "no run finished"; exit 1; }
echo "real program under Xvfb, ${#total[@]} runs (medians):"
echo "  process start to the notice shown: $(printf '%s\n' "${notice[@]}" | median) ms"
echo "  notice dismissed to the first question playing: $(printf '%s\n' "${question[@]}" | median) ms"
echo "  start-up to the first question (without the notice's reading): $(printf '%s\n' "${total[@]}" | median) ms"
echo "  peak resident memory at the first question: $(printf '%s\n' "${peak[@]}" | median) KiB"
