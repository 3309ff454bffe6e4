#!/usr/bin/env bash
# Sets up, builds and runs padwatch on Debian and Ubuntu.
#
#   scripts/build.sh run    build padwatch (release) and run it
#   scripts/build.sh test   build everything and run every test: the Linux build
#                           with its tests, the Windows build with its tests under
#                           Wine, the packages, the sanitizers, valgrind, the
#                           fuzzer, a long run and the end-to-end test in qemu
#
# Missing packages are installed with apt-get when run as root; otherwise the
# exact apt-get line is printed and nothing else happens. PADWATCH_WERROR=ON
# turns compiler warnings into errors. While working, scripts/check.sh is the
# quick loop.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

mode=${1:-}
case "$mode" in
  run)
    require_packages "${build_packages[@]}"
    build release padwatch >&2
    echo "padwatch is watching for controllers; Ctrl+C stops it." >&2
    exec "$root/build/release/padwatch"
    ;;
  test) require_packages "${build_packages[@]}" "${test_packages[@]}" ;;
  *) echo "usage: scripts/build.sh run|test" >&2; exit 2 ;;
esac

# One randomized session per run uses a new seed; it is printed so that a
# failure can be repeated with the same PADWATCH_RANDOM_SEED.
export PADWATCH_RANDOM_SEED=${PADWATCH_RANDOM_SEED:-$(date +%s%N)}
echo "random seed for this run: PADWATCH_RANDOM_SEED=$PADWATCH_RANDOM_SEED" >&2

# Runs one step and says how long it took.
timings=()
step() {
  local name=$1
  shift
  echo "==== $name" >&2
  local start=$SECONDS
  "$@"
  timings+=("$name: $((SECONDS - start)) s")
}

# The two guests side by side: each keeps one core busy.
e2e_tests() {
  PADWATCH_E2E=1 ctest --test-dir "$root/build/debug" --output-on-failure --label-regex e2e \
    --parallel 2
}

step "Linux build and tests" bash "$root/scripts/check.sh"
step "Windows build and tests under Wine" bash "$root/scripts/test-windows.sh"
step "Debian package" bash "$root/scripts/test-packages.sh"
step "Tests under AddressSanitizer and UndefinedBehaviorSanitizer" \
  bash "$root/scripts/test-sanitizers.sh"
step "valgrind memcheck" bash "$root/scripts/test-valgrind.sh"
step "Fuzzing the scenario reader" bash "$root/scripts/test-fuzz.sh" 60
step "Long run" bash "$root/scripts/test-long-run.sh"
step "End to end: virtual gamepads in a qemu guest" e2e_tests
printf '%s\n' "Steps:" "${timings[@]/#/  }" "  all: $SECONDS s" >&2
