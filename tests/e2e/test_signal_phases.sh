#!/usr/bin/env bash
# SIGTERM, SIGHUP and SIGINT sent from outside at four moments of a run: at the main menu, in
# a match while the human types a trial, while the computer builds its store of every code
# (five long over 31 signs, the largest store of the top memory level) and in the computer's
# first real search (nine long over 7 signs, after the answer 1/2 to its first trial, which
# leaves a large share of the codes; no time limit). Each time the program must end at once
# with exit code 0, the terminal modes as they were before it started, the normal screen back,
# and BEDINGUN.DAT written anew with exactly the conditions it had.
source "$(dirname "$0")/e2e_common.sh" "$1"

# Bytes 0..13 of the settings: attributes, time limit, length, level, reserved, first and last
# sign, sound, repetitions, vacant sign, computer encodes, computer guesses, answer fixed.
# A human guesses the computer's fixed code, five long over a..h, time limit 30 s, level 6.
HUMAN_GUESSES=1f1e030506056168000100010001
# A human riddle that is not fixed, the computer guesses, no time limit, level 8: five long
# over a..4 (31 signs) for a long store build; nine long over a..g for a long search (after
# the answer 1/2 it takes about four seconds; the code on show starts in column 46).
BUILD_LONG=1f1e000508056134000100000100
SEARCH_LONG=1f1e000908056167000100000100

start_shell

run=0
# signal_run <signal> <phase> <settings hex>
signal_run() {
    local signal=$1 phase=$2 hex=$3 pid started ended
    run=$((run + 1))
    write_settings "$hex" "" "Anna"
    cp "$E2E_WORK/BEDINGUN.DAT" "$E2E_WORK/expected.dat"
    rm -f "$E2E_WORK/before.txt" "$E2E_WORK/after.txt"
    tm send-keys -t "$E2E_PANE" C-l
    tm clear-history -t "$E2E_PANE"
    # The modes are taken in the same command line, before and after the program.
    type_line "stty -g >before.txt; ./zamikovantorel; s=\$?; stty -g >after.txt; echo \"ZK-END-$run-\$s\""
    wait_for "To choose 'English' as language"
    pid=$(program_pid)
    tm send-keys -t "$E2E_PANE" e
    wait_for "Please choose now:"
    case $phase in
        menu) ;;
        typing)
            tm send-keys -t "$E2E_PANE" 5
            wait_for "Please choose now (1, 2, 3 or 4):"
            tm send-keys -t "$E2E_PANE" 1
            wait_for "The solution comes from"
            wait_cursor 48 9
            tm send-keys -t "$E2E_PANE" b d
            wait_for "|  1|  bd"
            ;;
        build)
            tm send-keys -t "$E2E_PANE" 5
            wait_for "Please choose now (1, 2, 3 or 4):"
            tm send-keys -t "$E2E_PANE" 1
            # The first trial is on show and the progress line runs: the store is being built.
            wait_for "This trial: time already guessed:" 20
            wait_cursor 48 9 20
            ;;
        search)
            tm send-keys -t "$E2E_PANE" 5
            wait_for "Please choose now (1, 2, 3 or 4):"
            tm send-keys -t "$E2E_PANE" 1
            # The store stands when the cursor waits in the P column of the first trial.
            wait_cursor 56 9 60
            tm send-keys -t "$E2E_PANE" 1
            wait_cursor 58 9
            tm send-keys -t "$E2E_PANE" 2
            # Row 10 traces the codes the search examines.
            wait_for "|  2|" 20
            wait_cursor 46 10 20
            ;;
    esac
    # The program saved the conditions before this moment; the signal must write them again.
    rm -f "$E2E_WORK/BEDINGUN.DAT"
    case $phase in
        build) [[ $(pane_cursor) == "48 9" ]] || fail "the store build ended before the signal" ;;
        search) [[ $(pane_cursor) == "46 10" ]] || fail "the search ended before the signal" ;;
    esac
    started=$(now_ms)
    kill "-$signal" "$pid"
    wait_for "ZK-END-$run-0" 10
    ended=$(now_ms)
    wait_gone "$pid" 5
    ((ended - started < 3000)) || fail "SIG$signal in the $phase took $((ended - started)) ms"
    expect_normal_screen
    wait_for_file "$E2E_WORK/after.txt"
    [[ $(cat "$E2E_WORK/after.txt") == "$(cat "$E2E_WORK/before.txt")" ]] ||
        fail "SIG$signal in the $phase left the modes $(cat "$E2E_WORK/after.txt")"
    expect_settings_file "$E2E_WORK/expected.dat"
    echo "ok SIG$signal $phase ($((ended - started)) ms)"
}

for signal in TERM HUP INT; do
    signal_run "$signal" menu "$HUMAN_GUESSES"
    signal_run "$signal" typing "$HUMAN_GUESSES"
    signal_run "$signal" build "$BUILD_LONG"
    signal_run "$signal" search "$SEARCH_LONG"
done
echo "PASS signal phases"
