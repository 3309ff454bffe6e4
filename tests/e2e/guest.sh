# Sourced by the end-to-end tests: what both need to boot a qemu guest.
#
#   need_qemu                  exits 77 (skipped) unless asked for with
#                              PADWATCH_E2E=1 and qemu can start
#   fetch_kernel WORK MODULE...  sets $kernel to a folder with the vmlinuz of
#                              the package linux-image-amd64 points at now
#                              and the named modules (.ko) with all they
#                              depend on, fetched once, and $modules to
#                              them all, each after its dependencies
#   $linux_modules, $wine_modules  what each guest loads (for fetch_kernel)
#   make_wine_prefix PREFIX    makes the Wine guest's prefix there, once,
#                              and PREFIX.tar of it, which the guest
#                              unpacks; false when Wine cannot
#   plain_console LOG          the console log without CRs or terminal codes
#   $cases                     the cases: scripts, feeds, expected outputs
#                              and driver logs

skip=77
cases="$(dirname "${BASH_SOURCE[0]}")/cases"

# uhid, hid-sony, hid-playstation and hid-nintendo: a DualShock 4, a
# DualSense and a Switch Pro Controller that the kernel's own drivers bind.
# xpad, and for it a USB device: dummy_hcd (a USB host and device controller
# joined in software), configfs gadgets and FunctionFS, through which the
# feeder is the device. The Wine guest's root comes over 9p.
linux_modules=(evdev uinput uhid hid_sony hid_playstation hid_nintendo xpad dummy_hcd configfs
               libcomposite usb_f_fs)
wine_modules=(virtio_pci 9pnet_virtio 9p evdev uinput uhid hid_sony)

make_wine_prefix() {
  local prefix=$1
  if [ -f "$prefix/.padwatch-ready" ]; then
    [ -f "$prefix.tar" ] || tar -C "$prefix" -cf "$prefix.tar" .
    return
  fi
  rm -rf "$prefix" "$prefix.tar" && mkdir -p "$prefix"
  (
    export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe,mscoree,mshtml=d"
    unset DISPLAY WAYLAND_DISPLAY
    wineboot -i >/dev/null 2>&1
    # winebus reads pads through SDL, with no udev daemon in the guest.
    key='HKLM\System\CurrentControlSet\Services\winebus'
    wine reg add "$key" /v "Enable SDL" /t REG_DWORD /d 1 /f >/dev/null 2>&1
    wine reg add "$key" /v DisableUdevd /t REG_DWORD /d 1 /f >/dev/null 2>&1
    wineserver -w
  ) || return 1
  touch "$prefix/.padwatch-ready"
  tar -C "$prefix" -cf "$prefix.tar" .
}

need_qemu() {
  if [ "${PADWATCH_E2E:-}" != 1 ]; then
    echo "SKIPPED: set PADWATCH_E2E=1 to boot the qemu guest (scripts/build.sh test does)" >&2
    exit $skip
  fi
  qemu=$(command -v qemu-system-x86_64 || true)
  if [ -z "$qemu" ]; then
    echo "SKIPPED: qemu-system-x86_64 is not installed" >&2
    exit $skip
  fi
  if ! "$qemu" -version >/dev/null 2>&1; then
    echo "SKIPPED: qemu-system-x86_64 does not start" >&2
    exit $skip
  fi
}

