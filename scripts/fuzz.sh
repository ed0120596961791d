#!/usr/bin/env bash
# Builds every fuzz target of tests/fuzz with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each for a while from a copy of its kept
# corpus (the kept one stays small), with its dictionary. Prints per target
#   fuzz <target>: <executions> runs, <features> features
# and fails on any crash, sanitizer report, leak, hang or allocation beyond
# the limit below; the input that did it is kept beside the log.
# Usage: fuzz.sh [seconds per target, default 30] [target...]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-30}
[ $# -gt 0 ] && shift
build=${QUIZ_FUZZ_BUILD:-build-fuzz}

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DQUIZ_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target quiz_fuzz -j"$(nproc)"

# intercept_tls_get_addr=0: see scripts/test.sh (the leak check's own crash at exit).
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0:intercept_tls_get_addr=0
# The JPEG reader reports every damaged picture; the logs stay readable without.
export QT_LOGGING_RULES="qt.gui.imageio*=false"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen
failed=0
ran=0
# One line per target, written by tests/fuzz/CMakeLists.txt.
while read -r name maxlen dict dirs; do
    if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qx "$name"; then
        continue
    fi
    ran=$((ran + 1))
    corpus=$(mktemp -d)
    for d in ${dirs//,/ }; do
        cp -r "$d/." "$corpus"
    done
    log=$PWD/$build/fuzz-$name.log
    args=(-max_total_time="$seconds" -print_final_stats=1 -max_len="$maxlen"
          -timeout=10 -rss_limit_mb=1024 -malloc_limit_mb=256
          -artifact_prefix="$PWD/$build/fuzz-$name-")
    [ "$dict" != - ] && args+=(-dict="$dict")
    if "$build/tests/fuzz/$name" "${args[@]}" "$corpus" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
        features=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
        cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
        echo "fuzz $name: ${runs:-?} runs, ${features:-?} features (cov ${cov:-?})"
    else
        tail -n 40 "$log"
        echo "fuzz $name: FAIL (log $log, input $build/fuzz-$name-*)"
        failed=1
    fi
    rm -rf "$corpus"
done <"$build/tests/fuzz/fuzz-targets.txt"

if [ "$ran" -eq 0 ]; then
    echo "fuzz: FAIL: no such target: $*"
    exit 1
fi
[ "$failed" -eq 0 ] || { echo "fuzz: FAIL"; exit 1; }
