#!/usr/bin/env bash
# padwatch-check.exe's live screen under Wine in a real terminal (tmux): the
# panels drawn whole with UTF-8 line drawing, keys read without echo, 'r'
# answered, 'q' ending it with exit status 0 and the pane given back as it
# was. Wine's console host passes VT sequences through without parsing them
# and never learns of a resize; see check/screen/console_split.h.
#
#   live_screen_wine_tmux.sh PADWATCH_CHECK_EXE
set -euo pipefail
exe=$1
command -v tmux >/dev/null 2>&1 || { echo "SKIPPED: tmux is not installed" >&2; exit 77; }
command -v wine >/dev/null 2>&1 || { echo "SKIPPED: wine is not installed" >&2; exit 77; }
: "${WINEPREFIX:?set WINEPREFIX to a Wine prefix made for the test}"

tmp=$(mktemp -d)
source "$(dirname "${BASH_SOURCE[0]}")/tmux_session.sh"
socket="padwatch-wine-test-$$"
trap 'tmux_ kill-server 2>/dev/null || true; rm -rf "$tmp"' EXIT

# The pane runs a plain shell script, not an interactive shell: the line
# editor of one would keep whatever mode it found the terminal in when its
# prompt came, and Wine's console host (which outlives the program, reading
# the terminal in its own mode until Wine ends) may give the terminal back
# after that. The modes are read once Wine has ended.
cat >"$tmp/run.sh" <<RUN
stty -a > $tmp/stty-before
wine '$exe'
echo "exit status \$?"
wineserver -w
stty -a > $tmp/stty-after
sleep 60
RUN
tmux_ -f /dev/null new-session -d -s t -x 100 -y 30 \
  "env LANG=C.UTF-8 TERM=screen WINEPREFIX='$WINEPREFIX' WINEDEBUG=-all bash $tmp/run.sh"

# The 22 rows of the four panels, each 80 columns from corner to corner.
panels_whole() {
  tmux_ capture-pane -p -t t | head -n 22 | python3 -c '
import sys
rows = sys.stdin.read().splitlines()
if len(rows) != 22: sys.exit("%d rows of panels" % len(rows))
for number, row in enumerate(rows, 1):
    if len(row) != 80 or row[0] not in "┌│└" or row[-1] not in "┐│┘":
        sys.exit("row %d is broken: %r" % (number, row))
' || fail "the panels are not drawn whole"
}

await 'q quit   r rumble test' 60
panels_whole
tmux_ send-keys -t t c r
await 'nothing to rumble'
panels_whole  # keys echoed would land in them
tmux_ send-keys -t t q
await 'exit status 0' 20
[ "$(tmux_ display -p -t t '#{alternate_on}')" = 0 ] || fail "still on the alternate screen"
[ "$(tmux_ display -p -t t '#{cursor_flag}')" = 1 ] || fail "the cursor is hidden"
for _ in $(seq 1 100); do [ -s "$tmp/stty-after" ] && break; sleep 0.1; done
cmp -s "$tmp/stty-before" "$tmp/stty-after" ||
  fail "the terminal's modes changed: $(diff "$tmp/stty-before" "$tmp/stty-after" | tr "\n" " ")"
echo "ok   padwatch-check.exe's live screen under Wine"
