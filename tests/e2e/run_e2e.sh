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
# uhid, hid-sony, hid-playstation and hid-nintendo: a DualShock 4, a
# DualSense and a Switch Pro Controller that the kernel's own drivers bind. xpad, and for it a USB device: dummy_hcd
# (a USB host and device controller joined in software), configfs gadgets
# and FunctionFS, through which the feeder is the device.
fetch_kernel "$work" evdev uinput uhid hid_sony hid_playstation hid_nintendo xpad dummy_hcd \
  configfs libcomposite usb_f_fs

# The initramfs: busybox, the modules, padwatch with the libraries it
# links, the feeder and the scenarios.
root="$work/root"
rm -rf "$root"
mkdir -p "$root"/{bin,proc,sys,dev,tmp,e2e,modules}
cp /bin/busybox "$root/bin/busybox"
for module in "${modules[@]}"; do cp "$kernel/$module.ko" "$root/modules/"; done
printf '%s\n' "${modules[@]}" >"$root/modules/order"
cp "$padwatch" "$root/bin/padwatch"
cp "$feeder" "$root/bin/pad_feeder"
cp "$check" "$root/bin/padwatch-check"
{ ldd "$padwatch"; ldd "$check"; } | grep -oE '/[^ ]+' | sort -u | while read -r lib; do
  mkdir -p "$root$(dirname "$lib")"
  cp -L "$lib" "$root$lib"
done
cp "$cases"/*.feed "$cases"/*.script "$root/e2e/"
# The DualShock 4's scenario again, through uhid and the real drivers
# (NAME.KIND plays NAME on KIND): real input reports, read by hid-sony,
# hid-playstation and hid-nintendo. And the DualSense's and the Switch Pro
# Controller's checks are the DualShock 4's.
for kind in ds4hid dualsensehid switchprohid; do
  sed "s/^create pad ds4\$/create pad $kind/" "$cases/ds4_pad.feed" >"$root/e2e/ds4_pad.$kind.feed"
done
sed 's/ds4hid/dualsensehid/' "$cases/hid_ds4.script" >"$root/e2e/hid_dualsense.script"
sed 's/ds4hid/switchprohid/' "$cases/hid_ds4.script" >"$root/e2e/hid_switchpro.script"
# The Xbox 360 scenarios again through the real xpad, on USB.
for name in x360_buttons x360_axes; do
  sed 's/^create pad x360$/create pad x360usb/' "$cases/$name.feed" >"$root/e2e/$name.x360usb.feed"
done
cp "$here/linux_guest.sh" "$root/init"
chmod +x "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/initramfs.gz"

echo "booting the guest ($(du -h "$work/initramfs.gz" | cut -f1) initramfs)"
log="$work/console.log"
boot_guest "$log" 900 1024 "$work/initramfs.gz"

# Every scenario, ds4_pad again through hid-sony, hid-playstation and
# hid-nintendo, and the Xbox 360 ones through xpad: NAME.KIND must print what
# NAME prints, or NAME.KIND.out where the pad differs. (On the Switch Pro
# Controller, SDL names the buttons by their labels, which Nintendo puts the
# other way round: the bottom button, BTN_SOUTH, is B.)
scenarios=()
for feed in "$cases"/*.feed; do scenarios+=("$(basename "$feed" .feed)"); done
scenarios+=(ds4_pad.ds4hid ds4_pad.dualsensehid ds4_pad.switchprohid x360_axes.x360usb
           x360_buttons.x360usb)
# The expected outputs of scenario NAME[.KIND].
expected_for() {
  if [ -f "$cases/$1.out" ]; then expected_outputs "$cases" "$1"; else expected_outputs "$cases" "${1%%.*}"; fi
}

failed=0
for name in "${scenarios[@]}"; do
  sed -n "/^=== BEGIN $name /,/^=== STDERR $name\$/p" "$log.txt" | sed '1d;$d' >"$work/$name.actual"
  header=$(grep "^=== BEGIN $name " "$log.txt" || echo "=== BEGIN $name (missing)")
  # shellcheck disable=SC2046
  if matches_any "$work/$name.actual" $(expected_for "$name") >"$work/$name.diff" &&
     grep -q "padwatch=0 feeder=0" <<<"$header"; then
    echo "ok   $name ($(cat "$work/$name.diff"))"
  else
    echo "FAIL $name ($header)"
    cat "$work/$name.diff"
    sed -n "/^=== STDERR $name\$/,/^=== END $name\$/p" "$log.txt"
    failed=1
  fi
done

# The recordings, replayed here: every line padwatch printed in the guest, in
# the same order, but for how often each "with value" line repeats.
for name in "${scenarios[@]}"; do
  sed -n "/^=== RECORDING $name /,/^=== RECORDING END $name\$/p" "$log.txt" | sed '1d;$d' \
    >"$work/$name.recording.scn"
  header=$(grep "^=== RECORDING $name " "$log.txt" || echo "(missing)")
  "$replay" "$work/$name.recording.scn" >"$work/$name.replayed" 2>"$work/$name.replay.err" || true
  without_repeats "$work/$name.actual" >"$work/$name.live.cmp"
  without_repeats "$work/$name.replayed" >"$work/$name.replayed.cmp"
  # Where the kernel leaves the order of two lines open (the scenario says
  # so and has an alternative expected output), padwatch and the recorder,
  # polling at different moments, may each see a different one.
  others=()
  for expected in $(expected_for "$name"); do
    without_repeats "$expected" >"$work/$name.$(basename "$expected").cmp"
    others+=("$work/$name.$(basename "$expected").cmp")
  done
  if grep -q "recorder=0" <<<"$header" &&
     diff -u "$work/$name.live.cmp" "$work/$name.replayed.cmp" >"$work/$name.replay.diff"; then
    echo "ok   $name recorded and replayed: $(wc -l <"$work/$name.live.cmp") lines as padwatch" \
         "printed them ($(wc -c <"$work/$name.recording.scn") bytes of recording)"
  elif grep -q "recorder=0" <<<"$header" && [ ${#others[@]} -gt 1 ] &&
       other=$(matches_any "$work/$name.replayed.cmp" "${others[@]}"); then
    echo "ok   $name recorded and replayed: the recorder saw the other order the kernel" \
         "allows ($other), padwatch $(matches_any "$work/$name.live.cmp" "${others[@]}" || true)"
  else
    echo "FAIL $name recorded and replayed ($header)"
    cat "$work/$name.replay.diff" "$work/$name.replay.err"
    failed=1
  fi
done

# padwatch-check: the pad by name and ids, and its rate: the usual rate 250 Hz,
# with the median interval within 15% of 4 ms. (The mean suffers from every
# moment the emulated guest is not scheduled; the median does not.)
sed -n '/^=== CHECK once=/,/^=== CHECK END$/p' "$log.txt" >"$work/check.actual"
rate_line=$(grep '^Slot 0: ' "$work/check.actual" | grep ' reports; ' || true)
median=$(sed -n 's/.*, median \([0-9.]*\) ms.*/\1/p' <<<"$rate_line")
mean=$(sed -n 's/.*mean rate \([0-9.]*\) Hz.*/\1/p' <<<"$rate_line")
if grep -q '^=== CHECK once=0 rate=0 feeder=0$' "$work/check.actual" &&
   grep -q '^  Name:     .*360' "$work/check.actual" &&
   grep -qx '  Ids:      045e:028e' "$work/check.actual" &&
   grep -q ', usual rate 250 Hz;' <<<"$rate_line" &&
   awk -v m="$median" 'BEGIN { exit !(m >= 3.4 && m <= 4.6) }'; then
  echo "ok   padwatch-check (median interval $median ms, mean rate $mean Hz)"
