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
# The sound tests need the server: without it they would be skipped, which
# would hide a broken machine.
if [ -n "${QUIZ_NO_SOUND_SERVER:-}" ]; then
    echo "test: FAIL: no sound server for the tests: $QUIZ_NO_SOUND_SERVER" >&2
    exit 1
fi
# A throwaway PostgreSQL server for the school server's tests; they fail
# (they are not skipped) when it could not be started.
source scripts/pg-server.sh
start_pg_server || echo "The PostgreSQL test server could not be started: the school server tests will fail."
# A private CUPS server with the cups-pdf printer for the printing test,
# which fails (it is not skipped) when the server could not be started.
source scripts/cups-server.sh
start_cups_server || echo "test: the CUPS test server could not be started: ${QUIZ_NO_CUPS:-}" >&2
export QUIZ_PRINT_TEST=required
trap 'stop_sound_server; stop_pg_server; stop_cups_server' EXIT

# The suite runs under the Arabic locale, as the quiz's users have it:
# numbers shown in Arabic-Indic digits, Arabic collation and plurals.
bash scripts/arabic-locale.sh
cd build
(
    for v in $(env | sed -n 's/^\(LC_[A-Z_]*\)=.*/\1/p'); do unset "$v"; done
    export LANG=ar_EG.UTF-8
    unset LANGUAGE
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
)

# The real program under a virtual X display: played, set up, quit, started
# again, installed; prints one PASS or FAIL line per check.
cd ..
bash scripts/e2e.sh build

# The same program on Wayland: Debian's compositor, the quiz on Qt's Wayland
# platform, its notice, window, sound and settings saved at SIGTERM.
bash scripts/wayland.sh build

# The Debian package built, installed with apt-get and played in a new
# ordinary account under a window manager and the Arabic locale, then purged;
# before that, lintian, appstreamcli, desktop-file-validate and
# hardening-check judge it.
bash scripts/classroom.sh build

# Every reader of outside data under random input for 30 s each (the list
# is tests/fuzz/CMakeLists.txt), built with clang, ASan and UBSan from the
# core library as the program uses it; a crash, a sanitizer report, a hang or
# a broken property fails the run. Each prints its runs and features.
bash scripts/fuzz.sh 30

# The whole suite once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer in a second folder: any memory error, undefined
# behaviour or leak of our own code fails its test. Only the test programs
# are built there. GCC's flow warnings misfire on the instrumented code; the
# normal build above keeps them.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIZ_SANITIZE=ON \
    -DCMAKE_CXX_FLAGS="-Wno-maybe-uninitialized -Wno-array-bounds" >/dev/null
cmake --build build-asan --target quiz_tests -j"$(nproc)"
# Whole stacks (not the fast frame-pointer walk, which stops in the system
# libraries) so that a leak is matched against tests/lsan.supp by every
# library it passed through.
# The sanitizer's own bookkeeping of thread-local blocks is switched off: this
# compiler's runtime takes a block that the heap happens to place 16 bytes into
# a page for an old C library's block with a header, reads a start address out
# of the heap's chunk header and crashes its leak check scanning there (seen
# as "Tracer caught signal 11" at the end of a passing test program). Those
# blocks are ordinary heap blocks here, still found through each thread's
# block table.
(
    cd build-asan
    export ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0:malloc_context_size=40:detect_stack_use_after_return=1:intercept_tls_get_addr=0
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    export LSAN_OPTIONS=suppressions=$PWD/../tests/lsan.supp:print_suppressions=0
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
)
