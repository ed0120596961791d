#!/usr/bin/env bash
# Installs what is missing, builds the quiz and starts it.
set -eu
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
bash scripts/build.sh build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "There is no display to show the quiz on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "Start it from a desktop session, or under a virtual display:" >&2
    echo "    apt-get install xvfb && xvfb-run -a build/program/quiz" >&2
    exit 1
fi
exec build/program/quiz
