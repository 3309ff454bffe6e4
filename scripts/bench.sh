#!/usr/bin/env bash
# Builds the benchmarks (release) and prints every figure padwatch's speed and
# memory targets are judged by: the Google Benchmark ratios against their
# floors, instructions per poll of padwatch-replay under callgrind, and the
# memory high-water marks of padwatch and padwatch-replay.
#
#   scripts/bench.sh            everything (about five minutes)
#   scripts/bench.sh --quick    fewer repetitions
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build="$root/build/bench"
repetitions=15
[ "${1:-}" = --quick ] && repetitions=3

require_packages "${build_packages[@]}" "${bench_packages[@]}"
build bench >/dev/null

echo "machine: $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
flags=(--benchmark_min_time=0.2 "--benchmark_repetitions=$repetitions"
       --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
       --benchmark_color=false)
for bench in poll_bench write_bench sdl_bench; do
  echo
  echo "== $bench (medians of $repetitions runs, real time in ns per poll)"
  "$build/bench/$bench" "${flags[@]}" 2>/dev/null | sed -n '/^benchmark \/ floor/,$p'
done

echo
echo "== live_screen_bench (the live screen's loop for 2 s: its share of a core, and its"
echo "   reports per second against --rate's, four pads reporting at 125 to 1000 Hz)"
"$build/bench/live_screen_bench" --benchmark_color=false 2>/dev/null | grep '^BM_'

echo
echo "== rate_cost_bench (--rate's reading of event nodes over pipes, 5 s a case: its share of a core)"
"$build/bench/rate_cost_bench" 5

# Scenarios for the whole program: four controllers that keep changing, so
# every kind of line is written, or that sit still, so nothing is.
scenario() {  # scenario ROUNDS MOVING
  echo "plug 0"; echo "plug 1"; echo "plug 2"; echo "plug 3"
  for ((i = 0; i < $1; i++)); do
    if [ "$2" = moving ]; then
      echo "press 0 A DPAD_UP LB"; echo "set 1 lx 30000 ly -20000 lt 200"
      echo "poll 4"
      echo "release 0 A DPAD_UP LB"; echo "set 1 lx 0 ly 0 lt 0"; echo "set 2 rx -9000 rt 31"
      echo "poll 4"
      echo "set 2 rx 0 rt 0"; echo "press 3 B"
      echo "poll 2"; echo "release 3 B"
    else
      echo "poll 10"
    fi
  done
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
instructions() {  # instructions FILE -> total instructions of padwatch-replay FILE
  valgrind --tool=callgrind --callgrind-out-file="$tmp/cg.out" "$build/padwatch-replay" "$1" \
    >/dev/null 2>"$tmp/cg.err"
  grep -m1 '^summary:' "$tmp/cg.out" | awk '{print $2}'
}
echo
echo "== instructions per poll of padwatch-replay (callgrind; the difference of a long and a short run)"
for kind in silent moving; do
  scenario 1000 "$kind" >"$tmp/short.scn"
  scenario 11000 "$kind" >"$tmp/long.scn"
  short=$(instructions "$tmp/short.scn")
  long=$(instructions "$tmp/long.scn")
  lines=$("$build/padwatch-replay" "$tmp/long.scn" | wc -l)
  echo "$kind: $(( (long - short) / 100000 )) instructions per poll" \
       "(100000 polls; the long run wrote $lines lines for 110000 polls)"
done

echo
echo "== memory high-water mark (maximum resident set, KiB)"
peak() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1; }
held() {  # held POLLS: four controllers with every axis out of rest: 24 lines a poll
  for slot in 0 1 2 3; do
    echo "plug $slot"
    echo "set $slot lx 30000 ly -30000 rx 20000 ry -20000 lt 255 rt 100"
  done
  echo "poll $1"
}
for polls in 10000 1000000; do
  held "$polls" >"$tmp/held.scn"
  echo "padwatch-replay, $polls polls writing 24 lines each: $(peak "$build/padwatch-replay" "$tmp/held.scn")"
done
for seconds in 2 10; do
  kib=$( { /usr/bin/time -f '%M' timeout --preserve-status -s INT "$seconds" "$build/padwatch" \
           >/dev/null; } 2>&1 | tail -n 1) || true
  echo "padwatch, ${seconds} s of polling with no controller: $kib"
done
