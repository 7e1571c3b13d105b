#!/usr/bin/env bash
# A program waiting for a key sleeps: at most about one wake-up a second at the main menu, on the
# system clock screen and on the match board, while the clocks of the last two still turn over
# with the second of the machine's clock; Esc is still taken at once.
source "$(dirname "$0")/e2e_common.sh" "$1"

# The times the process went to sleep and was woken since it started.
wakeups() { awk '/^voluntary_ctxt_switches:/ { print $2 }' "/proc/$1/status"; }

# expect_sleeping <pid> <where>: three idle seconds cost no more than a few wake-ups.
expect_sleeping() {
    local before after
    before=$(wakeups "$1")
    sleep 3
    after=$(wakeups "$1")
    (((after - before) <= 6)) || fail "$2: $((after - before)) wake-ups in three idle seconds"
}

# expect_clock_in_step <row> <column>: in the middle of a second the pane shows the machine's
# second there, three times.
expect_clock_in_step() {
    local row=$1 column=$2 taken=0 fraction now shown
    while ((taken < 3)); do
        fraction=$(date +%N)
        fraction=$((10#$fraction / 1000000))
        if ((fraction < 300 || fraction > 600)); then
            sleep 0.05
            continue
        fi
        now=$(date +%S)
        shown=$(pane_row "$row")
        shown=${shown:column-1:2}
        [[ $shown == "$now" ]] || fail "row $row shows second $shown at second $now"
        taken=$((taken + 1))
        sleep 0.5
    done
}

start_shell
type_line './zamikovantorel; echo "ZK-EXIT-$?"'
wait_for "To choose 'English' as language"
tm send-keys -t zk e
wait_for "Please choose now:"
pid=$(program_pid)
expect_sleeping "$pid" "main menu"

tm send-keys -t zk 2
wait_for "Please set the right date and time"
expect_sleeping "$pid" "system clock screen"
expect_clock_in_step 25 37
tm send-keys -t zk Escape
wait_for "Please choose now:"

tm send-keys -t zk 5
wait_for "Please choose now (1, 2, 3 or 4):"
tm send-keys -t zk 1
wait_for "The riddle comes from"
expect_sleeping "$pid" "match board"
expect_clock_in_step 20 27

# A lone Esc breaks the match off at once, without waiting for the next second.
start=$(now_ms)
tm send-keys -t zk Escape
wait_for "New Game? Yes." 5
(($(now_ms) - start < 600)) || fail "Esc took $(($(now_ms) - start)) ms"
