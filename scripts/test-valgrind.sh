#!/usr/bin/env bash
# Runs padwatch-replay on a long scenario and padwatch for a few seconds
# under valgrind's memcheck: no errors and nothing lost are allowed. SDL's
# own blocks, kept for the life of the process, are suppressed by name.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build="$root/build/release"

build release padwatch padwatch-replay >/dev/null

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
memcheck=(valgrind --quiet --leak-check=full --show-leak-kinds=definite,indirect,possible
          --errors-for-leak-kinds=definite,indirect,possible --num-callers=50
          --suppressions="$root/tests/valgrind.supp" --error-exitcode=99)

# Four controllers doing everything, 20000 times over: 200000 polls.
{
  for slot in 0 1 2 3; do echo "plug $slot"; done
  for ((i = 0; i < 20000; i++)); do
    echo "press $((i % 4)) A B DPAD_UP LB R3"
    echo "set $(((i + 1) % 4)) lx 32767 ly -32768 rx 9000 ry -9000 lt 255 rt 31"
    echo "poll 4"
    echo "release $((i % 4)) A B DPAD_UP LB R3"
    echo "set $(((i + 1) % 4)) lx 0 ly 0 rx 0 ry 0 lt 0 rt 0"
    [ $((i % 100)) -eq 0 ] && echo "unplug 2" && echo "poll" && echo "plug 2"
    echo "poll 5"
  done
} >"$tmp/long.scn"

echo "== padwatch-replay under memcheck"
"${memcheck[@]}" "$build/padwatch-replay" "$tmp/long.scn" >"$tmp/replay.out"
echo "clean; it wrote $(wc -l <"$tmp/replay.out") lines"

echo "== padwatch under memcheck for 5 s, then SIGINT"
status=0
timeout --preserve-status -s INT 5 "${memcheck[@]}" "$build/padwatch" >"$tmp/padwatch.out" ||
  status=$?
if [ "$status" -ne 0 ] || [ -s "$tmp/padwatch.out" ]; then
  echo "padwatch under memcheck: exit status $status" >&2
  exit 1
fi
echo "clean; exit status 0, nothing written"
