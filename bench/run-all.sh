#!/usr/bin/env bash
# Every figure of the quiz in one run on one machine: builds the program, the
# benchmarks, the soak program and the crash test in one Release folder,
# then runs them one after another, each alone, with a private sound server.
# Usage: bench/run-all.sh [build-dir]   (default: build-bench)
# The output of each program goes to the terminal and to <build-dir>/figures/.
set -u
cd "$(dirname "$0")/.."
build=${1:-build-bench}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
benches=$(sed -n 's/^quiz_add_bench(\([A-Za-z0-9_]*\) .*/\1/p' bench/CMakeLists.txt)
# shellcheck disable=SC2086
cmake --build "$build" -j"$(nproc)" --target quiz tst_crash $benches || exit 1

source scripts/sound-server.sh
start_sound_server
source scripts/pg-server.sh
start_pg_server || echo "no PostgreSQL server: bench_school will fail"
trap 'stop_sound_server; stop_pg_server' EXIT

out=$build/figures
mkdir -p "$out"
figure() { # name command...
    local name=$1
    shift
    echo "=== $name"
    local start=$(date +%s)
    "$@" 2>"$out/$name.err" | tee "$out/$name.txt"
    echo "($name: exit ${PIPESTATUS[0]}, $(($(date +%s) - start)) s)"
}
export QT_QPA_PLATFORM=offscreen QUIZ_APPDIR_TEMPLATE=$PWD/appdir
for b in $benches; do
    [ "$b" = soak ] && continue
    figure "$b" "$build/bench/$b"
done
figure soak "$build/bench/soak" 10000
figure crash "$build/tests/crash/tst_crash" --kills 200
unset QT_QPA_PLATFORM
figure xvfb-startup bash bench/xvfb-startup.sh "$build" 10
