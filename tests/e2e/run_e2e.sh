#!/usr/bin/env bash
# End-to-end test through a real Linux kernel: boots Debian's kernel under
# qemu with an initramfs made here, where pad_feeder creates gamepads
# exactly as their drivers present them and the unchanged padwatch binary
# watches them through SDL. padwatch's output for each scenario, with
# consecutive identical lines merged (a held axis writes a line per poll),
# must equal the expected lines beside the scenario.
#
#   run_e2e.sh PADWATCH FEEDER WORKDIR CHECK REPLAY
#
# It also runs padwatch-check (CHECK) on an Xbox 360 pad: --once must name
# it with its ids, and --rate must find the 250 Hz the feeder plays. And
# beside padwatch in every scenario, padwatch-check --record: the recording,
# played on the host by padwatch-replay (REPLAY), must print what padwatch
# printed, but for how often a "with value" line repeats.
#
# Runs only when asked, with PADWATCH_E2E=1 in the environment (it downloads
# a kernel and takes minutes); otherwise, and when qemu cannot start at all,
# it exits 77 (skipped).
set -euo pipefail
padwatch=$1
feeder=$2
work=$3
check=$4
replay=$5
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

source "$here/guest.sh"
need_qemu
fetch_kernel "$work" "${linux_modules[@]}"

# The initramfs: busybox, bash for the cases, the modules, padwatch with the
# libraries it links, the feeder and the scenarios.
root="$work/root"
rm -rf "$root"
mkdir -p "$root"/{bin,proc,sys,dev,tmp,e2e,modules}
cp /bin/busybox "$root/bin/busybox"
for module in "${modules[@]}"; do cp "$kernel/$module.ko" "$root/modules/"; done
printf '%s\n' "${modules[@]}" >"$root/modules/order"
cp "$padwatch" "$root/bin/padwatch"
cp "$feeder" "$root/bin/pad_feeder"
cp "$check" "$root/bin/padwatch-check"
cp /bin/bash "$root/bin/bash"
# The delay benchmark's tools, where this build has made them (the gate
# does not: PADWATCH_E2E_CASES=delay runs them).
tools=()
for tool in delay_probe seen_probe loop_pass; do
  if [ -x "$(dirname "$feeder")/$tool" ]; then
    cp "$(dirname "$feeder")/$tool" "$root/bin/"
    tools+=("$(dirname "$feeder")/$tool")
  fi
done
{ ldd "$padwatch"; ldd "$check"; ldd /bin/bash; for tool in "${tools[@]}"; do ldd "$tool" || true; done; } |
  grep -oE '/[^ ]+' | sort -u | while read -r lib; do
  mkdir -p "$root$(dirname "$lib")"
  cp -L "$lib" "$root$lib"
done
cp "$cases"/*.feed "$cases"/*.script "$root/e2e/"
# The DualShock 4's scenario again, through uhid and the real drivers
# (NAME.KIND plays NAME on KIND): real input reports, read by hid-sony,
# hid-playstation and hid-nintendo. And the DualSense's and the Switch Pro
# Controller's checks are the DualShock 4's.
variants=()
for kind in ds4hid dualsensehid switchprohid; do
  sed "s/^create pad ds4\$/create pad $kind/" "$cases/ds4_pad.feed" >"$root/e2e/ds4_pad.$kind.feed"
  variants+=("ds4_pad.$kind")
done
sed 's/ds4hid/dualsensehid/' "$cases/hid_ds4.script" >"$root/e2e/hid_dualsense.script"
sed 's/ds4hid/switchprohid/' "$cases/hid_ds4.script" >"$root/e2e/hid_switchpro.script"
sed 's/ds4hid/dualsensehid/' "$cases/motion_ds4.script" >"$root/e2e/motion_dualsense.script"
# The Xbox 360 scenarios again through the real xpad, on USB.
for name in x360_axes x360_buttons; do
  sed 's/^create pad x360$/create pad x360usb/' "$cases/$name.feed" >"$root/e2e/$name.x360usb.feed"
  variants+=("$name.x360usb")
done
cp "$here/linux_cases.sh" "$root/e2e/"
# PADWATCH_E2E_CASES="mute storm" runs only those cases: for working on them.
if [ -n "${PADWATCH_E2E_CASES:-}" ]; then
  echo "linux_cases=($PADWATCH_E2E_CASES)" >>"$root/e2e/linux_cases.sh"
fi
cp "$here/linux_guest.sh" "$root/init"
chmod +x "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/initramfs.gz"

echo "booting the guest ($(du -h "$work/initramfs.gz" | cut -f1) initramfs)"
log="$work/console.log"
boot_guest "$log" 900 1024 "$work/initramfs.gz"

# Each case's check, beside its guest part in linux_cases.sh.
scenarios=()
for feed in "$cases"/*.feed; do scenarios+=("$(basename "$feed" .feed)"); done
scenarios+=("${variants[@]}")
# The expected outputs of scenario NAME[.KIND].
expected_for() {
  if [ -f "$cases/$1.out" ]; then expected_outputs "$cases" "$1"; else expected_outputs "$cases" "${1%%.*}"; fi
}
section() { sed -n "/^=== $1/,/^=== $2\$/p" "$log.txt" | sed '1d;$d'; }
doctor_report() { sed -n "/^=== DOCTOR $1 /,/^=== DOCTOR END $1\$/p" "$log.txt" | tee "$work/doctor_$1.txt"; }
failed=0
source "$here/linux_cases.sh"
if [ -n "${PADWATCH_E2E_CASES:-}" ]; then read -ra linux_cases <<<"$PADWATCH_E2E_CASES"; fi
for each in "${linux_cases[@]}"; do "check_$each"; done
grep '^=== TIME ' "$log.txt" | sed 's/^=== TIME /guest time: /'
exit $failed
