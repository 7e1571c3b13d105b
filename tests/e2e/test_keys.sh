#!/usr/bin/env bash
# Keys through the real terminal: cursor, function, editing and Alt keys (whose extended codes
# include the codes of '1' and '2') and an unknown escape sequence change nothing at the main
# menu; the key stream stays in step afterwards; Ctrl-C at the menu ends the program with the
# settings saved, and a lone Esc on the language screen ends it too.
source "$(dirname "$0")/e2e_common.sh" "$1"

start_shell
type_line './zamikovantorel; echo "ZK-EXIT-$?"'
wait_for "To choose 'English' as language"
tm send-keys -t zk e
wait_for "Please choose now:"
before=$(tm capture-pane -e -p -t zk)
cursor_before=$(tm display-message -p -t zk '#{cursor_x},#{cursor_y}')

# Alt-N and Alt-M are extended codes 49 and 50, the codes of '1' and '2'.
tm send-keys -t zk Up Down Left Right Home End IC DC PPage NPage BTab
tm send-keys -t zk F1 F2 F4 F5 F6 F10 F12 S-F4 C-F4 M-F6 C-Up M-Left C-NPage M-PPage
tm send-keys -t zk M-n M-m M-1 x 0 Tab Space
tm send-keys -t zk -l $'\e[99~\e[?25;1R\e[<0;3;4M'
# Give the program time to take every key (a changed screen would show by now).
sleep 0.5
after=$(tm capture-pane -e -p -t zk)
[[ $after == "$before" ]] || fail "keys at the menu changed the screen"
[[ $(tm display-message -p -t zk '#{cursor_x},#{cursor_y}') == "$cursor_before" ]] ||
    fail "keys at the menu moved the cursor"

# The next menu key is still understood as itself: 1 shows the language screen again.
tm send-keys -t zk 1
wait_for "To choose 'English' as language"
tm send-keys -t zk E
wait_for "Please choose now:"

# After the window shrank and grew again, the whole screen is drawn anew.
tm resize-window -t zk -x 60 -y 20
deadline=$((SECONDS + 10))
until [[ $(tm display-message -p -t zk '#{pane_width}x#{pane_height}') == 60x20 ]]; do
    ((SECONDS < deadline)) || fail "the window did not shrink"
    sleep 0.05
done
sleep 0.2
tm resize-window -t zk -x 80 -y 25
deadline=$((SECONDS + 10))
until [[ $(tm capture-pane -e -p -t zk) == "$before" ]]; do
    ((SECONDS < deadline)) || fail "the screen was not drawn anew after the resize"
    sleep 0.05
done

# Ctrl-C at the menu ends the program.
rm -f "$E2E_WORK/BEDINGUN.DAT"
tm send-keys -t zk C-c
wait_for "ZK-EXIT-0"
wait_for "Bye-bye!"
expect_normal_screen
expect_default_settings

# A lone Esc on the language screen ends the program (it is told from a sequence by a pause).
tm send-keys -t zk C-l
type_line './zamikovantorel; echo "ZK-AGAIN-$?"'
wait_for "To choose 'English' as language"
tm send-keys -t zk Escape
wait_for "ZK-AGAIN-0"
wait_for "Bye-bye!"
expect_normal_screen
echo "PASS keys"
