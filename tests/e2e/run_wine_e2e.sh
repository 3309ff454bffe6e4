#!/usr/bin/env bash
# End-to-end test of the Windows program: the unchanged padwatch.exe runs
# under Wine inside a qemu guest booted with Debian's kernel, and sees the
# gamepads pad_feeder makes through Wine's own input stack (winebus with
# its SDL backend, HID, Wine's xinput1_4). For each scenario its output, CRs
# stripped and consecutive identical lines merged, must equal NAME.wine.out
# where the scenario has one (Wine's XInput legitimately differs there; the
# scenario says why) and NAME.out otherwise, or an alternative beside it
# (see expected_outputs in guest.sh).
#
#   run_wine_e2e.sh ZIPDIR FEEDER WORKDIR REPLAY
#
# padwatch.exe is taken from the Windows zip in ZIPDIR, as shipped. In the
# scenarios of $recorded, padwatch-check.exe --record (from the zip too) runs
# beside it; the recording, played here by the Linux padwatch-replay
# (REPLAY), must print what padwatch.exe printed, but for how often a "with
# value" line repeats.
#
# The guest's root is the host's /usr and /etc over 9p, read-only, with tmpfs
# for everything written; WORKDIR/wine/run is shared read-write for the
# results. The Wine prefix is made once per build folder and unpacked in
# the guest for each run; Wine starts once in the guest and serves every
# scenario. Runs only with
# PADWATCH_E2E=1; exits 77 (skipped) when qemu or Wine cannot start.
set -euo pipefail
zipdir=$1
feeder=$2
work=$3
replay=$4
recorded=(x360_buttons)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

source "$here/guest.sh"
need_qemu
zip=$(ls "$zipdir"/padwatch-*-windows-x86_64.zip 2>/dev/null | head -n 1 || true)
if [ -z "$zip" ]; then
  echo "SKIPPED: no Windows zip in $zipdir (scripts/test-windows.sh makes it)" >&2
  exit $skip
fi
if ! command -v wine >/dev/null 2>&1 || ! wine --version >/dev/null 2>&1; then
  echo "SKIPPED: wine is not installed or does not start" >&2
  exit $skip
fi
# What the guest needs; what these depend on comes with them.
fetch_kernel "$work" "${wine_modules[@]}"

# The prefix, once per build folder, with winebus reading pads through SDL.
prefix="$work/wine/prefix"
make_wine_prefix "$prefix" || { echo "SKIPPED: Wine cannot make a prefix" >&2; exit $skip; }