else
  echo "FAIL padwatch-check"
  cat "$work/check.actual"
  failed=1
fi
# padwatch-check --doctor: each fault named with its fix, the fix applied in
# the guest as printed makes it all good, and padwatch's hint.
doctor_report() { sed -n "/^=== DOCTOR $1 /,/^=== DOCTOR END $1\$/p" "$log.txt" | tee "$work/doctor_$1.txt"; }
doctor_ok=1
doctor_report denied | grep -q '^=== DOCTOR denied status=1$' || doctor_ok=0
doctor_report denied | grep -q 'Problem: you cannot read /dev/input/event[0-9]*, so padwatch' || doctor_ok=0
doctor_report denied | grep -q '^    Fix: sudo chgrp input /dev/input/event[0-9]* && sudo chmod 0660' ||
  doctor_ok=0
doctor_report denied | grep -q '^         sudo usermod -aG input player ' || doctor_ok=0
doctor_report fixed | grep -q '^=== DOCTOR fixed status=0$' || doctor_ok=0
doctor_report fixed | grep -q '^Every controller is fully usable\.$' || doctor_ok=0
doctor_report fixed | grep -q 'SDL:      a game controller, ' || doctor_ok=0
doctor_report unmapped | grep -q '^=== DOCTOR unmapped status=1$' || doctor_ok=0
doctor_report unmapped | grep -q 'Problem: SDL sees a joystick but has no game controller mapping' ||
  doctor_ok=0
