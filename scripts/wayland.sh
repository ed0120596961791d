#!/usr/bin/env bash
# A short end-to-end run of the real quiz on Wayland (tests/e2e/wayland.sh):
# Debian's compositor (weston) and the quiz with QT_QPA_PLATFORM=wayland and
# no X display of its own. Weston draws into a virtual X display, which is
# only its screen and its keyboard and pointer: its headless backend has no
# seat at all, so nothing could press a key or click there.
# Usage: wayland.sh [build-dir]   (default: build; it must be built already)
# Prints one PASS or FAIL line per check and exits non-zero when one failed.
# Weston's screenshots and logs are kept in <build-dir>/e2e-wayland/.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(cd "${1:-build}" && pwd) || exit 1

for tool in xvfb-run xdotool weston weston-screenshooter weston-info convert sqlite3 pactl parec sox; do
    if ! command -v "$tool" >/dev/null; then
        echo "wayland: FAIL: $tool is missing (bash scripts/install-deps.sh test installs it)"
        exit 1
    fi
done
if ! ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1; then
    echo "wayland: FAIL: Qt's Wayland platform plugin is missing (qt6-wayland)"
    exit 1
fi
if [ ! -x "$build/program/quiz" ]; then
    echo "wayland: FAIL: $build/program/quiz is not built"
    exit 1
fi

artifacts=$build/e2e-wayland
rm -rf "$artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d /tmp/quiz-wayland.XXXXXX)
# The compositor's socket lies beside the sound server's, in the private
# runtime folder of the sound server; scripts/test.sh has one running
# already, alone this script starts its own.
unset WAYLAND_DISPLAY
trap 'rm -rf "$work"' EXIT
if ! pactl info >/dev/null 2>&1; then
    # shellcheck source=scripts/sound-server.sh
    source scripts/sound-server.sh
    start_sound_server
    trap 'stop_sound_server; rm -rf "$work"' EXIT
    if [ -n "${QUIZ_NO_SOUND_SERVER:-}" ]; then
        echo "wayland: FAIL: $QUIZ_NO_SOUND_SERVER"
        exit 1
    fi
fi

# A fresh program folder with the default settings.
prog=$work/program
mkdir -p "$prog"
cp -a "$build/program/quiz" "$build/program/quiz-window.so" "$build/program/help.htm" "$prog/"
cp -a "$root/appdir/Data" "$prog/"

echo "0 1" >"$work/result"
start=$(date +%s)
xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" \
    bash tests/e2e/wayland.sh "$prog" "$artifacts" "$work/result" 2>&1 | tee "$artifacts/wayland.log"
status=${PIPESTATUS[0]}
read -r passed failed <"$work/result"
[ "$status" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
echo "Screenshots and logs: $artifacts"
if [ "$failed" -eq 0 ]; then
    echo "wayland: PASS"
else
    echo "wayland: FAIL"
fi
echo "wayland: $passed passed, $failed failed, $(($(date +%s) - start)) s"
[ "$failed" -eq 0 ]
