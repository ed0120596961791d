#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite.
set -eu
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
bash scripts/build.sh build

# A private sound server with a null sink, so that playback and recording
# use a real server without a sound card.
source scripts/sound-server.sh
start_sound_server
trap stop_sound_server EXIT

cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

# The real program under a virtual X display: played, set up, quit, started
# again, installed; prints one PASS or FAIL line per check.
cd ..
bash scripts/e2e.sh build
