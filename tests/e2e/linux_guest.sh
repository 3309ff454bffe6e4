#!/bin/busybox sh
# The Linux guest's /init (run_e2e.sh puts it in the initramfs): loads the
# modules, makes the USB gadget, plays every case with padwatch and the
# recorder watching, then the checks of padwatch-check, and prints each
# result between "=== NAME" lines for the host to compare.
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
while read -r module; do insmod "/modules/$module.ko" || echo "insmod $module failed"; done </modules/order
# The USB Xbox 360 pad's gadget: the wired pad's ids and strings, one
# configuration with one FunctionFS function, whose descriptors the feeder
# writes before it binds the gadget to dummy_hcd.
mount -t configfs configfs /sys/kernel/config
gadget=/sys/kernel/config/usb_gadget/x360
mkdir -p "$gadget/strings/0x409" "$gadget/configs/c.1" "$gadget/functions/ffs.x360" /dev/ffs-x360
echo 0x045e >"$gadget/idVendor"
echo 0x028e >"$gadget/idProduct"
echo 0x0114 >"$gadget/bcdDevice"
echo 0x0200 >"$gadget/bcdUSB"
for field in bDeviceClass bDeviceSubClass bDeviceProtocol; do echo 0xff >"$gadget/$field"; done
echo "©Microsoft Corporation" >"$gadget/strings/0x409/manufacturer"
echo "Controller" >"$gadget/strings/0x409/product"
echo "PADWATCH0001" >"$gadget/strings/0x409/serialnumber"
echo 500 >"$gadget/configs/c.1/MaxPower"
ln -s "$gadget/functions/ffs.x360" "$gadget/configs/c.1/"
mount -t functionfs x360 /dev/ffs-x360
# No udev daemon here: SDL watches /dev/input itself.
export SDL_JOYSTICK_DISABLE_UDEV=1
echo
# watch_and_record NAME SCRIPT: padwatch watches the pads the feeder plays,
# and beside it a recording of the same pads, to be replayed on the host.
watch_and_record() {
  local name=$1 script=$2 pid recorder feeder status recorded
  padwatch >"/tmp/$name.out" 2>"/tmp/$name.err" &
  pid=$!
  padwatch-check --record "/tmp/$name.scn" 2>"/tmp/$name.record.err" &
  recorder=$!
  sleep 1
  pad_feeder "$script" 2>"/tmp/$name.feeder"
  feeder=$?
  sleep 1
  kill -INT "$pid" "$recorder"
  wait "$pid"
  status=$?
  wait "$recorder"
  recorded=$?
  echo "=== BEGIN $name padwatch=$status feeder=$feeder"
  uniq "/tmp/$name.out"
  echo "=== STDERR $name"
  cat "/tmp/$name.err" "/tmp/$name.feeder" "/tmp/$name.record.err"
  echo "=== END $name"
  echo "=== RECORDING $name recorder=$recorded"
  cat "/tmp/$name.scn"
  echo "=== RECORDING END $name"
}
for script in /e2e/*.feed; do watch_and_record "$(basename "$script" .feed)" "$script"; done
pad_feeder /e2e/check_x360.script 2>/tmp/check.feeder &
feeder=$!
sleep 2
padwatch-check --once >/tmp/check_once.out 2>&1
once=$?
sleep 1
padwatch-check --rate 3 >/tmp/check_rate.out 2>&1
rate=$?
wait "$feeder"
echo "=== CHECK once=$once rate=$rate feeder=$?"
cat /tmp/check_once.out /tmp/check_rate.out /tmp/check.feeder
echo "=== CHECK END"
# The doctor, for a user who is not root. devtmpfs leaves every node to root
# alone (0600) and no udev runs: the fix is the one for a system without
# udev, applied here as printed (busybox has no sudo, and no usermod: the
# group file is edited as usermod -aG would).
mkdir -p /etc
printf 'root:x:0:0::/:/bin/sh\nplayer:x:1000:1000::/tmp:/bin/sh\n' >/etc/passwd
printf 'root:x:0:\ninput:x:101:\nplayer:x:1000:\n' >/etc/group
as_player() { su -s /bin/sh player -c "$*"; }
doctor() { # NAME [as_player]
  name=$1
  shift
  "$@" padwatch-check --doctor >"/tmp/doctor_$name.out" 2>&1
  echo "=== DOCTOR $name status=$?"
  cat "/tmp/doctor_$name.out"
  echo "=== DOCTOR END $name"
}
# A feeder for each case, given time to make its pad, ended after.
start_feeder() { # SCRIPT SECONDS
  pad_feeder "/e2e/$1" 2>>"/tmp/${1%.script}.feeder" &
  feeder=$!
  sleep "$2"
}
stop_feeder() {
  kill "$feeder"
  wait "$feeder"
}
start_feeder doctor_x360.script 2
doctor denied as_player
as_player 'padwatch >/tmp/hint.out 2>/tmp/hint.err & sleep 2; kill -INT $!; wait $!'
echo "=== HINT"
cat /tmp/hint.err
echo "=== HINT END"
grep '^    Fix: sudo chgrp' /tmp/doctor_denied.out | sed 's/^    Fix: //; s/sudo //g' >/tmp/fix.sh
sh -x /tmp/fix.sh
sed -i 's/^input:x:101:$/input:x:101:player/' /etc/group
doctor fixed as_player
stop_feeder
start_feeder doctor_stick.script 2
doctor unmapped
stop_feeder
start_feeder doctor_grab.script 3
doctor grabbed
stop_feeder
cat /tmp/doctor_*.feeder
# Rumble through the kernel: the Xbox 360 pad declares FF_RUMBLE, and the
# feeder logs each effect SDL uploads and plays.
start_feeder rumble_x360.script 2
padwatch-check --once >/tmp/rumble_once.out 2>&1
once=$?
padwatch-check --rumble >/tmp/rumble.out 2>&1
rumble=$?
stop_feeder
echo "=== RUMBLE x360 once=$once rumble=$rumble"
cat /tmp/rumble_once.out /tmp/rumble.out /tmp/rumble_x360.feeder
echo "=== RUMBLE END x360"
# A pad whose program never answers force feedback: SIGTERM 3 s into
# --rumble must be answered at once on standard error, and the program must
# end when the request under way is given up (SDL's upload and its one
# retry, 30 s each in uinput), without another request of its own.
start_feeder rumble_mute.script 2
started=$(date +%s)
padwatch-check --rumble >/tmp/mute.out 2>/tmp/mute.err &
check=$!
sleep 3
kill -TERM "$check"
sleep 1
cp /tmp/mute.err /tmp/mute.err.at4s
wait "$check"
mute=$?
echo "=== MUTE rumble=$mute seconds=$(( $(date +%s) - started ))"
stop_feeder
cat /tmp/mute.err.at4s
echo "=== MUTE OUT"
cat /tmp/mute.out
echo "=== MUTE END"
# A storm of pads that live for a moment, watched and recorded as the
# scenarios are.
watch_and_record storm /e2e/storm.script
# The USB Xbox 360 pad: xpad's LED command at probe, then --rumble as the
# packets xpad sends on the OUT endpoint. The feeder removes the pad itself,
# which unbinds the gadget for the next.
pad_feeder /e2e/rumble_x360usb.script 2>/tmp/rumble_x360usb.feeder &
feeder=$!
sleep 3
padwatch-check --once >/tmp/rumble_once.out 2>&1
once=$?
padwatch-check --rumble >/tmp/rumble.out 2>&1
rumble=$?
touch /tmp/x360usb_done
wait "$feeder"
echo "=== RUMBLE x360usb once=$once rumble=$rumble feeder=$?"
cat /tmp/rumble_once.out /tmp/rumble.out /tmp/rumble_x360usb.feeder
echo "=== RUMBLE END x360usb"
# The DualShock 4 through uhid and hid-sony, and the DualSense through
# hid-playstation: their battery at four levels, their rumble as the
# driver's output reports, and the doctor on the DualShock 4's hidraw node,
# which devtmpfs leaves to root while the event nodes are given to the group
# input (the player is in it since the fix above).
for pad in ds4 dualsense switchpro; do
  start_feeder "hid_$pad.script" 3
  for level in 1 2 3 4; do
    padwatch-check --once >"/tmp/hid_once$level.out" 2>&1
    echo "=== HID $pad ONCE $level status=$?"
    cat "/tmp/hid_once$level.out"
    echo "=== HID $pad ONCE END $level"
    touch "/tmp/battery$level"
    sleep 1
  done
  rm -f /tmp/battery*
  padwatch-check --rumble >/tmp/hid_rumble.out 2>&1
  echo "=== HID $pad RUMBLE status=$?"
  cat /tmp/hid_rumble.out
  echo "=== HID $pad RUMBLE END"
  if [ $pad = ds4 ]; then
    chgrp input /dev/input/event*
    chmod 0660 /dev/input/event*
    doctor hidraw as_player
  fi
  sleep 1  # the driver's rumble worker may still send the last, silent report
  stop_feeder
  echo "=== HID $pad FEEDER"
  cat "/tmp/hid_$pad.feeder"
  echo "=== HID $pad FEEDER END"
done
dmesg | grep -i -E 'sony|playstation|nintendo|hid|xpad|usb|gadget|ffs' | tail -n 60
echo "=== ALL DONE"
reboot -f