fetch_kernel() {
  local work=$1
  shift
  mkdir -p "$work"
  local package
  package=$(apt-cache depends linux-image-amd64 2>/dev/null |
            awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
  if [ -z "$package" ]; then
    echo "cannot resolve the kernel package behind linux-image-amd64 (run apt-get update)" >&2
    exit 1
  fi
  kernel="$work/$package"
  mkdir -p "$kernel"
  # Both tests may fetch at once (ctest --parallel): one at a time, and
  # files are only ever added, so a guest that is booting keeps its kernel.
  # Beside each module, NAME.deps lists what it depends on, as the module
  # itself says (its modinfo "depends="): the package ships no modules.dep.
  (
    flock 9
    local module missing=0
    for module in "$@"; do [ -f "$kernel/$module.deps" ] || missing=1; done
    [ ! -f "$kernel/vmlinuz" ] || [ $missing = 1 ] || exit 0
    if ! ls "$kernel"/*.deb >/dev/null 2>&1; then
      (cd "$kernel" && apt-get download "$package" >/dev/null 2>&1) ||
        { echo "cannot download $package" >&2; exit 1; }
    fi
    local unpacked
    unpacked=$(mktemp -d "$kernel/unpacked.XXXXXX")
    dpkg-deb -x "$kernel"/*.deb "$unpacked"
    [ -f "$kernel/vmlinuz" ] || cp "$unpacked"/boot/vmlinuz-* "$kernel/vmlinuz.new"
    [ ! -f "$kernel/vmlinuz.new" ] || mv "$kernel/vmlinuz.new" "$kernel/vmlinuz"
    local queue=("$@") found
    while [ ${#queue[@]} -gt 0 ]; do
      module=${queue[0]}
      queue=("${queue[@]:1}")
      [ -f "$kernel/$module.deps" ] && continue
      # A module's file may spell its name with - where the name has _.
      found=$(find "$unpacked/lib/modules" \( -name "$module.ko" -o -name "${module//_/-}.ko" \) |
              head -n 1)
      [ -n "$found" ] || { echo "no module $module in $package" >&2; exit 1; }
      cp "$found" "$kernel/$module.ko.new"
      mv "$kernel/$module.ko.new" "$kernel/$module.ko"
      # Written last: a module with its .deps is there whole.
      tr '\0' '\n' <"$found" | sed -n 's/^depends=//p' | head -n 1 | tr ',' '\n' |
        sed '/^$/d; s/-/_/g' >"$kernel/$module.deps.new"
      mv "$kernel/$module.deps.new" "$kernel/$module.deps"
      mapfile -t -O "${#queue[@]}" queue <"$kernel/$module.deps"
    done
    rm -rf "$unpacked"
  ) 9>"$kernel.lock" || exit 1
  # The modules to load, each after what it depends on.
  modules=()
  local -A placed=()
  place() {
    [ -z "${placed[$1]:-}" ] || return 0
    placed[$1]=1
    local dependency
    while read -r dependency; do place "$dependency"; done <"$kernel/$1.deps"
    modules+=("$1")
  }
  for module in "$@"; do place "$module"; done
  echo "kernel: $package; modules: ${modules[*]}"
}

plain_console() {
  tr -d '\r' <"$1" | sed 's/\x1b\[[0-9;?]*[A-Za-z]//g; s/\x1bc//g'
}

# boot_guest LOG SECONDS MEMORY INITRAMFS [QEMU OPTION...]: boots the kernel
# fetch_kernel fetched, with INITRAMFS, for at most SECONDS; its console goes
# to LOG and, as plain lines, to LOG.txt. Fails unless the guest said
# "=== ALL DONE".
boot_guest() {
  local log=$1 seconds=$2 memory=$3 initramfs=$4 start=$SECONDS
  shift 4
  # Software emulation: KVM, where /dev/kvm exists at all, cannot be relied
  # on in nested virtual machines (seen hanging right after the boot loader).
  timeout "$seconds" "$qemu" -machine q35 -accel tcg -m "$memory" -smp 2 -nographic -no-reboot \
    -kernel "$kernel/vmlinuz" -initrd "$initramfs" \
    -append "console=ttyS0 quiet loglevel=3 panic=-1" "$@" >"$log" 2>&1 || true
  plain_console "$log" >"$log.txt"
  echo "guest ran for $((SECONDS - start)) s"
  if ! grep -q '^=== ALL DONE' "$log.txt"; then
    echo "the guest did not finish; its console:" >&2
    tail -n 50 "$log.txt" >&2
    exit 1
  fi
}

# expected_outputs DIR NAME [PLATFORM]: the files padwatch's output for
# scenario NAME may equal: NAME.PLATFORM.out (or, without one, NAME.out), and
# the alternatives beside it, NAME[.PLATFORM].alt*.out, for scenarios whose
# order of lines the kernel or the platform leaves open (the scenario says
# why).
expected_outputs() {
  local dir=$1 name=$2 platform=${3:-}
  local base="$dir/$name"
  if [ -n "$platform" ] && [ -f "$dir/$name.$platform.out" ]; then base="$dir/$name.$platform"; fi
  ls "$base.out" "$base".alt*.out 2>/dev/null || true
}

# matches_any ACTUAL EXPECTED...: whether ACTUAL equals one of them. Prints
# the name of the one it equals, or the difference from the first.
matches_any() {
  local actual=$1
  shift
  local expected
  for expected in "$@"; do
    if cmp -s "$expected" "$actual"; then
      basename "$expected"
      return 0
    fi
  done
  diff -u "$1" "$actual"
  return 1
}

# without_repeats FILE: padwatch's lines with every "with value" line that
# repeats the last one for its axis (no other line of that axis between)
# left out: how often such a line repeats depends on when each program
# polled, not on what the controller did.
without_repeats() {
  awk '
    / with value: / {
      key = $0; sub(/ with value: .*/, "", key)
      if (last[key] == $0) next
      last[key] = $0; print; next
    }
    /^Axis \[/ { key = $0; sub(/\] .*/, "", key); for (k in last) if (index(k, key "]") == 1) delete last[k] }
    { print }
  ' "$1"
}
