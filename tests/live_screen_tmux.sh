#!/usr/bin/env bash
# padwatch-check's live screen in a real terminal: tmux runs it as a person
# would, and after every way it can end the pane must be back on the
# shell's screen, with the cursor shown and the terminal's modes (stty) as
# they were.
#
# - --demo in 80 x 24 and 160 x 48, ended by 'q' and by SIGTERM;
# - device names with escape sequences (the pane's title must not change)
#   and with accents and wide characters (the borders must stay in place);
# - Ctrl+Z, then fg; a stalled terminal (Ctrl+S) and 'q'; SIGHUP; SIGQUIT;
#   a terminal that goes away while SIGHUP is ignored; a backlog of keys;
# - TERM=dumb and a standard input that is not a terminal: refused;
# - 'r' with no controller;
# - --test's guided steps, ended by 'q' at steps 1, 2 and 6 and by Ctrl+C
#   at step 3.
#
#   live_screen_tmux.sh PADWATCH_CHECK [CASE]
#
# With CASE, only the cases whose names contain it run.
set -euo pipefail
check=$1
only=${2:-}
command -v tmux >/dev/null 2>&1 || { echo "SKIPPED: tmux is not installed" >&2; exit 77; }
tmp=$(mktemp -d)

# A server of its own for each case: a server that is still ending must not
# meet the next case's session.
source "$(dirname "${BASH_SOURCE[0]}")/tmux_session.sh"
trap '[ -z "$socket" ] || tmux_ kill-server 2>/dev/null || true; rm -rf "$tmp"' EXIT
# start CASE SIZE: a new server with a shell in a pane of that size.
start() {
  case=$1
  [ -z "$socket" ] || tmux_ kill-server 2>/dev/null || true
  socket="padwatch-test-$$-$case"
  tmux_ -f /dev/null new-session -d -s t -x "${2%x*}" -y "${2#*x}" \
    "env LANG=C.UTF-8 TERM=screen bash --norc --noprofile"
  tmux_ send-keys -t t "PS1='shell> '; printf '\\033]2;shell title\\033\\\\'; clear" Enter
  await 'shell>'
  tmux_ send-keys -t t "stty -a > $tmp/stty-before" Enter
}
# run COMMAND: types it at the shell, which says how it ended.
run() { tmux_ send-keys -t t "$1; echo \"exit status \$?\"" Enter; }
# The padwatch-check this case started: the pane's shell's child.
check_pid() {
  pgrep -P "$(tmux_ display -p -t t '#{pane_pid}')" -x padwatch-check ||
    fail "padwatch-check is not running in the pane"
}
on_screen() {
  [ "$(tmux_ display -p -t t '#{alternate_on}')" = 1 ] || fail "not on the alternate screen"
}
# The pane is the shell's again, as it was before.
given_back() {
  await 'exit status 0'
  [ "$(tmux_ display -p -t t '#{alternate_on}')" = 0 ] || fail "still on the alternate screen"
  [ "$(tmux_ display -p -t t '#{cursor_flag}')" = 1 ] || fail "the cursor is hidden"
  stty_as_before
  echo "ok   $case"
}
stty_as_before() {
  rm -f "$tmp/stty-after"
  tmux_ send-keys -t t "stty -a > $tmp/stty-after" Enter
  for _ in $(seq 1 50); do [ -s "$tmp/stty-after" ] && break; sleep 0.1; done
  cmp -s "$tmp/stty-before" "$tmp/stty-after" ||
    fail "the terminal's modes changed: $(diff "$tmp/stty-before" "$tmp/stty-after" | tr '\n' ' ')"
}
# gone PID SECONDS: the process ends within that time.
gone() {
  for _ in $(seq 1 $(( $2 * 10 ))); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  fail "still running $2 s later"
}
# A script that runs padwatch-check --demo with the demo's pads named NAME
# (printf escapes), through SDL's mapping environment, as a device names
# itself.
named_demo() {
  local script="$tmp/$1.sh"
  {
    echo '#!/bin/sh'
    printf 'SDL_GAMECONTROLLERCONFIG="ff0000005669727475616c2043007601,%b,' "$2"
    printf 'a:b0,b:b1,x:b2,y:b3,back:b4,guide:b5,start:b6,leftstick:b7,rightstick:b8,'
    printf 'leftshoulder:b9,rightshoulder:b10,dpup:b11,dpdown:b12,dpleft:b13,dpright:b14,'
    printf 'leftx:a0,lefty:a1,rightx:a2,righty:a3,lefttrigger:a4,righttrigger:a5,"\n'
    echo "export SDL_GAMECONTROLLERCONFIG; exec '$check' --demo"
  } >"$script"
  chmod +x "$script"
  echo "$script"
}

