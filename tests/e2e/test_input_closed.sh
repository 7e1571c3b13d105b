#!/usr/bin/env bash
# The program's input goes away while it runs: it must end cleanly, with exit code 0, the
# conditions saved as they were, and the terminal as it found it.
# - Keys from a fifo (the screen still in the pane) whose writer closes: at the main menu, in a
#   match while the human types a trial, and in the computer's long first search.
# - The pane itself closed (its terminal hung up) under a wrapper that outlives it: at the menu
#   and in the search.
# - The pane closed under the interactive shell that started the program (the way a terminal
#   window is closed): the shell passes SIGHUP on.
source "$(dirname "$0")/e2e_common.sh" "$1"

# Bytes 0..13 of the settings (see test_signal_phases.sh): a human guesses the computer's fixed
# code, five long over a..h; and the computer's first search over nine long codes of a..g
# (after the answer 1/2 it takes about four seconds, among the longest first searches the
# engine has left; the code on show starts in column 46).
HUMAN_GUESSES=1f1e030506056168000100010001
SEARCH_LONG=1f1e000908056167000100000100

# prepare <settings hex>: the settings file and its copy to compare with at the end.
prepare() {
    write_settings "$1" "" "Anna"
    cp "$E2E_WORK/BEDINGUN.DAT" "$E2E_WORK/expected.dat"
    rm -f "$E2E_WORK/before.txt" "$E2E_WORK/after.txt" "$E2E_WORK/status.txt"
}

# send <keys...>: to the program, through the fifo when one is open, else into the pane.
FIFO_OPEN=0
send() {
    if ((FIFO_OPEN)); then
        printf '%s' "$@" >&3
    else
        tm send-keys -t "$E2E_PANE" "$@"
    fi
}

# Brings the running program to the phase: menu, typing (a human trial half typed) or search
# (the computer searching its second trial after the answer 1/2 to its first).
reach() {
    wait_for "To choose 'English' as language"
    send e
    wait_for "Please choose now:"
    case $1 in
        menu) ;;
        typing)
            send 5
            wait_for "Please choose now (1, 2, 3 or 4):"
            send 1
            wait_for "The solution comes from"
            wait_cursor 48 9
            send b d
            wait_for "|  1|  bd"
            ;;
        search)
            send 5
            wait_for "Please choose now (1, 2, 3 or 4):"
            send 1
            wait_cursor 56 9 60
            send 1
            wait_cursor 58 9
            send 2
            wait_for "|  2|" 20
            wait_cursor 46 10 20
            ;;
    esac
    # Saved before this moment; the end must write the file again.
    rm -f "$E2E_WORK/BEDINGUN.DAT"
    if [[ $1 == search ]]; then
        [[ $(pane_cursor) == "46 10" ]] || fail "the search ended before the input did"
    fi
}

start_shell
mkfifo "$E2E_WORK/keys.fifo"

run=0
# The writer of the fifo closes.
fifo_run() {  # fifo_run <phase> <settings hex>
    local phase=$1 started ended
    run=$((run + 1))
    prepare "$2"
    tm send-keys -t "$E2E_PANE" C-l
    tm clear-history -t "$E2E_PANE"
    # Opened for reading and writing, the fifo never blocks the test; this is its only writer.
    exec 3<>"$E2E_WORK/keys.fifo"
    FIFO_OPEN=1
    type_line "stty -g >before.txt; ./zamikovantorel <keys.fifo; s=\$?; stty -g >after.txt; echo \"ZK-END-$run-\$s\""
    reach "$phase"
    started=$(now_ms)
    exec 3>&-
    FIFO_OPEN=0
    wait_for "ZK-END-$run-0" 10
    ended=$(now_ms)
    ((ended - started < 3000)) || fail "the end of the input took $((ended - started)) ms"
    expect_normal_screen
    pane_text | grep -q "^Bye-bye!" || fail "no exit banner on the normal screen"
    wait_for_file "$E2E_WORK/after.txt"
    [[ $(cat "$E2E_WORK/after.txt") == "$(cat "$E2E_WORK/before.txt")" ]] ||
        fail "the terminal modes changed: $(cat "$E2E_WORK/after.txt")"
    expect_settings_file "$E2E_WORK/expected.dat"
    echo "ok fifo closed, $phase ($((ended - started)) ms)"
}

fifo_run menu "$HUMAN_GUESSES"
fifo_run typing "$HUMAN_GUESSES"
fifo_run search "$SEARCH_LONG"

# The pane is closed under a wrapper that survives the hang-up and records the exit code.
cat >"$E2E_WORK/run.sh" <<'EOF'
trap 'echo hangup >>wrapper.txt' HUP
./zamikovantorel
echo "exit=$?" >status.txt
EOF
MAIN_PANE=$E2E_PANE
hangup_run() {  # hangup_run <phase> <settings hex>
    local phase=$1 pid started ended deadline
    prepare "$2"
    tm new-window -d -n cut -c "$E2E_WORK" \
        "$(env_line) bash ./run.sh"
    E2E_PANE="$MAIN_PANE:cut"
    pid=$(program_pid)
    reach "$phase"
    started=$(now_ms)
    tm kill-window -t "$E2E_PANE"
    E2E_PANE=$MAIN_PANE
    deadline=$((SECONDS + 10))
    until grep -q "^exit=" "$E2E_WORK/status.txt" 2>/dev/null; do
        ((SECONDS < deadline)) || fail "the program did not end after its pane was closed"
        sleep 0.05
    done
    ended=$(now_ms)
    wait_gone "$pid" 5
    [[ $(cat "$E2E_WORK/status.txt") == "exit=0" ]] || fail "pane closed: $(cat "$E2E_WORK/status.txt")"
    ((ended - started < 3000)) || fail "the end after the hang-up took $((ended - started)) ms"
    expect_settings_file "$E2E_WORK/expected.dat"
    echo "ok pane closed, $phase ($((ended - started)) ms)"
}

hangup_run menu "$HUMAN_GUESSES"
hangup_run search "$SEARCH_LONG"

# The pane is closed under the interactive shell that started the program.
prepare "$HUMAN_GUESSES"
tm new-window -d -n close -c "$E2E_WORK" \
    "$(env_line HISTFILE=/dev/null 'PS1=zk> ') bash --norc --noprofile"
E2E_PANE="$MAIN_PANE:close"
wait_for 'zk>'
type_line ./zamikovantorel
pid=$(program_pid)
reach typing
started=$(now_ms)
tm kill-window -t "$E2E_PANE"
E2E_PANE=$MAIN_PANE
wait_gone "$pid" 10
ended=$(now_ms)
((ended - started < 3000)) || fail "the end after the hang-up took $((ended - started)) ms"
expect_settings_file "$E2E_WORK/expected.dat"
echo "ok pane closed under the shell, typing ($((ended - started)) ms)"
echo "PASS input closed"
