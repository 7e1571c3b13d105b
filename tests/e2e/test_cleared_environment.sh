#!/usr/bin/env bash
# The program started with a cleared environment, PATH alone (no terminal type, no HOME, no
# locale), as a script or a container may start it: in the 80 x 25 pane it draws the menu without
# colours (a terminal of unknown type counts as monochrome), ends normally with menu 9, and
# saves the monochrome display's default scheme (light grey and white on black).
source "$(dirname "$0")/e2e_common.sh" "$1"

start_shell
type_line 'env -i PATH=/usr/bin:/bin ./zamikovantorel; echo "ZK-EXIT-$?"'
wait_for "To choose 'English' as language, please press 'e' or 'E'."
tm send-keys -t "$E2E_PANE" e
wait_for "Please choose now:"
expect_row 19 "                               Please choose now:"
expect_row 21 " 1 - Change the language.        5 - The game starts."
expect_row 25 " 4 - Lend colour to the game.    9 - End of the game."

# The heading stands out in bold, the menu lines are plain: no colour anywhere.
esc=$'\e'
heading=$(tm capture-pane -e -p -t "$E2E_PANE" -S 18 -E 18)
[[ $heading == "${esc}[1m                               Please choose now:${esc}[0m"* ]] ||
    fail "the heading is drawn as $(printf %q "$heading")"
menu=$(tm capture-pane -e -p -t "$E2E_PANE" -S 20 -E 24)
[[ $menu != *"${esc}["* ]] || fail "the menu lines are drawn as $(printf %q "$menu")"

tm send-keys -t "$E2E_PANE" 9
wait_for "ZK-EXIT-0"
expect_normal_screen
pane_text | grep -q "^Bye-bye!" || fail "no exit banner on the normal screen"
expect_default_settings 070f
echo "PASS cleared environment"