# The share: the prefix as one file, the programs, the scenarios and the
# script the guest runs. The guest unpacks the prefix into its own memory:
# read from the share, every Wine process read the prefix's DLLs over 9p
# again, and each took seconds longer to start.
run="$work/wine/run"
rm -rf "$run" && mkdir -p "$run"/{bin,feeds,out}
ln "$prefix.tar" "$run/prefix.tar" 2>/dev/null || cp "$prefix.tar" "$run/prefix.tar"
(cd "$run" && cmake -E tar xf "$zip" bin/padwatch.exe bin/padwatch-check.exe)
printf '%s\n' "${recorded[@]}" >"$run/record"
cp "$feeder" "$run/bin/pad_feeder"
cp "$cases"/*.feed "$cases/rumble_x360.script" "$cases/hid_ds4.script" \
  "$run/feeds/"
# The health check's pad is the Xbox 360 pad as xpad makes it, through
# uinput: this guest has no USB gadget.
# Its sticks turn at 40 ms a report, not 15: Wine's device host, beside the
# busy Linux guest, has been seen to hand over too few of a quick turn's
# readings for a direction to count.
sed -e 's/^create pad x360usb$/create pad x360/' -e 's/^\(turn .*\) 10 15 /\1 10 40 /' \
  "$cases/health_x360.script" >"$run/feeds/health_x360.script"
cp "$here/wine_guest.sh" "$run/guest.sh"

# The initramfs: busybox, the modules, and an init that builds the root.
initroot="$work/wine/initramfs"
rm -rf "$initroot" && mkdir -p "$initroot"/{bin,proc,sys,dev,modules,newroot}
cp /bin/busybox "$initroot/bin/"
for module in "${modules[@]}"; do cp "$kernel/$module.ko" "$initroot/modules/"; done
cat >"$initroot/init" <<INIT
#!/bin/busybox sh
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
for module in ${modules[*]}; do insmod /modules/\$module.ko || echo "insmod \$module failed"; done
r=/newroot
mount -t tmpfs -o size=4g tmpfs \$r
mkdir -p \$r/usr \$r/etc \$r/xfer \$r/tmp \$r/root \$r/run \$r/var/tmp \$r/dev \$r/proc \$r/sys
for link in bin lib lib64 sbin; do ln -s usr/\$link \$r/\$link; done
options=trans=virtio,version=9p2000.L,msize=512000
mount -t 9p -o \$options,ro,cache=loose usr \$r/usr
mount -t 9p -o \$options,ro,cache=loose etc \$r/etc
mount -t 9p -o \$options,rw,cache=mmap xfer \$r/xfer
mount --move /dev \$r/dev
mount --move /proc \$r/proc
mount --move /sys \$r/sys
mkdir -p \$r/dev/shm \$r/dev/pts
mount -t tmpfs tmpfs \$r/dev/shm
mount -t devpts devpts \$r/dev/pts
chmod 1777 \$r/tmp \$r/var/tmp \$r/dev/shm
chroot \$r /bin/bash /xfer/guest.sh
echo "=== ALL DONE"
sync
reboot -f
INIT
chmod +x "$initroot/init"
(cd "$initroot" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/wine/initramfs.gz"

echo "booting the guest"
log="$work/wine/console.log"
share() {  # share TAG PATH [readonly]
  echo "-fsdev local,id=$1,path=$2,security_model=none${3:+,readonly=on}"
  echo "-device virtio-9p-pci,fsdev=$1,mount_tag=$1"
}
# shellcheck disable=SC2046
boot_guest "$log" 1500 6G "$work/wine/initramfs.gz" \
  $(share usr /usr ro) $(share etc /etc ro) $(share xfer "$run")
if ! grep -q '=== WINE STARTED' "$log.txt"; then
  echo "SKIPPED: Wine did not start in the guest; its console:" >&2
  tail -n 30 "$log.txt" >&2
  exit $skip
fi

failed=0
for feed in "$cases"/*.feed; do
  name=$(basename "$feed" .feed)
  mapfile -t expected < <(expected_outputs "$cases" "$name" wine)
  out="$run/out/$name"
  header=$(grep "^=== SCENARIO $name " "$log.txt" || echo "=== SCENARIO $name (missing)")
  problems=()
  [ -f "$out.out" ] || problems+=("no output")
  [ -f "$out.out" ] && tr -d '\r' <"$out.out" | uniq >"$out.actual"
  [ -f "$out.actual" ] && ! matches_any "$out.actual" "${expected[@]}" >"$out.diff" &&
    problems+=("output differs from $(basename "${expected[0]}")")
  grep -q " feeder=0 " <<<"$header" || problems+=("the feeder failed")
  grep -q " stopped=ctrl-c " <<<"$header" || problems+=("padwatch.exe did not stop on Ctrl+C")
  grep -q " padwatch=0 " <<<"$header" || problems+=("padwatch.exe did not exit 0")
  if printf '%s\n' "${recorded[@]}" | grep -qx "$name"; then
    grep -q " recorder=0$" <<<"$header" || problems+=("padwatch-check.exe --record did not exit 0")
    "$replay" "$out.recording.scn" >"$out.replayed" 2>"$out.replay.err" ||
      problems+=("the recording does not replay")
    without_repeats "$out.actual" >"$out.live.cmp"
    without_repeats "$out.replayed" >"$out.replayed.cmp"
    if diff -u "$out.live.cmp" "$out.replayed.cmp" >"$out.replay.diff"; then
      echo "ok   $name recorded under Wine and replayed on Linux: $(wc -l <"$out.live.cmp")" \
           "lines as padwatch.exe printed them ($(wc -c <"$out.recording.scn") bytes of recording)"
    else
      problems+=("the replayed recording differs from padwatch.exe's output")
      cat "$out.replay.diff" "$out.replay.err"
    fi
  fi
  # A line cut short would show as output not ending in CRLF.
  if [ -s "$out.out" ] && [ "$(tail -c 2 "$out.out" | od -An -c | tr -d ' ')" != '\r\n' ]; then
    problems+=("the last line is incomplete")
  fi
  # Wine's device host dying shows only in its log: never a silent pass.
  if grep -hE 'Unhandled (page fault|exception)|wine: .*(crash|died)|has died' \
       "$run/out/wine.log" >/dev/null 2>&1; then
    problems+=("Wine crashed")
  fi
  if [ ${#problems[@]} -eq 0 ]; then
    echo "ok   $name ($(cat "$out.diff"))"
  else
    echo "FAIL $name: ${problems[*]} ($header)"
    [ -f "$out.diff" ] && cat "$out.diff"
    for file in "$out.err" "$out.feeder" "$run/out/wine.log"; do
      [ -s "$file" ] && { echo "--- $(basename "$file")"; tail -n 40 "$file"; }
    done
    failed=1
  fi
done

# padwatch-check.exe --doctor: XInput answers, the pad in a slot, and Wine
# named with how it serves XInput.
doctor="$run/out/doctor.out"
if grep -q '^=== DOCTOR status=0' "$log.txt" && grep -q '^  slot 0: a controller' "$doctor" &&
   grep -q '^XInput:   XINPUT1_4.dll, ' "$doctor" && grep -q '^Wine:     [0-9]' "$doctor"; then
  echo "ok   padwatch-check.exe --doctor: $(grep -c 'served by XInput' "$doctor") HID pad(s)" \
       "served by XInput, every controller usable"
else
  echo "FAIL padwatch-check.exe --doctor ($(grep '^=== DOCTOR' "$log.txt" || echo missing))"
  cat "$doctor" "$run/out/doctor.feeder" 2>/dev/null
  failed=1
fi
# padwatch-check.exe --test on the healthy Xbox 360 pad: the card the Linux
# guest's xpad pad gives, health_x360.card.
header=$(grep "^=== HEALTH " "$log.txt" || echo "=== HEALTH (missing)")
if grep -q " test=0 feeder=0$" <<<"$header" &&
   python3 "$here/health_card_check.py" "$run/out/health_x360.json" "$cases/health_x360.card" \
     >"$run/out/health_x360.diff" 2>&1; then
  echo "ok   padwatch-check.exe --test on a healthy Xbox 360 pad: $(cat "$run/out/health_x360.diff")"
else
  echo "FAIL padwatch-check.exe --test on a healthy Xbox 360 pad ($header)"
  cat "$run/out/health_x360.diff" "$run/out/health_x360.err" "$run/out/health_x360.feeder" 2>/dev/null
  failed=1
fi
# padwatch-check.exe --once and --rumble through Wine's XInput, on the three
# pads at once (in whichever slots Wine gives them): three pads with
# vibration and both motors of each accepted; the Xbox 360 pad's effects
# reach its feeder, and hid-sony's output reports carry the DualShock 4's
# motors.
header=$(grep "^=== PADS " "$log.txt" || echo "=== PADS (missing)")
once=$(tr -d '\r' <"$run/out/pads.once.out" 2>/dev/null || true)
rumble=$(tr -d '\r' <"$run/out/pads.rumble.out" 2>/dev/null || true)
problems=()
grep -q " once=0 rumble=0$" <<<"$header" || problems+=("padwatch-check.exe failed")
[ "$(grep -c '^  Type:     gamepad, .*, vibration$' <<<"$once")" = 3 ] ||
  problems+=("not three pads with vibration")
# XInput reads no motion sensors or touchpads, the DualShock 4's included.
[ "$(grep -c -x '  Motion:   not read: not available through XInput' <<<"$once")" = 3 ] &&
  [ "$(grep -c -x '  Touchpad: not read: not available through XInput' <<<"$once")" = 3 ] ||
  problems+=("motion and touchpad not said to be unavailable through XInput")
[ "$(grep -c -x 'Slot [0-3]: low-frequency motor accepted, high-frequency motor accepted' \
     <<<"$rumble")" = 3 ] || problems+=("the motors of the three pads were not accepted")
x360="$run/out/rumble_x360.feeder" ds4="$run/out/hid_ds4.feeder"
grep -q '^pad: ff upload id [0-9]* rumble strong 65535 weak 0 ' "$x360" &&
  grep -q '^pad: ff upload id [0-9]* rumble strong 0 weak 65535 ' "$x360" ||
  problems+=("the Xbox 360 pad's effects did not arrive")
grep -q '^pad: output 0x05 flags 0x07 strong 255 weak 0 ' "$ds4" &&
  grep -q '^pad: output 0x05 flags 0x07 strong 0 weak 255 ' "$ds4" ||
  problems+=("the DualShock 4's output reports did not arrive")
if [ ${#problems[@]} -eq 0 ]; then
  echo "ok   padwatch-check.exe --once and --rumble on two Xbox 360 pads and a DualShock 4:" \
       "vibration on both, batteries \"$(sed -n 's/^  Battery:  //p' <<<"$once" | paste -sd '/')\";" \
       "$(grep -c '^pad: ff upload' "$x360") effects, $(grep -c '^pad: output' "$ds4") reports;" \
       "motion and touchpad not available through XInput"
else
  echo "FAIL padwatch-check.exe --once and --rumble on three pads: ${problems[*]} ($header)"
  echo "$once" "$rumble"
  cat "$x360" "$ds4" 2>/dev/null
  failed=1
fi
exit $failed
