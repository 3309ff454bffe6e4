#!/usr/bin/env bash
# The quick check after every change: the debug build and its unit, golden,
# program and SDL tests. No Wine, no qemu, no fuzzing, no long run; those
# are in scripts/build.sh test, the full gate.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

require_packages "${build_packages[@]}" libgtest-dev libgmock-dev libbenchmark-dev tmux
build debug
ctest --test-dir "$root/build/debug" --output-on-failure --parallel "$jobs" --label-exclude e2e
