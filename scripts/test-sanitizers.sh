#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (any finding ends the program) and runs the whole test suite on it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/sanitize"
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DPADWATCH_SANITIZE=address,undefined -DPADWATCH_WERROR="${PADWATCH_WERROR:-OFF}"
cmake --build "$build" --parallel "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure --parallel "$jobs" --label-exclude e2e
