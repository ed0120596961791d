#!/usr/bin/env bash
# The installed program folder: `cmake --install` lays out a folder that runs
# from anywhere, and installing again never overwrites what a teacher made.
# Run inside xvfb-run (see scripts/e2e.sh).
#
# Usage: install.sh BUILD_FOLDER WORK_FOLDER ARTIFACTS_FOLDER RESULT_FILE
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
BUILD=$1
# A prefix with a blank and Arabic letters in it: paths must be taken whole.
PREFIX="$2/برنامج الأطفال"
E2E_ARTIFACTS=$3
E2E_RESULT=$4
E2E_T0=$(date +%s.%N)
# shellcheck source=tests/e2e/lib.sh
source "$HERE/lib.sh"
trap stop_quiz EXIT
DATA=$PREFIX/Data
LOG=$E2E_ARTIFACTS/quiz.log

install_into() {
    cmake --install "$BUILD" --prefix "$PREFIX" >"$E2E_ARTIFACTS/install-$1.log" 2>&1
}
desktop_key() { grep -m1 "^$1=" "$PREFIX/quiz.desktop" | cut -d= -f2-; }
# name sha256 of every file below the folder, sorted.
snapshot() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
libraries_resolve() {
    ldd "$PREFIX/quiz" "$PREFIX/quiz-window.so" >"$E2E_ARTIFACTS/ldd.txt" 2>&1 || return 1
    ! grep -q 'not found' "$E2E_ARTIFACTS/ldd.txt"
}
# Hints are kept in the artifacts; errors fail.
desktop_entry_valid() { desktop-file-validate "$PREFIX/quiz.desktop" >"$E2E_ARTIFACTS/desktop-file-validate.txt" 2>&1; }
# The icon is drawn with the three choice colours.
icon_has_three_colours() {
    grep -qi '#e5322d' "$PREFIX/quiz.svg" && grep -qi '#ffd21f' "$PREFIX/quiz.svg" &&
        grep -qi '#2b62d9' "$PREFIX/quiz.svg" && grep -q '<svg' "$PREFIX/quiz.svg"
}

# ------------------------------------------------------------ first install
log "installing into $PREFIX"
install_into first || die "cmake --install failed: $(tail -n 5 "$E2E_ARTIFACTS/install-first.log")"
pass "cmake --install succeeds"
for f in quiz help.htm quiz.svg quiz.desktop Data/options.txt Data/CurLesson.txt \
         Data/0.wav Data/color1.wav Data/color2.wav Data/color3.wav Data/true.wav Data/false.wav \
         Data/0.avi Data/color1.avi Data/true.avi Data/false.avi; do
    check "the program folder holds $f" test -f "$PREFIX/$f"
done
check "the program is executable" test -x "$PREFIX/quiz"
check "every library of the program resolves" libraries_resolve
check "the desktop entry runs the installed program, handing it a lesson file" [ "$(desktop_key Exec)" = "\"$PREFIX/quiz\" %f" ]
check "the desktop entry's icon is installed" test -f "$(desktop_key Icon)"
check "the desktop entry has an English name" [ "$(desktop_key Name)" = "Children's Quiz" ]
check "the desktop entry has an Arabic name" [ -n "$(desktop_key 'Name\[ar\]')" ]
check "the desktop entry is an application" [ "$(desktop_key Type)" = Application ]
check "the icon is an SVG drawing in the three colours" icon_has_three_colours
if command -v desktop-file-validate >/dev/null; then
    check "desktop-file-validate accepts the entry" desktop_entry_valid
fi

# ------------------------------------------------------------ it runs
start_quiz "$PREFIX/quiz" "$LOG"
through_notice
check "no message box at the installed program's start" only_main_window
check "the installed program keeps its results beside it" test -f "$PREFIX/results.db"
shot "installed-running" >/dev/null
quit_by_exit_button closed
check "closing wrote the options beside the program" crlf_lines "$DATA/options.txt" 21

# ------------------------------------------------------------ a teacher's work
sqlite3 "$PREFIX/results.db" "INSERT INTO Table1 (Name, Ok, NotOk) VALUES ('ليلى', 7, 3)"
sed -i '6s/^.*\r$/2\r/' "$DATA/options.txt"
mkdir -p "$DATA/maths"
cp "$DATA/options.txt" "$DATA/maths/options.txt"
printf 'maths\r\n' >"$DATA/CurLesson.txt"
cp "$DATA/color2.wav" "$DATA/true.wav"   # a clip recorded anew
rm "$DATA/0.wav"                         # a default file lost
echo broken >"$PREFIX/help.htm"          # a program file damaged
before=$(snapshot "$DATA"; sha256sum <"$PREFIX/results.db")

# ------------------------------------------------------------ install again
install_into second || die "installing again failed: $(tail -n 5 "$E2E_ARTIFACTS/install-second.log")"
pass "installing again over the program folder succeeds"
check "a missing default file is put back" cmp -s "$DATA/0.wav" "$ROOT/appdir/Data/0.wav"
rm "$DATA/0.wav"
after=$(snapshot "$DATA"; sha256sum <"$PREFIX/results.db")
cp "$ROOT/appdir/Data/0.wav" "$DATA/0.wav"
check "the teacher's options, lessons, clips and results are untouched" [ "$before" = "$after" ]
check "the options file keeps the teacher's question type" [ "$(file_line "$DATA/options.txt" 6)" = 2 ]
check "the damaged help page is replaced" cmp -s "$PREFIX/help.htm" "$BUILD/program/help.htm"

# ------------------------------------------------------------ and runs again
start_quiz "$PREFIX/quiz" "$LOG"
through_notice
check "the teacher's lesson loads without a message" only_main_window
shot "reinstalled-running" >/dev/null
quit_by_exit_button closed
check "the current lesson is still the teacher's" [ "$(file_line "$DATA/CurLesson.txt" 1)" = maths ]
check "the teacher's child is still there" \
    [ "$(sql "$PREFIX/results.db" "SELECT Name, Ok, NotOk FROM Table1 WHERE Name = 'ليلى'")" = 'ليلى|7|3' ]

# ------------------------------------------------------------ copied elsewhere
# The folder carries everything: a copy runs from its new place and uses the
# files there, not those of the folder it was copied from.
MOVED="$2/نسخة/quiz copy"
mkdir -p "$(dirname "$MOVED")"
cp -a "$PREFIX" "$MOVED"
printf 'التلقائي' | iconv -f UTF-8 -t CP1256 >"$MOVED/Data/CurLesson.txt"
start_quiz "$MOVED/quiz" "$LOG"
through_notice
check "a copied program folder starts without a message" only_main_window
quit_by_exit_button closed
check "the copy wrote its own current-lesson file" [ "$(file_line "$MOVED/Data/CurLesson.txt" 1 | iconv -f CP1256 -t UTF-8)" = 'التلقائي' ]
check "the installed folder was not used by the copy" [ "$(file_line "$DATA/CurLesson.txt" 1)" = maths ]

summary
[ "$E2E_FAILED" -eq 0 ]
