#!/usr/bin/env bash
# The computer guesses the test's code in an 80 x 25 terminal: the settings file asks for a
# human riddle that is not fixed over a..f, four long with repetitions, and the computer as
# codebreaker. The test answers every trial truthfully for its secret: whenever the cursor
# waits in the P column (56) or the Z column (58) of the trial's row, it types that digit. The
# match must end solved, with the secret on the end line, within the number of trials the
# board promises.
source "$(dirname "$0")/e2e_common.sh" "$1"

SECRET=cafe

# P and Z of a trial against the secret.
score() {
    local trial=$1 p=0 common=0 i c
    local -A left=()
    for ((i = 0; i < 4; i++)); do
        [[ ${trial:i:1} == "${SECRET:i:1}" ]] && p=$((p + 1))
        c=${SECRET:i:1}
        left[$c]=$((${left[$c]:-0} + 1))
    done
    for ((i = 0; i < 4; i++)); do
        c=${trial:i:1}
        if ((${left[$c]:-0} > 0)); then
            common=$((common + 1))
            left[$c]=$((left[$c] - 1))
        fi
    done
    echo "$p $((common - p))"
}

# Attributes 1f/1e, no time limit, length 4, level 4, a..f, no sound, repetitions, no vacant
# sign, riddle from a human, the computer guesses, the code not fixed; empty names.
printf '\x1f\x1e\x00\x04\x04\x05af\x00\x01\x00\x00\x01\x00' >"$E2E_WORK/BEDINGUN.DAT"
printf ' %.0s' {1..66} >>"$E2E_WORK/BEDINGUN.DAT"

start_shell
type_line './zamikovantorel; echo "ZK-EXIT-$?"'
wait_for "To choose 'English' as language"
tm send-keys -t zk e
wait_for "Please choose now:"
tm send-keys -t zk 5
wait_for "Please choose now (1, 2, 3 or 4):"
tm send-keys -t zk 1
wait_for "The solution comes from"
expect_row 15 "| the computer.                       |*|   |         | | |*|   |         | | |"
bound=$(pane_row 5 | sed -n 's/.* with \([0-9]*\) trials.*/\1/p')
[[ -n $bound ]] || fail "the board states no trial bound"

row=9
answered_p=0
answered_z=0
deadline=$((SECONDS + 60))
while :; do
    ((SECONDS < deadline)) || fail "the match did not end"
    screen=$(pane_text)
    [[ $(sed -n 25p <<<"$screen") == *"New game? Yes."* ]] && break
    line=$(sed -n "${row}p" <<<"$screen")
    trial=${line:47:4}
    read -r x y < <(tm display-message -p -t zk '#{cursor_x} #{cursor_y}')
    [[ ${line:55:3} == "4|0" ]] && break
    if [[ ${line:55:1} =~ [0-9] && ${line:57:1} =~ [0-9] && $y != $((row - 1)) ]]; then
        # The row is answered and the computer has moved on.
        row=$((row + 1))
        answered_p=0
        answered_z=0
        ((row <= 23)) || fail "more than 15 trials"
        continue
    fi
    if [[ $y == $((row - 1)) && $trial =~ ^[a-f]{4}$ ]]; then
        read -r p z < <(score "$trial")
        if [[ $x == 55 && $answered_p == 0 ]]; then
            tm send-keys -t zk "$p"
            answered_p=1
        elif [[ $x == 57 && $answered_z == 0 ]]; then
            tm send-keys -t zk "$z"
            answered_z=1
        fi
    fi
    sleep 0.05
done

wait_for "New game? Yes."
# The last trial may have been played without asking (a single code left): find its row.
for ((row = 9; row < 23; row++)); do
    [[ $(pane_row $((row + 1)) | cut -c56) =~ [0-9] ]] || break
done
last=$(pane_row 25)
[[ ${last:9:4} == "$SECRET" ]] || fail "the end line shows '${last:9:4}' as the secret"
count=$(sed 's/ .*//' <<<"${last:44:3}")
line=$(pane_row "$row")
[[ ${line:47:4} == "$SECRET" && ${line:55:3} == "4|0" ]] || fail "the last trial is not $SECRET 4/0"
[[ $count == "$((row - 8))" ]] || fail "the end line shows '$count' trials, the board $((row - 8))"
((count <= bound)) || fail "$count trials, more than the $bound the board promises"

tm send-keys -t zk n
wait_for "Please choose now:"
tm send-keys -t zk 9
wait_for "ZK-EXIT-0"
expect_normal_screen
