#!/bin/bash
# The Linux guest's /init (run_e2e.sh puts it in the initramfs, with bash and
# busybox for the rest): loads the modules, makes the USB gadget, then runs
# each case's guest part (linux_cases.sh), which prints its results between
# "=== NAME" lines for the host to check.
/bin/busybox --install -s /bin
export PATH=/bin
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
# The cases' tools.
#
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
# The doctor's cases run as a user who is not root.
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
# A feeder for a case, given SECONDS to make its pad, ended after.
start_feeder() { # SCRIPT SECONDS
  pad_feeder "/e2e/$1" 2>>"/tmp/${1%.script}.feeder" &
  feeder=$!
  sleep "$2"
}
stop_feeder() {
  kill "$feeder"
  wait "$feeder"
}
# padwatch-check --once, then --rumble, on the pad there: their outputs in
# /tmp/rumble_once.out and /tmp/rumble.out, their statuses in $once and
# $rumble.
once_then_rumble() {
  padwatch-check --once >/tmp/rumble_once.out 2>&1
  once=$?
  padwatch-check --rumble >/tmp/rumble.out 2>&1
  rumble=$?
}

source /e2e/linux_cases.sh
for each in "${linux_cases[@]}"; do
  started=$(date +%s)
  "guest_$each"
  echo "=== TIME $each $(($(date +%s) - started)) s"
done
dmesg | grep -i -E 'sony|playstation|nintendo|hid|xpad|usb|gadget|ffs' | tail -n 60
echo "=== ALL DONE"
reboot -f