# Each case is a function; "ok   NAME" says it passed.
demo_stopped() {  # demo_stopped SIZE key|signal
  start "$1-stopped-by-$2" "$1"
  run "$check --demo"
  await 'Slot 1: Virtual Controller'
  await 'Slot 3: empty'
  await 'q quit'
  local first
  first=$(tmux_ capture-pane -p -t t)
  sleep 0.5
  [ "$first" != "$(tmux_ capture-pane -p -t t)" ] || fail "the demo's values do not move"
  on_screen
  if [ "$2" = key ]; then tmux_ send-keys -t t q; else kill -TERM "$(check_pid)"; fi
  await 'exit status 0'
  tmux_ capture-pane -p -t t | grep -q 'Slot 0' && fail "the panels are still on the screen"
  given_back
}

escape_sequences_in_a_name() {
  start escape-sequences-in-a-name 80x24
  run "$(named_demo evil 'Evil\033]0;pwned\007 Pad \377')"
  await 'Slot 0: Evil\x1b]0;pwned\x07 Pa...'
  [ "$(tmux_ display -p -t t '#{pane_title}')" = "shell title" ] ||
    fail "the pane's title became '$(tmux_ display -p -t t '#{pane_title}')'"
  tmux_ send-keys -t t q
  given_back
}

wide_characters_in_a_name() {
  start wide-characters-in-a-name 80x24
  # Accents, CJK, a Devanagari conjunct (its virama takes no column) and
  # emoji of Unicode 14 (two columns each): drawn whole, none over another.
  run "$(named_demo wide '\340\244\225\340\245\215\340\244\267 \360\237\253\240\360\237\253\240 Manette g\303\251n\303\251rique \346\211\213\346\237\204')"
  await 'Slot 0: क्ष 🫠🫠 Manette génériq...'
  tmux_ capture-pane -p -t t | head -n 11 | python3 -c '
import sys, unicodedata
def columns(c):
    if unicodedata.category(c) in ("Mn", "Me", "Cf"): return 0
    return 2 if unicodedata.east_asian_width(c) in "WF" else 1
for row in sys.stdin.read().splitlines():
    width = sum(columns(c) for c in row)
    # The right border of the first panel stands in column 39 of every row.
    at, shown = 0, {}
    for c in row:
        shown[at] = c
        at += columns(c)
    if shown.get(39) not in ("\u2510", "\u2502", "\u2518"):
        sys.exit("no border in column 39: %s" % row)
    if width != 80: sys.exit("a row of %d columns: %s" % (width, row))
' || fail "the panels' borders moved"
  tmux_ send-keys -t t q
  given_back
}

suspend_and_continue() {
  start suspend-and-continue 80x24
  run "$check --demo"
  await 'Slot 1: Virtual Controller'
  tmux_ send-keys -t t C-z
  await 'Stopped'
  [ "$(tmux_ display -p -t t '#{alternate_on}')" = 0 ] || fail "stopped on the alternate screen"
  [ "$(tmux_ display -p -t t '#{cursor_flag}')" = 1 ] || fail "stopped with the cursor hidden"
  stty_as_before
  # A job stopped in the middle of a list leaves the rest of the list: fg
  # says how it ended.
  run "clear; fg"
  await 'Slot 1: Virtual Controller'
  on_screen
  tmux_ send-keys -t t q  # one key, no Enter: keys are read one by one again
  given_back
}

