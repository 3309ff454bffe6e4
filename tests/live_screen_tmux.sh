#!/usr/bin/env bash
# padwatch-check's live screen in a real terminal: tmux runs --demo in an
# 80 x 24 and a 160 x 48 window; the panels must show the demo's controllers
# with values that move, 'q' (and in a second run SIGTERM) must end it with
# exit status 0, and the pane must be back on the shell's screen with the
# cursor shown.
#
#   live_screen_tmux.sh PADWATCH_CHECK
set -euo pipefail
check=$1
command -v tmux >/dev/null 2>&1 || { echo "SKIPPED: tmux is not installed" >&2; exit 77; }

# A server of its own for each run: a server that is still ending must not
# meet the next run's session.
socket=
tmux_() { tmux -L "$socket" "$@"; }
trap '[ -z "$socket" ] || tmux_ kill-server 2>/dev/null || true' EXIT
fail() {
  echo "FAIL: $*" >&2
  tmux_ capture-pane -p -t t >&2 || true
  exit 1
}
# Waits up to 10 s for the pane to show text (a fixed string).
await() {
  for _ in $(seq 1 100); do
    tmux_ capture-pane -p -t t | grep -qF -- "$1" && return 0
    sleep 0.1
  done
  fail "the pane never showed '$1'"
}

for size in 80x24 160x48; do
  for stop in key signal; do
    [ -z "$socket" ] || tmux_ kill-server 2>/dev/null || true
    socket="padwatch-test-$$-$size-$stop"
    tmux_ new-session -d -s t -x "${size%x*}" -y "${size#*x}" \
      "env LANG=C.UTF-8 bash --norc --noprofile"
    tmux_ send-keys -t t "PS1='shell> '; clear" Enter
    await 'shell>'
    tmux_ send-keys -t t "$check --demo; echo \"exit status \$?\"" Enter
    await 'Slot 1: Virtual Controller'
    await 'Slot 3: empty'
    await 'q quit'
    first=$(tmux_ capture-pane -p -t t)
    sleep 0.5
    second=$(tmux_ capture-pane -p -t t)
    [ "$first" != "$second" ] || fail "$size: the demo's values do not move"
    [ "$(tmux_ display -p -t t '#{alternate_on}')" = 1 ] || fail "$size: not on the alternate screen"
    if [ $stop = key ]; then
      tmux_ send-keys -t t q
    else
      # Only the process this run started: the pane's shell's child.
      pid=$(pgrep -P "$(tmux_ display -p -t t '#{pane_pid}')" -x padwatch-check) ||
        fail "$size: padwatch-check is not running in the pane"
      kill -TERM "$pid"
    fi
    await 'exit status 0'
    tmux_ capture-pane -p -t t | grep -q 'Slot 0' && fail "$size: the panels are still on the screen"
    [ "$(tmux_ display -p -t t '#{alternate_on}')" = 0 ] || fail "$size: still on the alternate screen"
    [ "$(tmux_ display -p -t t '#{cursor_flag}')" = 1 ] || fail "$size: the cursor is hidden"
    echo "ok   $size, stopped by $stop"
  done
done
