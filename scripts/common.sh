# Sourced by the other scripts: the packages each kind of work needs, and
# how a build folder is made. The build configurations themselves are the
# presets in CMakePresets.json (release, debug, windows, sanitize, fuzz,
# bench), each building into build/PRESET.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

# What each kind of work needs beyond the build itself.
build_packages=(g++ cmake ninja-build pkg-config libsdl2-dev nlohmann-json3-dev)
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev googletest
               g++-mingw-w64-x86-64-posix wine wine64 dpkg-dev lintian
               valgrind clang libclang-rt-14-dev time
               qemu-system-x86 busybox-static cpio tmux unicode-data python3
               librsvg2-bin)
bench_packages=(libbenchmark-dev valgrind time)

# require_packages PACKAGE...: installs the missing ones with apt-get when
# run as root; otherwise prints the exact apt-get line and fails.
require_packages() {
  local missing=() package status
  command -v dpkg-query >/dev/null 2>&1 || return 0
  for package in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "padwatch needs these packages first:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    return 1
  fi
  echo "Installing ${missing[*]}" >&2
  local apt_options=(-q -o DPkg::Lock::Timeout=600)
  DEBIAN_FRONTEND=noninteractive apt-get "${apt_options[@]}" update >&2
  DEBIAN_FRONTEND=noninteractive apt-get "${apt_options[@]}" install -y \
    --no-install-recommends "${missing[@]}" >&2
}

# build PRESET [TARGET...]: configures build/PRESET from its preset and
# builds the targets, or everything.
build() {
  local preset=$1
  shift
  (cd "$root" && cmake --preset "$preset" >/dev/null)
  local targets=()
  [ $# -eq 0 ] || targets=(--target "$@")
  cmake --build "$root/build/$preset" --parallel "$jobs" "${targets[@]}"
}
