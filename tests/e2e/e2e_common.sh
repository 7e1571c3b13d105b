# Shared by the end-to-end scripts: a private tmux server with one 80 x 25 pane, a fresh
# temporary directory holding a copy of the program (so BEDINGUN.DAT is written there), and
# waits that poll the pane instead of sleeping blindly.
#
# Nothing of the environment the tests are started from reaches the program: it runs with
# E2E_ENV alone (its terminal type, its folder as HOME, a plain PATH), and tmux with a private
# socket in the work directory, no configuration file and /bin/sh for its commands, also when
# the tests run inside the user's own tmux session. A test about another environment says so
# and starts the program with that one.
#
# Usage in a script: source "$(dirname "$0")/e2e_common.sh" "$1"
set -euo pipefail

if [[ $# -lt 1 || ! -x $1 ]]; then
    echo "usage: $0 <path of the built zamikovantorel>" >&2
    exit 2
fi
E2E_BINARY=$(readlink -f "$1")
E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/zk-e2e-XXXXXX")
E2E_SOCKET=$E2E_WORK/tmux.socket
E2E_PANE=zk
E2E_ENV=(PATH=/usr/bin:/bin HOME="$E2E_WORK" TERM=screen)
cp "$E2E_BINARY" "$E2E_WORK/zamikovantorel"

e2e_cleanup() {
    tm kill-server 2>/dev/null || true
    # The pane's processes may still be ending.
    local try
    for try in 1 2 3 4 5 6 7 8 9 10; do
        rm -rf "$E2E_WORK" 2>/dev/null && break
        sleep 0.1
    done
}
trap e2e_cleanup EXIT

tm() { env -i PATH="$PATH" SHELL=/bin/sh tmux -S "$E2E_SOCKET" -f /dev/null "$@"; }

# env_line [VARIABLE=value...]: the start of a pane's command: what follows takes the pane's
# process over (so that the pane's pid is its pid), with E2E_ENV and the variables given alone.
env_line() {
    printf 'exec env -i'
    printf ' %q' "${E2E_ENV[@]}" "$@"
}

fail() {
    echo "FAIL: $*" >&2
    echo "---- pane ----" >&2
    tm capture-pane -p -t "$E2E_PANE" >&2 2>/dev/null || true
    echo "--------------" >&2
    exit 1
}

# Starts the pane with a plain shell in the work directory; the program is started from it, so
# what the program leaves on the normal screen stays visible after it ends.
start_shell() {
    tm new-session -d -x 80 -y 25 -s "$E2E_PANE" -c "$E2E_WORK" \
        "$(env_line HISTFILE=/dev/null 'PS1=zk> ') bash --norc --noprofile"
    tm set-option -g status off >/dev/null
    wait_for 'zk>' 10
}

# Types a command line into the shell.
type_line() {
    tm send-keys -t "$E2E_PANE" -l "$1"
    tm send-keys -t "$E2E_PANE" Enter
}

pane_text() { tm capture-pane -p -t "$E2E_PANE"; }
pane_row() { pane_text | sed -n "${1}p"; }

# wait_for <text> [seconds]: until the pane shows the text.
wait_for() {
    local text=$1 limit=${2:-10}
    local deadline=$((SECONDS + limit))
    until pane_text | grep -qF -- "$text"; do
        ((SECONDS < deadline)) || fail "'$text' did not appear within ${limit}s"
        sleep 0.05
    done
}

# wait_for_file <path> [seconds]
wait_for_file() {
    local path=$1 limit=${2:-10}
    local deadline=$((SECONDS + limit))
    until [[ -s $path ]]; do
        ((SECONDS < deadline)) || fail "$path did not appear within ${limit}s"
        sleep 0.05
    done
}

# expect_row <row> <text>: the row starts with exactly the text (trailing blanks not counted).
expect_row() {
    local row=$1 text=$2 actual
    actual=$(pane_row "$row" | sed 's/ *$//')
    [[ $actual == "$text" ]] || fail "row $row is '$actual', expected '$text'"
}

# The pid of the program started from the pane's shell (read from /proc: no procps needed).
program_pid() {
    local shell deadline=$((SECONDS + 10)) dir stat rest
    shell=$(tm display-message -p -t "$E2E_PANE" '#{pane_pid}')
    while :; do
        for dir in /proc/[0-9]*; do
            [[ $(cat "$dir/comm" 2>/dev/null) == zamikovantorel ]] || continue
            stat=$(cat "$dir/stat" 2>/dev/null) || continue
            rest=${stat##*) }  # the fields after the command name: state, parent, ...
            read -r _ parent _ <<<"$rest"
            if [[ $parent == "$shell" ]]; then
                echo "${dir#/proc/}"
                return 0
            fi
        done
        ((SECONDS < deadline)) || fail "the program is not running"
        sleep 0.05
    done
}

# expect_default_settings [attributes]: the settings file holds exactly the 80 default bytes,
# with the colour scheme's two attribute bytes given in hex (by default the colour display's
# 1f1e; a monochrome display takes 070f).
expect_default_settings() {
    local file=$E2E_WORK/BEDINGUN.DAT expected actual
    [[ -f $file ]] || fail "BEDINGUN.DAT was not written"
    [[ $(stat -c %s "$file") -eq 80 ]] || fail "BEDINGUN.DAT has $(stat -c %s "$file") bytes"
    expected="${1:-1f1e}010404053039000000010001$(printf '20%.0s' {1..66})"
    actual=$(od -An -tx1 -v "$file" | tr -d ' \n')
    [[ $actual == "$expected" ]] || fail "BEDINGUN.DAT holds $actual"
}

# The pane is back on the normal screen.
expect_normal_screen() {
    [[ $(tm display-message -p -t "$E2E_PANE" '#{alternate_on}') == 0 ]] ||
        fail "the terminal is still on the alternate screen"
}

# ---- Helpers of the robustness scripts ------------------------------------------------------

# Milliseconds since the machine started (to hundredths), for measuring how fast the program
# ends; unaffected by changes of the clock.
now_ms() {
    local up
    read -r up _ </proc/uptime
    echo $((10#${up/./} * 10))
}

# The pane's cursor as "column row", both 1-based like the program's own positions.
pane_cursor() {
    local x y
    read -r x y < <(tm display-message -p -t "$E2E_PANE" '#{cursor_x} #{cursor_y}')
    echo "$((x + 1)) $((y + 1))"
}

# wait_cursor <column> <row> [seconds]: until the pane's cursor stands there.
wait_cursor() {
    local want="$1 $2" limit=${3:-10}
    local deadline=$((SECONDS + limit))
    until [[ $(pane_cursor) == "$want" ]]; do
        ((SECONDS < deadline)) || fail "the cursor did not reach ($1,$2) within ${limit}s"
        sleep 0.05
    done
}

# wait_gone <pid> [seconds]: until the process has ended.
wait_gone() {
    local pid=$1 limit=${2:-10}
    local deadline=$((SECONDS + limit))
    while [[ -e /proc/$pid ]] && [[ $(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null) != Z ]]; do
        ((SECONDS < deadline)) || fail "process $pid still runs after ${limit}s"
        sleep 0.05
    done
}

# write_settings <hex of bytes 0..13> [encoder name] [breaker name]: a BEDINGUN.DAT of the
# 14 condition bytes and the two 33-byte name fields (a blank, the name, blanks).
write_settings() {
    local hex=$1 encoder=${2:-} breaker=${3:-}
    # shellcheck disable=SC2001,SC2059
    printf "$(sed 's/../\\x&/g' <<<"$hex")" >"$E2E_WORK/BEDINGUN.DAT"
    printf ' %-31s ' "$encoder" >>"$E2E_WORK/BEDINGUN.DAT"
    printf ' %-31s ' "$breaker" >>"$E2E_WORK/BEDINGUN.DAT"
    [[ $(stat -c %s "$E2E_WORK/BEDINGUN.DAT") -eq 80 ]] || fail "write_settings: not 80 bytes"
}

# expect_settings_file <path>: BEDINGUN.DAT is exactly 80 bytes and byte for byte that file.
expect_settings_file() {
    local file=$E2E_WORK/BEDINGUN.DAT
    [[ -f $file ]] || fail "BEDINGUN.DAT was not written"
    [[ $(stat -c %s "$file") -eq 80 ]] || fail "BEDINGUN.DAT has $(stat -c %s "$file") bytes"
    cmp -s "$file" "$1" ||
        fail "BEDINGUN.DAT holds $(od -An -tx1 -v "$file" | tr -d ' \n'), expected $(od -An -tx1 -v "$1" | tr -d ' \n')"
}
