#!/usr/bin/env bash
# The program in an 80 x 25 terminal: English chosen on the language screen, the main menu at
# its rows and in its colours (white on blue, the heading yellow), and 9 ends the program: the
# exit banner stays on the normal screen, the exit code is 0 and BEDINGUN.DAT holds the default
# settings.
source "$(dirname "$0")/e2e_common.sh" "$1"

start_shell
type_line './zamikovantorel; echo "ZK-EXIT-$?"'
wait_for "To choose 'English' as language, please press 'e' or 'E'."
[[ $(tm display-message -p -t zk '#{alternate_on}') == 1 ]] ||
    fail "the program does not run on the alternate screen"
expect_row 1 " *******  Zamikovantorel  ***  Windows - 32-Bit - Version  2025-01-01.  *******"
expect_row 5 " Deutsch:"

tm send-keys -t zk e
wait_for "Please choose now:"
expect_row 19 "                               Please choose now:"
expect_row 20 ""
expect_row 21 " 1 - Change the language.        5 - The game starts."
expect_row 22 " 2 - Show/change date/time.      6 - Short instruction of the game.   (1 page)"
expect_row 23 " 3 - Calendar from 0000 to 9999/ 7 - Detailed instruction of the game.(4 pages)"
expect_row 24 "     Virtual date of the game.   8 - Configuration.                   (1 page)"
expect_row 25 " 4 - Lend colour to the game.    9 - End of the game."
# The cursor rests behind the last menu line.
cursor=$(tm display-message -p -t zk '#{cursor_x},#{cursor_y}')
[[ $cursor == "53,24" ]] || fail "the cursor is at $cursor (0-based), expected 53,24"

# Colours: the heading yellow on blue, the rest of its row and the menu lines white on blue.
esc=$'\e'
heading=$(tm capture-pane -e -p -t zk -S 18 -E 18)
[[ $heading == "${esc}[93m${esc}[44m                               Please choose now:${esc}[97m"* ]] ||
    fail "the heading is drawn as $(printf %q "$heading")"
entry=$(tm capture-pane -e -p -t zk -S 20 -E 20)
[[ $entry == "${esc}[97m${esc}[44m 1 - Change the language."* ]] ||
    fail "the first menu line is drawn as $(printf %q "$entry")"

tm send-keys -t zk 9
wait_for "ZK-EXIT-0"
expect_normal_screen

# The banner as plain lines below the command that started the program.
mapfile -t lines < <(pane_text)
start=-1
for i in "${!lines[@]}"; do
    if [[ ${lines[$i]} == "$E2E_WORK/zamikovantorel" ]]; then
        start=$i
        break
    fi
done
((start >= 0)) || fail "the program path of the exit banner is not on the screen"
expected=(
    "$E2E_WORK/zamikovantorel"
    ""
    "Zamikovantorel  ***  Windows - 32-Bit - Version  2025-01-01,"
    "Version ohne Grafik- und Sonderzeichen / version without graphics characters."
    ""
    ""
    "Bye-bye!"
    ""
    "ZK-EXIT-0"
)
for j in "${!expected[@]}"; do
    got=$(sed 's/ *$//' <<<"${lines[$((start + j))]}")
    [[ $got == "${expected[$j]}" ]] ||
        fail "banner line $((j + 1)) is '$got', expected '${expected[$j]}'"
done
[[ ${lines[$((start - 1))]} == *"zamikovantorel; echo"* ]] ||
    fail "the banner does not follow the command line"

expect_default_settings

# From a folder whose name is not plain ASCII, deep enough that the path is longer than a row:
# the banner writes the path as the file system has it (here in UTF-8), as one line that the
# terminal wraps itself; Esc on the language screen ends the program the same way.
folder="$(printf 'Ordner-mit-einem-recht-langen-Namen-f\xc3\xbcr-die-Spiele')/$(printf 'Spiele-\xc3\xa4 \xc3\xbc')"
mkdir -p "$E2E_WORK/$folder"
cp "$E2E_BINARY" "$E2E_WORK/$folder/zamikovantorel"
type_line 'clear; ./Ordner-*/Spiele-*/zamikovantorel; echo "ZK-EXIT-$?"'
wait_for "To choose 'English' as language, please press 'e' or 'E'."
tm send-keys -t zk Escape
wait_for "ZK-EXIT-0"
mapfile -t lines < <(tm capture-pane -p -J -t zk | sed 's/ *$//')
expected=("$E2E_WORK/$folder/zamikovantorel" "" "Zamikovantorel  ***  Windows - 32-Bit - Version  2025-01-01,")
expected+=("Version ohne Grafik- und Sonderzeichen / version without graphics characters.")
expected+=("" "" "Bye-bye!" "" "ZK-EXIT-0")
for j in "${!expected[@]}"; do
    [[ ${lines[$j]} == "${expected[$j]}" ]] ||
        fail "banner line $((j + 1)) is '${lines[$j]}', expected '${expected[$j]}'"
done
[[ -f $E2E_WORK/$folder/BEDINGUN.DAT ]] || fail "BEDINGUN.DAT was not written beside the program"

# A folder whose name holds control bytes (one that starts a sequence on an 8-bit terminal, the
# same encoded in UTF-8, and Esc), and a program removed while it runs: the banner writes '?'
# for each of them, and the path without the system's " (deleted)".
raw="$(printf 'Roh-\x9b-\xc2\x9b-\x1b')"
mkdir -p "$E2E_WORK/$raw"
cp "$E2E_BINARY" "$E2E_WORK/$raw/zamikovantorel"
type_line 'clear; ./Roh-*/zamikovantorel; echo "ZK-EXIT-$?"'
wait_for "To choose 'English' as language, please press 'e' or 'E'."
rm "$E2E_WORK/$raw/zamikovantorel"
tm send-keys -t zk Escape
wait_for "ZK-EXIT-0"
mapfile -t lines < <(tm capture-pane -p -J -t zk | sed 's/ *$//')
[[ ${lines[0]} == "$E2E_WORK/Roh-?-?-?/zamikovantorel" ]] ||
    fail "the banner shows the path as '${lines[0]}'"
echo "PASS menu and exit"
