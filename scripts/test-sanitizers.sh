#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (any finding ends the program) and runs the whole test suite on it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build="$root/build/sanitize"

build sanitize

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Twice as many tests as processors: many of them spend their time waiting
# on a program under test (the terminal screens, the demo's steps).
ctest --test-dir "$build" --output-on-failure --parallel "$((jobs * 2))" --label-exclude e2e
