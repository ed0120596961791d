#!/usr/bin/env bash
# Every figure of the quiz in one run on one machine: builds the program, the
# benchmarks, the soak program and the crash test in one Release folder,
# then runs them one after another, each alone, with a private sound server.
# The start-up and sound figures come from one virtual display in one go
# (the bare window, the notice, the first question and the clicks), so that
# their ratios hold on a busy machine. Ends with every figure, one a line:
#   figure <name> <value> <unit>
# Usage: bench/run-all.sh [build-dir] [runs]   (default: build-bench, 15)
# The output of each program goes to the terminal and to <build-dir>/figures/.
set -u
cd "$(dirname "$0")/.."
build=${1:-build-bench}
runs=${2:-15}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null || exit 1
benches=$(sed -n 's/^quiz_add_bench(\([A-Za-z0-9_]*\) .*/\1/p' bench/CMakeLists.txt)
# shellcheck disable=SC2086
cmake --build "$build" -j"$(nproc)" --target quiz tst_crash $benches bench_bare_window bench_first_frame || exit 1

source scripts/sound-server.sh
start_sound_server
source scripts/pg-server.sh
start_pg_server || echo "no PostgreSQL server: bench_school will fail"
trap 'stop_sound_server; stop_pg_server' EXIT
if [ -n "${QUIZ_NO_SOUND_SERVER:-}" ]; then
    echo "run-all: no sound server: $QUIZ_NO_SOUND_SERVER" >&2
    exit 1
fi

out=$build/figures
rm -rf "$out"
mkdir -p "$out"
failed=()
figure() { # name command...
    local name=$1
    shift
    echo "=== $name"
    local start=$(date +%s)
    "$@" 2>"$out/$name.err" | tee "$out/$name.txt"
    local status=${PIPESTATUS[0]}
    [ "$status" -eq 0 ] || failed+=("$name")
    echo "($name: exit $status, $(($(date +%s) - start)) s)"
}

# The start-up beside the bare window, then what is heard, on one display.
startup_and_sound() {
    QUIZ_XVFB_INNER=1 xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" \
        bash -c 'bash bench/xvfb-startup.sh "$1" "$2" && "$1/bench/bench_heard" --runs "$2"' _ "$build" "$runs"
}
figure startup-and-sound startup_and_sound

export QT_QPA_PLATFORM=offscreen
for b in $benches; do
    case $b in soak | bench_heard) continue ;; esac
    figure "$b" "$build/bench/$b"
done
figure soak "$build/bench/soak" 10000
figure crash "$build/tests/crash/tst_crash" --kills 200

echo
echo "=== every figure ($(nproc) cores, $(uname -r), $(date -u +%Y-%m-%dT%H:%MZ))"
cat "$out"/startup-and-sound.txt "$out"/soak.txt "$out"/*.txt 2>/dev/null | awk '/^figure / && !seen[$2]++'
if [ ${#failed[@]} -gt 0 ]; then
    echo "run-all: failed: ${failed[*]} (see $out/<name>.err)"
    exit 1
fi
