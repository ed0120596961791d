#!/usr/bin/env bash
# End-to-end run of the real quiz program, as a teacher and a child use it:
# real X pointer clicks on the panels where they are drawn, the real options
# chord, the real input boxes. Run inside xvfb-run (see scripts/e2e.sh).
#
# Usage: program.sh PROGRAM_FOLDER ARTIFACTS_FOLDER RESULT_FILE
# The program folder is a fresh copy whose options file asks always for the
# first choice (red) and waits one second between questions, so that the
# right panel can be found by its colour.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
DIR=$1
E2E_ARTIFACTS=$2
E2E_RESULT=$3
E2E_T0=$(date +%s.%N)
# shellcheck source=tests/e2e/lib.sh
source "$HERE/lib.sh"
trap stop_quiz EXIT

DATA=$DIR/Data
DB=$DIR/results.db
LOG=$E2E_ARTIFACTS/quiz.log
WAIT_S=1
CHILD='سارة'
LESSON=lesson1

# answer X right|wrong [expected-colours]: clicks the panel holding the red
# shape (the asked first choice) or another one, then gives the program its
# waiting time to start the next question.
answer() {
    local x=$1 want=$2 colours c i=0 target=
    colours=$(panel_colours "$x")
    check "the panels show red, yellow and blue ($colours)" \
        [ "$(tr ' ' '\n' <<<"$colours" | sort | tr '\n' ' ')" = "blue red yellow " ]
    for c in $colours; do
        i=$((i + 1))
        [ -n "$target" ] && continue
        if [ "$want" = right ] && [ "$c" = red ]; then target=$i; fi
        if [ "$want" = wrong ] && [ "$c" != red ]; then target=$i; fi
    done
    [ -n "$target" ] || die "no panel to click for a $want answer ($colours)"
    click "$x" "$(panel_y "$target")"
    ANSWERED_AT=$(date +%s.%N)
}
# A click starts the waiting time; the next question comes after it.
next_question() {
    local left
    left=$(awk -v wait="$WAIT_S" -v gone="$(since "$ANSWERED_AT")" 'BEGIN { printf "%.2f", wait + 0.7 - gone }')
    case $left in -*) ;; *) sleep "$left" ;; esac
}
# row_is NO EXPECTED: waits up to 5 s for the child's row to read EXPECTED
# ("No|Name|Ok|NotOk", an empty count is NULL).
row_is() { wait_until 5 row_now "$1" "$2"; }
row_now() { [ "$(sql "$DB" "SELECT No, Name, Ok, NotOk FROM Table1 WHERE No = $1")" = "$2" ]; }
current_lesson_file_is() { [ "$(od -An -c "$DATA/CurLesson.txt" 2>/dev/null | tr -s ' \n' ' ')" = "$1" ]; }
log_is_empty() {
    [ ! -s "$LOG" ] && return 0
    log "quiz.log: $(head -c 2000 "$LOG")"
    return 1
}
text_mode_on_screen() {
    # In text mode every label has the first choice's colour as background;
    # in colours mode the second and third panels never show red.
    local f=$E2E_ARTIFACTS/.text.png
    import -window root "$f" 2>/dev/null
    # shellcheck disable=SC2046
    [ "$(colour_name $(rgb 60 "$(panel_y 2)" "$f"))" = red ] &&
        [ "$(colour_name $(rgb 60 "$(panel_y 3)" "$f"))" = red ]
}

# ------------------------------------------------------------ first run
log "first run: $DIR/quiz"
start_quiz "$DIR/quiz" "$LOG"
through_notice
shot "play-mode" >/dev/null
check "no message box after start-up" only_main_window
check "an empty results table was made beside the program" [ -f "$DB" ]

# Play mode: a right, a wrong and a right answer. The first answer on an
# empty table creates the child "-" and counts on it.
answer "$PLAY_X" right
check "a right answer counts Ok on the child \"-\"" row_is 1 '1|-|1|'
next_question
answer "$PLAY_X" wrong
check "a wrong answer counts NotOk" row_is 1 '1|-|1|1'
next_question
answer "$PLAY_X" right
check "the next right answer counts again" row_is 1 '1|-|2|1'
next_question

# The options pane, opened with the real key chord.
options_chord
check "Ctrl+Alt+F1 opens the options pane" wait_until 5 pane_is_open
shot "options-pane" >/dev/null

# The children's tab: add a child through the input box.
click "$TAB_CHILDREN_X" "$TAB_Y"
# shellcheck disable=SC2046
click $(pane_point 256 2 121 25)      # BitBtn7 "إضافة طفل"
wait_until 5 has_window 'إضافة طفل' || die "the add-child box did not appear"
pass "the add-child box is shown"
xdotool type --delay 40 "$CHILD"
shot "add-child" >/dev/null
xdotool key Return
check "the add-child box closes" wait_until 5 no_window 'إضافة طفل'
check "the child is stored with blank counts" row_is 2 "2|$CHILD||"
shot "children-tab" >/dev/null

