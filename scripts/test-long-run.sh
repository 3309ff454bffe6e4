#!/usr/bin/env bash
# Runs padwatch-replay for 25,000 and for 250,000 polls with every input
# of four controllers held out of rest (24 value lines a poll) and shows that
# its memory high-water mark does not grow with the length of the run: ten
# times the polls, the same memory.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build="$root/build/release"

build release padwatch-replay >/dev/null

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
peaks=()
for polls in 25000 250000; do
  {
    for slot in 0 1 2 3; do
      echo "plug $slot"
      echo "press $slot A B X Y DPAD_UP DPAD_DOWN DPAD_LEFT DPAD_RIGHT START BACK LB RB L3 R3"
      echo "set $slot lx 32767 ly -32768 rx 20000 ry -9000 lt 255 rt 31"
    done
    echo "poll $polls"
  } >"$tmp/run.scn"
  start=$SECONDS
  kib=$( { /usr/bin/time -f '%M' "$build/padwatch-replay" "$tmp/run.scn" | wc -l >"$tmp/lines"; } \
         2>&1 | tail -n 1)
  echo "$polls polls: $(cat "$tmp/lines") lines in $((SECONDS - start)) s, high-water mark $kib KiB"
  peaks+=("$kib")
done
# Allow for noise in the allocator's and loader's own pages.
if [ "${peaks[1]}" -gt $((peaks[0] + 512)) ]; then
  echo "memory grew with the length of the run" >&2
  exit 1
fi
