#!/usr/bin/env bash
# The conditions screen in a real 80 x 25 terminal: change the first sign and the code length
# through the walk, leave with choice 4 and menu 9, start again, and find the changed conditions.
source "$(dirname "$0")/e2e_common.sh" "$1"

# Keys typed with a pause for the screen to follow.
keys() {
    tm send-keys -t "$E2E_PANE" "$@"
    sleep 0.2
}

# start <marker>: the program started from the pane's shell, at the conditions screen; the
# marker and its exit code are written when it ends.
start() {
    tm send-keys -t "$E2E_PANE" C-l
    type_line "./zamikovantorel; echo \"$1-\$?\""
    wait_for "English:"
    keys e
    wait_for "Please choose now:"
    keys 5
    wait_for "Shall the computer guess?"
}

start_shell
start ZK-EXIT
expect_row 13 "| First sign        :        0     | Shall the computer guess? No.            |"

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
wait_for "ZK-EXIT-0"
[[ -f $E2E_WORK/BEDINGUN.DAT ]] || fail "no settings file was written"

# A new start finds the changed conditions.
start ZK-AGAIN
expect_row 13 "| First sign        :        x     | Shall the computer guess? No.            |"
expect_row 14 "| Last  sign        :        6     |                                          |"
expect_row 15 "| Set of signs      :        xyz0123456                                       |"
expect_row 16 "| Length of the code:        6     ___________________________________________|"
expect_row 18 "| Are vacant signs allowed?  No.   | Answer: ......                           |"
expect_row 24 "| 2nd player,who cracks the code   : Bert                            O.K.? Yes|"
keys 4
wait_for "Please choose now:"
keys 9
wait_for "ZK-AGAIN-0"
echo "PASS conditions"
