#!/usr/bin/env bash
# End-to-end tests of the real executable under a virtual X display:
#   tests/e2e/program.sh  the quiz played and set up with real clicks and keys,
#                         quit and started again, its files checked on disk;
#   tests/e2e/access.sh   keyboard play and the child lock under a window
#                         manager: Down and Return, Alt+F4, SIGTERM;
#   tests/e2e/install.sh  `cmake --install` into a program folder, installed
#                         again over a teacher's settings, started from there;
#   tests/e2e/screens.sh  every page at 1024x600, 1366x768, 1920x1080 and at
#                         a scale factor of 2, as screenshots.
# Usage: e2e.sh [build-dir]   (default: build; it must be built already)
# Prints one PASS or FAIL line per check and exits non-zero when one failed.
# Screenshots of every step are kept in <build-dir>/e2e/.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(cd "${1:-build}" && pwd) || exit 1

for tool in xvfb-run Xvfb xdotool setxkbmap import convert sqlite3 psql xdpyinfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "e2e: FAIL: $tool is missing (bash scripts/install-deps.sh test installs it)"
        exit 1
    fi
done
if [ ! -x "$build/program/quiz" ]; then
    echo "e2e: FAIL: $build/program/quiz is not built"
    exit 1
fi

# The clips need a sound server; scripts/test.sh has one running already.
if ! pactl info >/dev/null 2>&1; then
    # shellcheck source=scripts/sound-server.sh
    source scripts/sound-server.sh
    start_sound_server
    trap stop_sound_server EXIT
fi

artifacts=$build/e2e
rm -rf "$artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d /tmp/quiz-e2e.XXXXXX)
trap 'rm -rf "$work"; command -v stop_sound_server >/dev/null && stop_sound_server' EXIT

# A fresh copy of the program folder as the build lays it out, with the
# default settings, so that nothing left by an earlier run counts. The
# options ask always for the first choice (red) and wait one second.
prog=$work/program
mkdir -p "$prog"
cp -a "$build/program/quiz" "$build/program/quiz-window.so" "$build/program/help.htm" "$prog/"
cp -a "$root/appdir/Data" "$prog/"
sed -i -e '1s/^.*\r$/1\r/' -e '21s/^.*\r$/1\r/' "$prog/Data/options.txt"

passed=0
failed=0
run() { # name script args...
    local name=$1 result=$work/$1.result start status
    shift
    mkdir -p "$artifacts/$name"
    echo "0 1" >"$result"
    start=$(date +%s)
    xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" \
        bash "$@" "$artifacts/$name" "$result" 2>&1 | tee "$artifacts/$name.log"
    status=${PIPESTATUS[0]}
    read -r p f <"$result"
    [ "$status" -ne 0 ] && [ "$f" -eq 0 ] && f=1
    passed=$((passed + p))
    failed=$((failed + f))
    echo "e2e $name: $p checks passed, $f failed, $(($(date +%s) - start)) s"
}

# A copy of its own, before the program run changes the first one.
cp -a "$prog" "$work/access"
run program tests/e2e/program.sh "$prog"
run access tests/e2e/access.sh "$work/access"
run install tests/e2e/install.sh "$build" "$work/installed"
# Every page at four screen sizes, kept as screenshots to be looked at.
run screens tests/e2e/screens.sh "$build" "$root"
# Two programs sharing one table on a PostgreSQL server: scripts/test.sh has
# one running; alone, this script starts its own.
if [ -z "${QUIZ_PG_DIR:-}" ]; then
    # shellcheck source=scripts/pg-server.sh
    source scripts/pg-server.sh
    start_pg_server || echo "e2e: the PostgreSQL test server could not be started"
    trap 'rm -rf "$work"; stop_pg_server; command -v stop_sound_server >/dev/null && stop_sound_server' EXIT
fi
run school tests/e2e/school.sh "$build" "$root"

# The reports a parent and a teacher take home, made with the buttons of the
# window's children's page by the reports' test program (the dialogs
# answered by it): report-child.pdf and report-class.pdf in the artefacts.
reports_log=$artifacts/reports.log
report_status=0
QT_QPA_PLATFORM=offscreen QUIZ_REPORT_ARTIFACTS=$artifacts \
    "$build/tests/records/tst_report" reportsFromTheChildrenPage >"$reports_log" 2>&1 || report_status=1
for report in report-child.pdf report-class.pdf; do
    if [ "$report_status" -eq 0 ] && [ -s "$artifacts/$report" ] && head -c 5 "$artifacts/$report" | grep -q '%PDF-'; then
        echo "PASS: the $report of the children's page"
        passed=$((passed + 1))
    else
        echo "FAIL: the $report of the children's page (see $reports_log)"
        failed=$((failed + 1))
    fi
done

echo "Screenshots and logs: $artifacts"
if [ "$failed" -eq 0 ]; then
    echo "e2e: PASS"
else
    echo "e2e: FAIL"
fi
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
