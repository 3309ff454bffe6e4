#!/bin/bash
# Runs inside the Wine end-to-end guest (a chroot of the host's /usr and /etc
# over 9p), for each scenario in /xfer/feeds: a fresh start of Wine,
# padwatch.exe watching, the feeder playing the scenario once padwatch has
# announced each pad, then Ctrl+C. In the scenarios named in /xfer/record,
# padwatch-check.exe --record runs beside padwatch.exe, stopped the same way.
# Results go to /xfer/out and one line per scenario to the console.
set -u
export HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin LANG=C.UTF-8
export WINEPREFIX=/xfer/prefix
export WINEDLLOVERRIDES="winemenubuilder.exe,mscoree,mshtml=d"
# Wine's services inherit this from the first Wine process: winebus then
# finds pads through SDL's own device scan, as there is no udev daemon here.
export SDL_JOYSTICK_DISABLE_UDEV=1
unset DISPLAY WAYLAND_DISPLAY
out=/xfer/out

# Executables run from tmpfs: run from the 9p share, padwatch.exe has been
# seen to load its last page of code as zeros.
mkdir -p /tmp/bin && cp /xfer/bin/* /tmp/bin/

echo  # the firmware's last words stay on a line of their own
announced=0
guest_start=$(date +%s)
for feed in /xfer/feeds/*.feed; do
  name=$(basename "$feed" .feed)
  began=$(date +%s)
  # Wine restarted for each scenario: a device host kept across scenarios has
  # been seen to crash when pads come and go at the same moment.
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  # A persistent server: otherwise it ends the services (the device host
  # among them) as soon as wineboot, the last program, has ended.
  wineserver -p
  # The services write their errors where this first Wine process does.
  WINEDEBUG=err+all,fixme-all wine wineboot >"$out/$name.wine.log" 2>&1
  if [ $announced = 0 ] && [ $? = 0 ]; then
    echo "=== WINE STARTED"
    announced=1
  fi
  booted=$(date +%s)
  WINEDEBUG=-all wine /tmp/bin/padwatch.exe >"$out/$name.out" 2>"$out/$name.err" &
  pid=$!
  recorder=
  if grep -qx "$name" /xfer/record 2>/dev/null; then
    WINEDEBUG=-all wine /tmp/bin/padwatch-check.exe --record "Z:/xfer/out/$name.recording.scn" \
      >/dev/null 2>"$out/$name.record.err" &
    recorder=$!
  fi
  # Events reach padwatch.exe through Wine's device host some time after the
  # kernel has them: a second between them keeps their order.
  /tmp/bin/pad_feeder --await "$out/$name.out" --min-step 1000 "$feed" 2>"$out/$name.feeder"
  feeder=$?
  fed=$(date +%s)
  # Wine notices the last removal a moment later.
  for _ in $(seq 1 300); do
    tail -n 1 "$out/$name.out" | tr -d '\r' | grep -qx ' Connected Devices: 0' && break
    sleep 0.1
  done
  sleep 1
  # Ctrl+C as a console user gives it: SIGINT, which Wine hands to the
  # program's console control handler as CTRL_C_EVENT.
  kill -INT $pid
  stopped=ctrl-c
  for _ in $(seq 1 100); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 $pid 2>/dev/null; then
    stopped=killed
    kill -KILL $pid
  fi
  wait $pid
  status=$?
  recorded=none
  if [ -n "$recorder" ]; then
    kill -INT $recorder
    # Up to 30 s: with both guests emulated side by side, Wine has been seen
    # to take more than 10 s to hand a recorder its Ctrl+C.
    for _ in $(seq 1 300); do
      kill -0 $recorder 2>/dev/null || break
      sleep 0.1
    done
    kill -0 $recorder 2>/dev/null && kill -KILL $recorder
    wait $recorder
    recorded=$?
  fi
  echo "=== SCENARIO $name feeder=$feeder stopped=$stopped padwatch=$status recorder=$recorded"
  # Where the time goes, for whoever makes this shorter.
  echo "=== TIME $name wine-start=$((booted - began)) s feeder=$((fed - booted)) s" \
       "stop=$(($(date +%s) - fed)) s"
done
echo "=== TIME scenarios $(($(date +%s) - guest_start)) s"

# padwatch-check.exe --doctor on an Xbox 360 pad, as Wine serves it.
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
wineserver -p
WINEDEBUG=-all wine wineboot >/dev/null 2>&1
/tmp/bin/pad_feeder /xfer/feeds/doctor_x360.script 2>"$out/doctor.feeder" &
feeder=$!
sleep 5
WINEDEBUG=-all wine /tmp/bin/padwatch-check.exe --doctor >"$out/doctor.out" 2>&1
echo "=== DOCTOR status=$?"
kill "$feeder"
wait "$feeder"

# padwatch-check.exe --once and --rumble on a pad with rumble through uinput,
# and on a DualShock 4 through uhid and hid-sony.
for pad in rumble_x360 hid_ds4; do
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  wineserver -p
  WINEDEBUG=-all wine wineboot >/dev/null 2>&1
  /tmp/bin/pad_feeder "/xfer/feeds/$pad.script" 2>"$out/$pad.feeder" &
  feeder=$!
  sleep 5
  WINEDEBUG=-all wine /tmp/bin/padwatch-check.exe --once >"$out/$pad.once.out" 2>&1
  once=$?
  WINEDEBUG=-all wine /tmp/bin/padwatch-check.exe --rumble >"$out/$pad.rumble.out" 2>&1
  rumble=$?
  sleep 1
  kill "$feeder"
  wait "$feeder"
  echo "=== PAD $pad once=$once rumble=$rumble"
done
wineserver -k >/dev/null 2>&1
echo "=== TIME all $(($(date +%s) - guest_start)) s"
