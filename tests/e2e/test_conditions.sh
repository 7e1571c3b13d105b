#!/usr/bin/env bash
# The conditions screen in a real 80 x 25 terminal: change the first sign and the code length
# through the walk, leave with choice 4 and menu 9, start again, and find the changed conditions.
# Usage: test_conditions.sh <path of the zamikovantorel binary>
set -euo pipefail

binary=$(realpath "$1")
work=$(mktemp -d)
session="zk-conditions-$$"
cleanup() {
    tmux kill-session -t "$session" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
cp "$binary" "$work/zamikovantorel"

fail() {
    echo "FAIL: $*"
    echo "---- screen ----"
    tmux capture-pane -p -t "$session" || true
    exit 1
}

# Waits until the screen holds the text (a fixed string), at most about ten seconds.
wait_for() {
    local text=$1
    for _ in $(seq 1 100); do
        if tmux capture-pane -p -t "$session" | grep -qF -- "$text"; then return 0; fi
        sleep 0.1
    done
    fail "the screen never showed \"$text\""
}

# The row of the screen (1-based) as it stands.
row() {
    tmux capture-pane -p -t "$session" | sed -n "$1p"
}

start() {
    tmux new-session -d -s "$session" -x 80 -y 25 "cd '$work' && ./zamikovantorel"
    wait_for "English:"
}

keys() {
    tmux send-keys -t "$session" "$@"
    sleep 0.2
}

start
keys e
wait_for "Please choose now:"
keys 5
wait_for "Shall the computer guess?"
[[ $(row 13) == "| First sign        :        0     | Shall the computer guess? No.            |" ]] ||
    fail "row 13 of the default conditions"

# The walk: time limit, sound, first sign x, last sign (kept), code length 6, then onwards to
# the prompt (repetitions, vacant signs, answer fixed, computer guesses, the 2nd player's name
# with its O.K., the riddle).
keys 3 Enter Enter x Enter 6
wait_for "| Length of the code:        6"
keys Enter Enter Enter Enter
keys B e r t Enter j
keys Enter
wait_for "| 2nd player,who cracks the code   : Bert"
keys 4
wait_for "Please choose now:"
keys 9
for _ in $(seq 1 50); do
    tmux has-session -t "$session" 2>/dev/null || break
    sleep 0.1
done
tmux has-session -t "$session" 2>/dev/null && fail "the program did not end with menu 9"
[[ -f $work/BEDINGUN.DAT ]] || fail "no settings file was written"

# A new start finds the changed conditions.
start
keys e
wait_for "Please choose now:"
keys 5
wait_for "Shall the computer guess?"
[[ $(row 13) == "| First sign        :        x     | Shall the computer guess? No.            |" ]] ||
    fail "row 13 after the restart"
[[ $(row 14) == "| Last  sign        :        6     |                                          |" ]] ||
    fail "row 14 after the restart"
[[ $(row 15) == "| Set of signs      :        xyz0123456                                       |" ]] ||
    fail "row 15 after the restart"
[[ $(row 16) == "| Length of the code:        6     ___________________________________________|" ]] ||
    fail "row 16 after the restart"
[[ $(row 18) == "| Are vacant signs allowed?  No.   | Answer: ......                           |" ]] ||
    fail "row 18 after the restart"
[[ $(row 24) == "| 2nd player,who cracks the code   : Bert                            O.K.? Yes|" ]] ||
    fail "row 24 after the restart"
keys 4
wait_for "Please choose now:"
keys 9
echo "PASS"
