#!/usr/bin/env bash
# Without a terminal: keys from a pipe and output into a file still work, and input that ends
# (an exhausted pipe, /dev/null, a closed descriptor) ends the program through its normal end,
# with the settings saved, instead of spinning. The program sees the pane tests' environment
# (a colour terminal type) although its streams are no terminal, so it takes the colour scheme.
source "$(dirname "$0")/e2e_common.sh" "$1"

cd "$E2E_WORK"
program=$E2E_WORK/zamikovantorel

run_plain() {  # run_plain <name> <command...>: runs with a time limit, output to <name>.out
    local name=$1 status=0
    shift
    rm -f BEDINGUN.DAT
    timeout 20 env -i "${E2E_ENV[@]}" "$@" >"$name.out" 2>"$name.err" || status=$?
    [[ $status -eq 0 ]] || fail "$name: exit status $status"
    grep -q "Bye-bye!" "$name.out" || fail "$name: no exit banner in the output"
    expect_default_settings
}

# English, then 9 at the menu.
run_plain keys bash -c "printf 'e9' | '$program'"
grep -q "Please choose now:" keys.out || fail "keys: the menu was not drawn"
# The banner is written as plain lines after the screen.
tail -c 200 keys.out | grep -q $'Bye-bye!\r\n\r\n$' || fail "keys: the banner does not end the output"

# The input ends at the language screen: it counts as Ctrl-C there.
run_plain empty bash -c "'$program' </dev/null"
# The input ends at the menu.
run_plain ended bash -c "printf 'e' | '$program'"
grep -q "Please choose now:" ended.out || fail "ended: the menu was not drawn"
# No standard input at all.
run_plain closed bash -c "'$program' <&-"
echo "PASS plain streams"
