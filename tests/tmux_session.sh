# Sourced by the tmux tests: a tmux server of the test's own and what they
# ask of its pane "t".
#
#   socket=NAME                the server's socket; tmux_ talks to it
#   case=NAME                  named in failures
#   fail MESSAGE               says what failed, shows the pane, exits 1
#   await TEXT [SECONDS]       waits (10 s unless told) for the pane to show
#                              TEXT, a fixed string, or fails

socket=
case=
tmux_() { tmux -L "$socket" "$@"; }
fail() {
  echo "FAIL: ${case:+$case: }$*" >&2
  tmux_ capture-pane -p -t t >&2 || true
  exit 1
}
await() {
  local tenths=$(( ${2:-10} * 10 ))
  for _ in $(seq 1 "$tenths"); do
    tmux_ capture-pane -p -t t | grep -qF -- "$1" && return 0
    sleep 0.1
  done
  fail "the pane never showed '$1'"
}
