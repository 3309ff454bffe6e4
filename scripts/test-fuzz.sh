#!/usr/bin/env bash
# Fuzzes the scenario reader with libFuzzer for a bounded time (default 60 s,
# or the first argument), starting from every scenario the tests have.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build="$root/build/fuzz"
seconds=${1:-60}

build fuzz scenario_fuzzer >/dev/null

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
seeds=("$root"/tests/golden/*.scn "$root"/tests/check_golden/*.scn)
for seed in "${seeds[@]}"; do  # the folder in the name: two folders may share a name
  cp "$seed" "$corpus/$(basename "$(dirname "$seed")")-$(basename "$seed")"
done
# -timeout: an input that takes a second is a hang. Reports go to standard
# error; the last lines say how far it got.
"$build/scenario_fuzzer" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus" 2>"$corpus.log" || {
  tail -n 60 "$corpus.log" >&2
  exit 1
}
grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^Done|stat::(number_of_executed_units|new_units_added|peak_rss)' \
  "$corpus.log" || true
echo "corpus grew from ${#seeds[@]} to $(ls "$corpus" | wc -l) inputs"
rm -f "$corpus.log"