doctor_report unmapped | grep -q "export SDL_GAMECONTROLLERCONFIG='[0-9a-f]\{32\},padwatch test joystick,a:b0," ||
  doctor_ok=0
doctor_report grabbed | grep -q '^=== DOCTOR grabbed status=1$' || doctor_ok=0
doctor_report grabbed | grep -q '^  open in:  [0-9]* (pad_feeder)' || doctor_ok=0
doctor_report grabbed | grep -q 'Why: one of the processes that have it open (above) grabbed it' || doctor_ok=0
sed -n '/^=== HINT$/,/^=== HINT END$/p' "$log.txt" >"$work/hint.txt"
grep -qx "padwatch: 1 game controller cannot be read by this user and will not be seen; 'padwatch-check --doctor' says why and how to fix it" \
  "$work/hint.txt" || doctor_ok=0
if [ $doctor_ok = 1 ]; then
  echo "ok   padwatch-check --doctor: unreadable node, its fix, no mapping, a grab; padwatch's hint"
else
  echo "FAIL padwatch-check --doctor"
  cat "$work"/doctor_*.txt "$work/hint.txt"
  failed=1
fi
# Rumble through the kernel: padwatch-check --rumble's strengths arrive as
# the effects the Xbox 360 pad's feeder logs, in order (rumble_x360.log).
section() { sed -n "/^=== $1/,/^=== $2\$/p" "$log.txt" | sed '1d;$d'; }
section "RUMBLE x360 " "RUMBLE END x360" >"$work/rumble_x360.txt"
if grep -q '^=== RUMBLE x360 once=0 rumble=0$' "$log.txt" &&
   grep -qx '  Type:     gamepad, wired, vibration' "$work/rumble_x360.txt" &&
   grep -qx 'Slot 0: low-frequency motor accepted, high-frequency motor accepted' \
     "$work/rumble_x360.txt" &&
   grep '^pad: ff ' "$work/rumble_x360.txt" | diff -u "$cases/rumble_x360.log" - >"$work/rumble_x360.diff"; then
  echo "ok   rumble on the Xbox 360 pad: $(grep -c '^pad: ff upload' "$work/rumble_x360.txt") effects" \
       "uploaded and played as asked"
else
  echo "FAIL rumble on the Xbox 360 pad"
  cat "$work/rumble_x360.txt" "$work/rumble_x360.diff"
  failed=1
fi
# The pad that never answers: told at once, and ended with the request
# under way (60 s), not a further one.
section "MUTE " "MUTE OUT" >"$work/mute.err"
mute_header=$(grep '^=== MUTE rumble=' "$log.txt" || echo "=== MUTE (missing)")
mute_seconds=$(sed -n 's/.* seconds=\([0-9]*\)$/\1/p' <<<"$mute_header")
if grep -q '^=== MUTE rumble=0 ' <<<"$mute_header" && [ -n "$mute_seconds" ] &&
   [ "$mute_seconds" -ge 50 ] && [ "$mute_seconds" -le 80 ] &&
   grep -q '^padwatch-check: stopping once the controller in slot 0 answers the rumble request, at most 60 s' \
     "$work/mute.err"; then
  echo "ok   rumble on a pad that never answers: told at once, ended after $mute_seconds s"
else
  echo "FAIL rumble on a pad that never answers ($mute_header)"
  cat "$work/mute.err"
  section "MUTE OUT" "MUTE END"
  failed=1
fi
# The storm: the recording replays to what padwatch printed.
section "BEGIN storm " "STDERR storm" >"$work/storm.actual"
section "RECORDING storm " "RECORDING END storm" >"$work/storm.recording.scn"
storm_header="$(grep '^=== BEGIN storm ' "$log.txt" || echo "=== BEGIN storm (missing)")"
storm_header+=" $(grep '^=== RECORDING storm ' "$log.txt" || true)"
"$replay" "$work/storm.recording.scn" >"$work/storm.replayed" 2>&1 || true
if grep -q 'padwatch=0 feeder=0 .*recorder=0$' <<<"$storm_header" &&
   diff -u <(without_repeats "$work/storm.actual") <(without_repeats "$work/storm.replayed") \
     >"$work/storm.diff"; then
  echo "ok   a storm of pads recorded and replayed as padwatch printed it:" \
       "$(grep -c '^Controller connected!' "$work/storm.actual") connections," \
       "$(grep -c '^Button \[A\] pressed' "$work/storm.actual") presses"
else
  echo "FAIL a storm of pads recorded and replayed ($storm_header)"
  cat "$work/storm.diff"
  failed=1
