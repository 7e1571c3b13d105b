#!/usr/bin/env bash
# Signals sent to the running program from outside: SIGTERM, SIGHUP, SIGINT and SIGQUIT end it
# with exit code 0, the terminal modes as they were before, the normal screen back and the
# settings saved; a crash signal (SIGSEGV) restores the terminal too and ends the program as
# the signal does.
source "$(dirname "$0")/e2e_common.sh" "$1"

start_shell
type_line 'ulimit -c 0; stty -g > before.txt'
wait_for_file "$E2E_WORK/before.txt"

run=0
check_signal() {  # check_signal <signal> <expected exit code> <settings saved: yes/no>
    local signal=$1 status=$2 saved=$3 pid
    run=$((run + 1))
    rm -f "$E2E_WORK/BEDINGUN.DAT" "$E2E_WORK/after.txt"
    tm send-keys -t zk C-l
    type_line "./zamikovantorel; echo \"ZK-END-$run-\$?\""
    wait_for "To choose 'English' as language"
    pid=$(program_pid)
    # The program runs in raw mode: the terminal modes differ from the shell's now.
    local during
    during=$(stty -g <"$(tm display-message -p -t zk '#{pane_tty}')")
    [[ $during != "$(cat "$E2E_WORK/before.txt")" ]] || fail "the program did not set raw mode"
    if [[ $saved == yes ]]; then
        tm send-keys -t zk e
        wait_for "Please choose now:"
        rm -f "$E2E_WORK/BEDINGUN.DAT"  # written on entering the menu; the signal writes it again
    fi
    kill "-$signal" "$pid"
    wait_for "ZK-END-$run-$status" 10
    expect_normal_screen
    type_line 'stty -g > after.txt'
    wait_for_file "$E2E_WORK/after.txt"
    [[ $(cat "$E2E_WORK/after.txt") == "$(cat "$E2E_WORK/before.txt")" ]] ||
        fail "SIG$signal left the terminal modes changed: $(cat "$E2E_WORK/after.txt")"
    if [[ $saved == yes ]]; then
        expect_default_settings
    fi
    echo "ok $signal"
}

check_signal TERM 0 yes
check_signal HUP 0 yes
check_signal INT 0 yes
check_signal QUIT 0 yes
check_signal SEGV 139 no
echo "PASS signal restore"
