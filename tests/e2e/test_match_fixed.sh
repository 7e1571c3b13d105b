#!/usr/bin/env bash
# A whole match in an 80 x 25 terminal against the computer's fixed secret: the test reads P
# and Z of every trial off the screen, keeps the codes that agree with them and plays the first,
# until the code is cracked; the end line then shows the secret at (10,25) and the number of
# trials at (45,25).
source "$(dirname "$0")/e2e_common.sh" "$1"

# The first code of 0..9 without repetitions, four long, that agrees with every trial so far
# ("code p z" lines on standard input).
next_trial() {
    awk '
        { trial[NR] = $1; p[NR] = $2; z[NR] = $3 }
        END {
            for (c = 0; c < 10000; c++) {
                code = sprintf("%04d", c)
                ok = 1
                for (i = 1; i <= 4 && ok; i++)
                    for (j = i + 1; j <= 4; j++)
                        if (substr(code, i, 1) == substr(code, j, 1)) ok = 0
                for (t = 1; t <= NR && ok; t++) {
                    pp = 0; common = 0
                    for (i = 1; i <= 4; i++) {
                        if (substr(code, i, 1) == substr(trial[t], i, 1)) pp++
                        if (index(trial[t], substr(code, i, 1)) > 0) common++
                    }
                    if (pp != p[t] || common - pp != z[t]) ok = 0
                }
                if (ok) { print code; exit }
            }
        }'
}

start_shell
type_line './zamikovantorel; echo "ZK-EXIT-$?"'
wait_for "To choose 'English' as language"
tm send-keys -t zk e
wait_for "Please choose now:"
tm send-keys -t zk 5
wait_for "Please choose now (1, 2, 3 or 4):"
tm send-keys -t zk 1
wait_for "The riddle comes from"
expect_row 9 "| The answercode is fixed.            |*|  1|  ....   | | |*|   |         | | |"

history=""
trials=0
solved=0
for row in $(seq 9 23); do
    guess=$(printf '%s' "$history" | next_trial)
    [[ -n $guess ]] || fail "no code agrees with the answers read so far"
    tm send-keys -t zk -l "$guess"
    trials=$((trials + 1))
    # The answer stands in the P and Z columns (56 and 58) of the trial's row.
    deadline=$((SECONDS + 10))
    while :; do
        line=$(pane_row "$row")
        p=${line:55:1}
        z=${line:57:1}
        [[ ${line:47:4} == "$guess" && $p =~ [0-9] && $z =~ [0-9] ]] && break
        ((SECONDS < deadline)) || fail "no answer to $guess in row $row"
        sleep 0.05
    done
    if [[ $p == 4 ]]; then
        solved=1
        break
    fi
    history+="$guess $p $z"$'\n'
done
((solved)) || fail "the code was not cracked within 15 trials"

wait_for "New Game? Yes."
last=$(pane_row 25)
[[ ${last:9:4} == "$guess" ]] || fail "the end line shows '${last:9:4}' as the secret, not $guess"
count=$(sed 's/ .*//' <<<"${last:44:3}")
[[ $count == "$trials" ]] || fail "the end line shows '$count' trials, not $trials"
[[ $(pane_row 19) == "| Game end  : "* ]] || fail "row 19 does not read as the end of the game"

tm send-keys -t zk n
wait_for "Please choose now:"
tm send-keys -t zk 9
wait_for "ZK-EXIT-0"
expect_normal_screen
