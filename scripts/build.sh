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
# turns compiler warnings into errors.
set -euo pipefail

mode=${1:-}
case "$mode" in
  run|test) ;;
  *) echo "usage: scripts/build.sh run|test" >&2; exit 2 ;;
esac

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
packages=(g++ cmake ninja-build pkg-config libsdl2-dev)
if [ "$mode" = test ]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev googletest
             g++-mingw-w64-x86-64-posix wine wine64 dpkg-dev lintian
             valgrind clang libclang-rt-14-dev time
             qemu-system-x86 busybox-static cpio)
fi

missing=()
if command -v dpkg-query >/dev/null 2>&1; then
  for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
  done
fi
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "padwatch needs these packages first:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt_options=(-q -o DPkg::Lock::Timeout=600)
  apt-get "${apt_options[@]}" update >&2
  apt-get "${apt_options[@]}" install -y --no-install-recommends "${missing[@]}" >&2
fi

generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
jobs=$(nproc 2>/dev/null || echo 2)

if [ "$mode" = run ]; then
  build="$root/build/release"
  cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DPADWATCH_BUILD_TESTS=OFF -DPADWATCH_WERROR="${PADWATCH_WERROR:-OFF}" >&2
  cmake --build "$build" --parallel "$jobs" --target padwatch >&2
  echo "padwatch is watching for controllers; Ctrl+C stops it." >&2
  exec "$build/padwatch"
fi

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

linux_tests() {
  local build="$root/build/debug"
  # The benchmarks are built here too, so that they keep compiling; they
  # are run by scripts/bench.sh.
  cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Debug \
    -DPADWATCH_BUILD_BENCHMARKS=ON -DPADWATCH_WERROR="${PADWATCH_WERROR:-OFF}"
  cmake --build "$build" --parallel "$jobs"
  ctest --test-dir "$build" --output-on-failure --parallel "$jobs" --label-exclude e2e
}

e2e_tests() {
  ctest --test-dir "$root/build/debug" --output-on-failure --label-regex e2e
}

step "Linux build and tests" linux_tests
step "Windows build and tests under Wine" bash "$root/scripts/test-windows.sh"
step "Debian package" bash "$root/scripts/test-packages.sh"
step "Tests under AddressSanitizer and UndefinedBehaviorSanitizer" \
  bash "$root/scripts/test-sanitizers.sh"
step "valgrind memcheck" bash "$root/scripts/test-valgrind.sh"
step "Fuzzing the scenario reader" bash "$root/scripts/test-fuzz.sh" 60
step "Long run" bash "$root/scripts/test-long-run.sh"
step "End to end: virtual gamepads in a qemu guest" e2e_tests
printf '%s\n' "Steps:" "${timings[@]/#/  }" >&2
