#!/usr/bin/env bash
# Configures and builds into the given folder (default: build): everything,
# or only the targets named with --target (scripts/run.sh builds only the
# program it installs, not the tests and benchmarks).
# Usage: build.sh [--target T]... [build-dir] [extra cmake arguments...]
set -eu
cd "$(dirname "$0")/.."
targets=()
while [ "${1:-}" = --target ]; do
    targets+=(--target "$2")
    shift 2
done
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
