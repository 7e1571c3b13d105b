#!/usr/bin/env bash
# The pane is resized under the running program (narrower and shorter, larger, tiny, then back
# to 80 x 25) at the main menu, on the conditions screen and in a match while the human types a
# trial, keys being typed meanwhile. The program must go on running, show exactly the screen
# it showed before once the pane is 80 x 25 again, take the keys typed while the pane was small,
# and draw the screens of its next actions correctly. Stopped from outside and continued, it
# draws its screen anew as well.
source "$(dirname "$0")/e2e_common.sh" "$1"

# resize_to <columns> <rows>: until the pane has the new size.
resize_to() {
    tm resize-window -t "$E2E_PANE" -x "$1" -y "$2"
    local deadline=$((SECONDS + 5))
    until [[ $(tm display-message -p -t "$E2E_PANE" '#{pane_width}x#{pane_height}') == "$1x$2" ]]; do
        ((SECONDS < deadline)) || fail "the pane did not become $1 x $2"
        sleep 0.05
    done
}

# The screen without what changes by itself on a match board: the current date and time
# (rows 19 and 20) and the digits of the three durations (rows 21 to 23) in the left panel.
steady() {
    awk '{ row[NR] = $0 }
         END {
             board = row[17] ~ /^\| Game start:/
             for (i = 1; i <= NR; i++) {
                 if (board && (i == 19 || i == 20)) row[i] = substr(row[i], 1, 1) "~" substr(row[i], 38)
                 if (board && i >= 21 && i <= 23) {
                     head = substr(row[i], 1, 38)
                     gsub(/[0-9]/, "#", head)
                     row[i] = head substr(row[i], 39)
                 }
                 print row[i]
             }
         }'
}

# wait_screen <file>: until the pane (steady part) is exactly the file.
wait_screen() {
    local deadline=$((SECONDS + 10))
    until pane_text | steady | cmp -s - "$1"; do
        if ((SECONDS >= deadline)); then
            diff <(pane_text | steady) "$1" >&2 || true
            fail "the screen is not $(basename "$1") again"
        fi
        sleep 0.05
    done
}

# A round of sizes and back; keys (if any) are typed while the pane is 60 x 20.
resize_round() {
    resize_to 60 20
    [[ $# -gt 0 ]] && tm send-keys -t "$E2E_PANE" "$@"
    resize_to 100 30
    resize_to 20 5
    resize_to 80 25
    [[ -e /proc/$pid ]] || fail "the program ended during the resizes"
}

start_shell
type_line './zamikovantorel; echo "ZK-END-$?"'
wait_for "To choose 'English' as language"
pid=$(program_pid)
tm send-keys -t "$E2E_PANE" e
wait_for " 4 - Lend colour to the game.    9 - End of the game."
pane_text | steady >"$E2E_WORK/menu.txt"
expect_row 19 "                               Please choose now:"

# At the main menu.
resize_round
wait_screen "$E2E_WORK/menu.txt"
# A page and back: the menu is drawn anew, exactly as before.
tm send-keys -t "$E2E_PANE" 6
wait_for "Rules of the game !"
resize_round
tm send-keys -t "$E2E_PANE" Escape
wait_screen "$E2E_WORK/menu.txt"
echo "ok menu"

# On the conditions screen.
tm send-keys -t "$E2E_PANE" 5
wait_for "Please choose now (1, 2, 3 or 4):"
pane_text | steady >"$E2E_WORK/conditions.txt"
resize_round
wait_screen "$E2E_WORK/conditions.txt"
echo "ok conditions"

# In a match, with two signs of the first trial typed; the third is typed while the pane is
# small.
tm send-keys -t "$E2E_PANE" 1
wait_for "The riddle comes from"
tm send-keys -t "$E2E_PANE" 0 1
wait_for "|  1|  01..   |"
pane_text | steady >"$E2E_WORK/board.txt"
resize_round 2
sed '9s/|  1|  01\.\.   |/|  1|  012.   |/' "$E2E_WORK/board.txt" >"$E2E_WORK/board2.txt"
wait_screen "$E2E_WORK/board2.txt"
expect_row 9 "| The answercode is fixed.            |*|  1|  012.   | | |*|   |         | | |"
# The fourth sign completes the trial: it is answered and the next one is asked for.
tm send-keys -t "$E2E_PANE" 3
wait_for "|  2|  ....   |"
line=$(pane_row 9)
[[ ${line:40:19} == "|  1|  0123   |"[0-4]"|"[0-4]"|" ]] || fail "row 9 is '$line'"
expect_row 10 "| Available CPU >= 80386 + 80387.     |*|  2|  ....   | | |*|   |         | | |"
pane_text | steady >"$E2E_WORK/board3.txt"
resize_round
wait_screen "$E2E_WORK/board3.txt"
echo "ok match"

# Broken off, no new game: the menu as at the start.
tm send-keys -t "$E2E_PANE" Escape
# The end line shows the secret (a key sent sooner would make Esc the start of a sequence).
deadline=$((SECONDS + 10))
until [[ $(pane_row 25) =~ ^Answer:\ \ [0-9]{4}\  ]]; do
    ((SECONDS < deadline)) || fail "Esc did not break the match off"
    sleep 0.05
done
tm send-keys -t "$E2E_PANE" n
wait_screen "$E2E_WORK/menu.txt"
tm send-keys -t "$E2E_PANE" 9
wait_for "ZK-END-0"
expect_normal_screen
expect_default_settings

# Stopped from outside and continued by the shell: the terminal is the shell's meanwhile, and
# the program takes it back with the screen drawn anew. (Alone on its command line: a stopped
# job would let the shell go on with the rest of a list.)
tm send-keys -t "$E2E_PANE" C-l
type_line ./zamikovantorel
wait_for "To choose 'English' as language"
pid=$(program_pid)
tm send-keys -t "$E2E_PANE" e
wait_screen "$E2E_WORK/menu.txt"
kill -TSTP "$pid"
wait_for "Stopped"
expect_normal_screen
type_line fg
wait_screen "$E2E_WORK/menu.txt"
resize_round
wait_screen "$E2E_WORK/menu.txt"
tm send-keys -t "$E2E_PANE" 9
wait_gone "$pid"
type_line 'echo "ZK-FG-$?"'
wait_for "ZK-FG-0"
expect_normal_screen
echo "ok stop and continue"
echo "PASS resize"
