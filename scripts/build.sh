#!/usr/bin/env bash
# Configures and builds into the given folder (default: build).
# Usage: build.sh [build-dir] [extra cmake arguments...]
set -eu
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
