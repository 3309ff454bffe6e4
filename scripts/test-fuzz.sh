#!/usr/bin/env bash
# Fuzzes the scenario reader with libFuzzer for a bounded time (default 60 s,
# or the first argument), starting from the test scenarios.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/fuzz"
seconds=${1:-60}

CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPADWATCH_FUZZ=ON -DPADWATCH_BUILD_TESTS=OFF -DPADWATCH_WERROR="${PADWATCH_WERROR:-OFF}" \
  >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target scenario_fuzzer >/dev/null

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp "$root"/tests/golden/*.scn "$corpus"/
# -timeout: an input that takes a second is a hang. Reports go to standard
# error; the last lines say how far it got.
"$build/scenario_fuzzer" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus" 2>"$corpus.log" || {
  tail -n 60 "$corpus.log" >&2
  exit 1
}
grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^Done|stat::(number_of_executed_units|new_units_added|peak_rss)' \
  "$corpus.log" || true
echo "corpus grew from $(ls "$root"/tests/golden/*.scn | wc -l) to $(ls "$corpus" | wc -l) inputs"
rm -f "$corpus.log"