stalled_terminal() {
  start stalled-terminal 80x24
  run "$check --demo"
  await 'Slot 1: Virtual Controller'
  local pid
  pid=$(check_pid)
  tmux_ send-keys -t t C-s
  sleep 1  # long enough for the frames to fill what the terminal buffers
  tmux_ send-keys -t t q
  gone "$pid" 1
  # The frames the stalled terminal did not take are dropped and the
  # terminal is given back: the screen, the cursor and the modes.
  tmux_ send-keys -t t C-q
  await 'exit status 0'
  tmux_ capture-pane -p -t t | grep -q 'Slot 0' && fail "the panels are still on the screen"
  given_back
}

ended_by_signal() {  # ended_by_signal HUP|QUIT
  start "sig$1" 80x24
  run "$check --demo"
  await 'Slot 1: Virtual Controller'
  kill -"$1" "$(check_pid)"
  given_back
}

terminal_gone_with_sighup_ignored() {
  start terminal-gone-with-SIGHUP-ignored 80x24
  tmux_ new-window -d -n gone "trap '' HUP; exec '$check' --demo"
  sleep 1
  local pid
  pid=$(tmux_ display -p -t gone '#{pane_pid}')
  kill -0 "$pid" 2>/dev/null || fail "padwatch-check did not start"
  tmux_ kill-window -t gone
  gone "$pid" 2
  echo "ok   $case"
}

backlog_of_keys() {
  start backlog-of-keys 80x24
  run "$check --demo"
  await 'Slot 1: Virtual Controller'
  tmux_ send-keys -t t -l "$(head -c 4000 /dev/zero | tr '\0' x)"
  tmux_ send-keys -t t q
  await 'exit status 0' 3
  given_back
}

dumb_terminal() {
  start dumb-terminal 80x24
  run "TERM=dumb $check --demo"
  await 'exit status 2'
  await 'a dumb terminal (TERM=dumb) cannot draw the live screen'
  echo "ok   $case"
}

standard_input_not_a_terminal() {
  start standard-input-not-a-terminal 80x24
  run "$check --demo </dev/null"
  await 'exit status 2'
  await 'reads its keys from a terminal'
  echo "ok   $case"
}

rumble_with_no_controller() {
  start rumble-with-no-controller 80x24
  run "$check"
  await 'Slot 3: empty'
  tmux_ send-keys -t t r
  await 'nothing to rumble'
  tmux_ send-keys -t t q
  given_back
}

# --test on the demo's first pad, which does each step by itself, ended at
# step STEP by q or by Ctrl+C: the steps' prompts and progress on the
# terminal, the card on standard output with what was not measured, and the
# terminal's modes as they were.
test_ended_at() {  # test_ended_at STEP key|ctrl-c
  start "test-ended-at-step-$1-by-$2" 100x30
  run "$check --demo --test >$tmp/card.txt"
  await 'q ends the check at any step'
  await "Step $1 of 7" 25
  case $1 in
    1) await 's left' ;;
    2) await 'of 48 directions' ;;
    3) await 'Turn the right stick' ;;
    6) await 'of 14 buttons' ;;
  esac
  if [ "$2" = key ]; then tmux_ send-keys -t t q; else tmux_ send-keys -t t C-c; fi
  await 'exit status 1'
  await 'Stopped; the card says what was not measured.'
  grep -q '^not measured *buttons: ' "$tmp/card.txt" ||
    fail "the card does not say the buttons were not measured: $(cat "$tmp/card.txt")"
  [ "$(tmux_ display -p -t t '#{cursor_flag}')" = 1 ] || fail "the cursor is hidden"
  stty_as_before
  echo "ok   $case"
}

cases=(
  "test_ended_at 1 key" "test_ended_at 2 key" "test_ended_at 6 key" "test_ended_at 3 ctrl-c"
  "demo_stopped 80x24 key" "demo_stopped 80x24 signal" "demo_stopped 160x48 key"
  "demo_stopped 160x48 signal" escape_sequences_in_a_name wide_characters_in_a_name
  suspend_and_continue stalled_terminal "ended_by_signal HUP" "ended_by_signal QUIT"
  terminal_gone_with_sighup_ignored backlog_of_keys dumb_terminal standard_input_not_a_terminal
  rumble_with_no_controller
)
for c in "${cases[@]}"; do
  [[ "$c" == *"$only"* ]] || continue
  $c
done