fi
# The USB Xbox 360 pad: xpad's packets on the OUT endpoint (rumble_x360usb.log).
section "RUMBLE x360usb " "RUMBLE END x360usb" >"$work/rumble_x360usb.txt"
if grep -q '^=== RUMBLE x360usb once=0 rumble=0 feeder=0$' "$log.txt" &&
   grep -qx '  Ids:      045e:028e' "$work/rumble_x360usb.txt" &&
   grep -qx '  Type:     gamepad, wired, vibration' "$work/rumble_x360usb.txt" &&
   grep '^pad: ' "$work/rumble_x360usb.txt" |
     diff -u "$cases/rumble_x360usb.log" - >"$work/rumble_x360usb.diff"; then
  echo "ok   rumble on the Xbox 360 pad through xpad: the LED command, then" \
       "$(grep -c ': rumble ' "$work/rumble_x360usb.txt") rumble packets"
else
  echo "FAIL rumble on the Xbox 360 pad through xpad"
  cat "$work/rumble_x360usb.txt" "$work/rumble_x360usb.diff"
  failed=1
fi
# The DualShock 4 through uhid and hid-sony, the DualSense through
# hid-playstation, the Switch Pro Controller through hid-nintendo: their
# identity, their battery as the kernel publishes it at four levels (the
# Sony drivers in percent, hid-nintendo as a level only), rumble as the
# driver's output reports (hid_PAD.log: the probe's requests, the lights,
# then the motors), and the doctor on the DualShock 4's hidraw node.
sony_batteries=("medium (55%, discharging)" "low (15%, discharging)" "full (75%, charging)"
                "full (100%, full)")
nintendo_batteries=("medium (discharging)" "empty (discharging)" "full (charging)" "full (full)")
for pad in ds4 dualsense switchpro; do
  hid_ok=1
  case $pad in
    ds4) sdl_name="PS4 Controller" ids=054c:09cc batteries=("${sony_batteries[@]}") ;;
    dualsense) sdl_name="PS5 Controller" ids=054c:0ce6 batteries=("${sony_batteries[@]}") ;;
    switchpro) sdl_name="Nintendo Switch Pro Controller" ids=057e:2009
               batteries=("${nintendo_batteries[@]}") ;;
  esac
  for level in 1 2 3 4; do
    section "HID $pad ONCE $level " "HID $pad ONCE END $level" >"$work/hid_${pad}_once$level.txt"
    grep -q "^=== HID $pad ONCE $level status=0\$" "$log.txt" &&
      grep -qx "  Name:     $sdl_name" "$work/hid_${pad}_once$level.txt" &&
      grep -qx "  Ids:      $ids" "$work/hid_${pad}_once$level.txt" &&
      grep -qx '  Type:     gamepad, wired, vibration' "$work/hid_${pad}_once$level.txt" &&
      grep -qxF "  Battery:  other, level ${batteries[$((level - 1))]}" "$work/hid_${pad}_once$level.txt" ||
      { hid_ok=0; cat "$work/hid_${pad}_once$level.txt"; }
  done
  section "HID $pad RUMBLE " "HID $pad RUMBLE END" >"$work/hid_${pad}_rumble.txt"
  grep -q "^=== HID $pad RUMBLE status=0\$" "$log.txt" &&
    grep -qx 'Slot 0: low-frequency motor accepted, high-frequency motor accepted' \
      "$work/hid_${pad}_rumble.txt" ||
    { hid_ok=0; cat "$work/hid_${pad}_rumble.txt"; }
  # Merged repeats: a driver may send the same report again (hid-nintendo's
  # rumble worker does, as often as it is woken).
  section "HID $pad FEEDER" "HID $pad FEEDER END" | uniq >"$work/hid_$pad.log"
  diff -u "$cases/hid_$pad.log" "$work/hid_$pad.log" || hid_ok=0
  if [ $pad = ds4 ]; then
    doctor_report hidraw | grep -q '^=== DOCTOR hidraw status=1$' || hid_ok=0
    doctor_report hidraw |
      grep -q '^  Problem: you cannot read and write /dev/hidraw0, so SDL reads this PlayStation pad through evdev' ||
      hid_ok=0
    doctor_report hidraw |
      grep -q '^    Fix: sudo chgrp input /dev/hidraw0 && sudo chmod 0660 /dev/hidraw0$' || hid_ok=0
  fi
  if [ $hid_ok = 1 ]; then
    echo "ok   $sdl_name through the kernel's driver: battery ${batteries[*]};" \
         "rumble as output reports$([ $pad = ds4 ] && echo "; the doctor on its hidraw node")"
  else
    echo "FAIL $sdl_name through the kernel's driver"
    [ $pad = ds4 ] && cat "$work/doctor_hidraw.txt"
    failed=1
  fi
done
exit $failed
