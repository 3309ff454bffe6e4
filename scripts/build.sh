#!/usr/bin/env bash
# Sets up, builds and runs padwatch on Debian and Ubuntu.
#
#   scripts/build.sh run    build padwatch (release) and run it
#   scripts/build.sh test   build everything and run every test: the Linux build
#                           with its tests under the sanitizers, the Windows build
#                           with its tests under Wine, the packages, valgrind, the
#                           fuzzer, a long run and the end-to-end tests in qemu
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

# Runs steps side by side, each a single-threaded program that leaves the
# other core idle much of its time (unpacking the guests' kernel and making
# Wine's prefix, for the end-to-end step, are), and says how long they took
# together. Their output is
# shown step by step once all have ended.
side_by_side() {
  local name=$1 logs pids=() status=0 i
  shift
  echo "==== $name" >&2
  local start=$SECONDS
  logs=$(mktemp -d)
  for i in $(seq 1 $#); do
    bash -c "${!i}" >"$logs/$i" 2>&1 &
    pids+=($!)
  done
  for i in $(seq 1 $#); do
    wait "${pids[$((i - 1))]}" || status=1
    echo "== ${!i}" >&2
    cat "$logs/$i" >&2
  done
  rm -rf "$logs"
  [ $status = 0 ]
  timings+=("$name: $((SECONDS - start)) s")
}

# The end-to-end tests are registered in the debug build, which makes the
# feeder; the Linux programs under test are build/release's, as shipped,
# made for the package already. The two guests run side by side, each
# keeping one core busy, but the Linux guest boots only once Wine has
# started in the other (or after two minutes): Wine's first start there, a
# great many small reads over 9p, took 96 s beside the busy Linux guest
# against 15 s alone.
e2e_tests() {
  (cd "$root" && cmake --preset debug -DPADWATCH_E2E_PROGRAMS="$root/build/release" >/dev/null)
  cmake --build "$root/build/debug" --parallel "$jobs" --target pad_feeder
  local tests=(ctest --test-dir "$root/build/debug" --output-on-failure)
  local wine_log="$root/build/debug/e2e/wine/console.log" wine status=0
  rm -f "$wine_log"
  PADWATCH_E2E=1 "${tests[@]}" -R '^e2e_wine_qemu_gamepads$' &
  wine=$!
  for _ in $(seq 1 1200); do
    grep -qa '^=== WINE STARTED' "$wine_log" 2>/dev/null && break
    kill -0 "$wine" 2>/dev/null || break
    sleep 0.1
  done
  PADWATCH_E2E=1 "${tests[@]}" -R '^e2e_qemu_gamepads$' || status=1
  wait "$wine" || status=1
  return $status
}

# The unit, golden, program and SDL tests run once, under the sanitizers
# (scripts/check.sh runs the same tests without them, for a quicker loop).
step "Linux build and tests under AddressSanitizer and UndefinedBehaviorSanitizer" \
  bash "$root/scripts/test-sanitizers.sh"
step "Windows build and tests under Wine" bash "$root/scripts/test-windows.sh"
step "Debian package" bash "$root/scripts/test-packages.sh"
side_by_side "valgrind memcheck and a long run; fuzzing the scenario reader; the guests' kernel and Wine prefix" \
  "bash '$root/scripts/test-valgrind.sh' && bash '$root/scripts/test-long-run.sh'" \
  "bash '$root/scripts/test-fuzz.sh' 25" \
  "bash '$root/tests/e2e/prepare_guests.sh' '$root/build/debug/e2e'"
step "End to end: virtual gamepads in qemu guests" e2e_tests
printf '%s\n' "Steps:" "${timings[@]/#/  }" "  all: $SECONDS s" >&2
