#!/usr/bin/env bash
# Menu 4 in a terminal: a new background colour, and the menu page afterwards is drawn in it;
# menu 7 pages forward and back through the detailed rules and leaves with Esc; the colours are
# kept in BEDINGUN.DAT.
source "$(dirname "$0")/e2e_common.sh" "$1"

start_shell
type_line './zamikovantorel; echo "ZK-EXIT-$?"'
wait_for "To choose 'English' as language"
tm send-keys -t zk e
wait_for "Please choose now:"

# Digit 5 chooses the fifth background colour, red; Enter leaves the colour screen.
tm send-keys -t zk 4
sleep 0.3
tm send-keys -t zk 5
sleep 0.3
tm send-keys -t zk Enter
wait_for "Please choose now:"
esc=$'\e'
heading=$(tm capture-pane -e -p -t zk -S 18 -E 18)
[[ $heading == "${esc}[93m${esc}[41m                               Please choose now:"* ]] ||
    fail "the heading is drawn as $(printf %q "$heading")"
entry=$(tm capture-pane -e -p -t zk -S 20 -E 20)
[[ $entry == "${esc}[97m${esc}[41m 1 - Change the language."* ]] ||
    fail "the first menu line is drawn as $(printf %q "$entry")"

# The detailed rules: four pages; PgUp on the first does nothing.
tm send-keys -t zk 7
page2="The present fundamentally improved computerversion:"
page4="Here is a review of the game:"
sleep 0.3
first=$(pane_text)
tm send-keys -t zk PPage
sleep 0.3
[[ $(pane_text) == "$first" ]] || fail "PgUp on the first page changed the page"
tm send-keys -t zk NPage
wait_for "$page2"
tm send-keys -t zk PPage
sleep 0.3
[[ $(pane_text) == "$first" ]] || fail "PgUp on page 2 did not go back to page 1"
tm send-keys -t zk NPage
wait_for "$page2"
tm send-keys -t zk NPage
sleep 0.3
tm send-keys -t zk NPage
wait_for "$page4"
tm send-keys -t zk Escape
wait_for "Please choose now:"

sleep 0.3
tm send-keys -t zk 9
wait_for "ZK-EXIT-0"
file=$E2E_WORK/BEDINGUN.DAT
[[ $(stat -c %s "$file") -eq 80 ]] || fail "BEDINGUN.DAT has $(stat -c %s "$file") bytes"
colours=$(od -An -tx1 -N2 "$file" | tr -d ' \n')
[[ $colours == 4f4e ]] || fail "BEDINGUN.DAT keeps the colours $colours, not 4f4e"