# Answers in options mode count on the new child; the panels stand in their
# fixed order, the first choice on top.
answer "$OPTIONS_PLAY_X" right
check "the fixed order puts the first choice on top" [ "$(panel_colours "$OPTIONS_PLAY_X")" = "red yellow blue" ]
check "a right answer counts on the new child" row_is 2 "2|$CHILD|1|"
next_question
answer "$OPTIONS_PLAY_X" wrong
check "a wrong answer counts on the new child" row_is 2 "2|$CHILD|1|1"
check "the first child keeps its counts" row_is 1 '1|-|2|1'
next_question

# The question type: the radio button "نص" of the group "نوع السؤال"
# (group at (358, 8) in the editors' panel at (2, 185); second of three
# items sharing the height under the caption).
click "$TAB_LESSONS_X" "$TAB_Y"
click $((PANE_X + 2 + 358 + 33)) $((TABBAR_H + 185 + 8 + 58))
check "switching to text shows the texts on the panels" wait_until 5 text_mode_on_screen
shot "text-mode" >/dev/null

# A new lesson from the current state.
# shellcheck disable=SC2046
click $(pane_point 150 119 100 33)    # ProButton2 "إنشاء درس جديد من الوضع الحالي"
wait_until 5 has_window 'انشاء درس جديد' || die "the new-lesson box did not appear"
pass "the new-lesson box is shown"
xdotool type --delay 40 "$LESSON"
xdotool key Return
check "the new-lesson box closes" wait_until 5 no_window 'انشاء درس جديد'
check "the lesson folder holds the options" wait_until 5 test -f "$DATA/$LESSON/options.txt"
check "the new lesson is the current lesson" wait_until 5 current_lesson_file_is ' l e s s o n 1 \r \n '
check "no message box after creating the lesson" only_main_window
shot "lesson-created" >/dev/null

quit_by_exit_button open

# ------------------------------------------------------------ on disk
check "results.db holds the two children and their counts" \
    [ "$(sql "$DB" "SELECT No, Name, Ok, NotOk FROM Table1 ORDER BY No" | tr '\n' ';')" = "1|-|2|1;2|$CHILD|1|1;" ]
check "Data/options.txt has 21 lines, each ending in CR LF" crlf_lines "$DATA/options.txt" 21
check "Data/options.txt line 6 (question type) is 1" [ "$(file_line "$DATA/options.txt" 6)" = 1 ]
check "Data/options.txt line 1 (asked choice) stays 1" [ "$(file_line "$DATA/options.txt" 1)" = 1 ]
check "Data/options.txt line 20 names the new child" [ "$(file_line "$DATA/options.txt" 20)" = 2 ]
check "Data/options.txt line 21 keeps the waiting time" [ "$(file_line "$DATA/options.txt" 21)" = "$WAIT_S" ]
check "Data/CurLesson.txt is the lesson name with CR LF" current_lesson_file_is ' l e s s o n 1 \r \n '
check "the lesson's options.txt has 21 CR LF lines" crlf_lines "$DATA/$LESSON/options.txt" 21
check "the lesson's options.txt line 6 is 1" [ "$(file_line "$DATA/$LESSON/options.txt" 6)" = 1 ]
check "the lesson folder holds copies of the clips" cmp -s "$DATA/color1.wav" "$DATA/$LESSON/color1.wav"
check "nothing changed between the lesson's creation and closing" cmp -s "$DATA/options.txt" "$DATA/$LESSON/options.txt"

# ------------------------------------------------------------ second run
log "second run"
start_quiz "$DIR/quiz" "$LOG"
through_notice
check "no message box on the second start" only_main_window
check "the lesson's text mode is back" wait_until 5 text_mode_on_screen
shot "second-start" >/dev/null
options_chord
check "the options pane opens again" wait_until 5 pane_is_open
# Text mode in the fixed order: the top panel is the asked first choice.
click "$OPTIONS_PLAY_X" "$(panel_y 1)"
check "the restored current child gets the next answer" row_is 2 "2|$CHILD|2|1"
ANSWERED_AT=$(date +%s.%N)
next_question
quit_by_exit_button open

check "the current lesson is kept" [ "$(file_line "$DATA/CurLesson.txt" 1)" = "$LESSON" ]
check "the current child is kept" [ "$(file_line "$DATA/options.txt" 20)" = 2 ]
check "the question type is kept" [ "$(file_line "$DATA/options.txt" 6)" = 1 ]
check "the first child is untouched" row_is 1 '1|-|2|1'
check "the program wrote nothing on its standard error" log_is_empty

summary
[ "$E2E_FAILED" -eq 0 ]
