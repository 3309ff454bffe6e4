#!/bin/bash
# Runs inside the Wine end-to-end guest (a chroot of the host's /usr and /etc
# over 9p): Wine started once, then for each scenario in /xfer/feeds
# padwatch.exe watching, the feeder playing the scenario once padwatch has
# announced each pad, then Ctrl+C. In the scenarios named in /xfer/record,
# padwatch-check.exe --record runs beside padwatch.exe, stopped the same way.
# Then padwatch-check.exe --test on one pad, and beside it --doctor, --once
# and --rumble on three pads at once. Results
# go to /xfer/out and one line per scenario to the console.
set -u
export HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin LANG=C.UTF-8
export WINEPREFIX=/tmp/prefix
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
guest_start=$(date +%s)
# Read in 4 MB blocks: tar's own 10 KB reads are a 9p round trip each.
mkdir -p "$WINEPREFIX" && dd if=/xfer/prefix.tar bs=4M status=none | tar -C "$WINEPREFIX" -xf -
echo "=== TIME prefix $(($(date +%s) - guest_start)) s"
# A persistent server: otherwise it ends the services (the device host
# among them) as soon as wineboot, the last program, has ended. The
# services write their errors where this first Wine process does.
wineserver -p
if WINEDEBUG=err+all,fixme-all wine wineboot >"$out/wine.log" 2>&1; then
  echo "=== WINE STARTED"
fi
echo "=== TIME wine-start $(($(date +%s) - guest_start)) s"

# Until padwatch's output OUTPUT ends with no controller connected, at most
# 30 s: Wine notices the last removal a moment after the kernel.
await_no_controller() {
  for _ in $(seq 1 300); do
    tail -n 1 "$1" | tr -d '\r' | grep -qx ' Connected Devices: 0' && return
    sleep 0.1
  done
}

# Ctrl+C as a console user gives it: SIGINT, which Wine hands to the
# program's console control handler as CTRL_C_EVENT. Waits SECONDS for the
# program to end, then kills it; says which.
interrupt() { # PID SECONDS
  kill -INT "$1"
  for _ in $(seq 1 $(($2 * 10))); do
    kill -0 "$1" 2>/dev/null || { echo ctrl-c; return; }
    sleep 0.1
  done
  kill -KILL "$1"
  echo killed
}

for feed in /xfer/feeds/*.feed; do
  name=$(basename "$feed" .feed)
  began=$(date +%s)
  WINEDEBUG=-all wine /tmp/bin/padwatch.exe >"$out/$name.out" 2>"$out/$name.err" &
  pid=$!
  recorder=
  awaited=(--await "$out/$name.out")
  step=500
  if grep -qx "$name" /xfer/record 2>/dev/null; then
    step=1000
    WINEDEBUG=-all wine /tmp/bin/padwatch-check.exe --record "Z:/xfer/out/$name.recording.scn" \
      >/dev/null 2>"$out/$name.record.err" &
    recorder=$!
    awaited+=(--await "$out/$name.recording.scn")
  fi
  # The feeder waits until each watcher has seen each new pad. Events reach
  # them through Wine's device host some time after the kernel has them,
  # each pad's in order but not one pad's with another's: half a second
  # between events (at 300 ms, with the other guest busy, Wine has been
  # seen to hand over three of one pad's states at once), and two seconds
  # between two pads' events (one was seen more than a second late), keep
  # their order. With the recorder busy beside padwatch, a second between
  # events: at half a second, the recorder has been seen to be handed a
  # press and its release at once.
  /tmp/bin/pad_feeder "${awaited[@]}" --min-step $step --apart 2000 "$feed" 2>"$out/$name.feeder"
  feeder=$?
  fed=$(date +%s)
  await_no_controller "$out/$name.out"
  sleep 1
  stopped=$(interrupt $pid 10)
  wait $pid
  status=$?
  recorded=none
  if [ -n "$recorder" ]; then
    # Up to 30 s: with both guests emulated side by side, Wine has been seen
    # to take more than 10 s to hand a recorder its Ctrl+C.
    interrupt $recorder 30 >/dev/null
    wait $recorder
    recorded=$?
  fi
  echo "=== SCENARIO $name feeder=$feeder stopped=$stopped padwatch=$status recorder=$recorded"
  # Where the time goes, for whoever makes this shorter.
  echo "=== TIME $name feeder=$((fed - began)) s stop=$(($(date +%s) - fed)) s"
done
echo "=== TIME scenarios $(($(date +%s) - guest_start)) s"

# padwatch-check.exe --test on a healthy Xbox 360 pad, each step played
# once the check asks for it (the feeder reads the steps the check writes to
# /tmp/health_x360.err), half a second between events as above. Once its
# sticks are done, two more pads come for --doctor, --once and --rumble,
# which see all three: an Xbox 360 pad with rumble through uinput, and a
# DualShock 4 through uhid and hid-sony. One start of each program serves
# every pad; the checked pad stays until the last of them has ended.
began=$(date +%s)
/tmp/bin/pad_feeder --min-step 500 /xfer/feeds/health_x360.script 2>"$out/health_x360.feeder" &
health=$!
WINEDEBUG=-all wine /tmp/bin/padwatch-check.exe --test --json >"$out/health_x360.json" \
  2>/tmp/health_x360.err &
test=$!
for _ in $(seq 1 600); do
  grep -q 'Step 4 of' /tmp/health_x360.err 2>/dev/null && break
  kill -0 $test 2>/dev/null || break
  sleep 0.1
done
/tmp/bin/pad_feeder /xfer/feeds/rumble_x360.script 2>"$out/rumble_x360.feeder" &
x360=$!
/tmp/bin/pad_feeder /xfer/feeds/hid_ds4.script 2>"$out/hid_ds4.feeder" &
ds4=$!
sleep 6
WINEDEBUG=-all wine /tmp/bin/padwatch-check.exe --doctor >"$out/doctor.out" 2>&1
echo "=== DOCTOR status=$?"
WINEDEBUG=-all wine /tmp/bin/padwatch-check.exe --once >"$out/pads.once.out" 2>&1
once=$?
WINEDEBUG=-all wine /tmp/bin/padwatch-check.exe --rumble >"$out/pads.rumble.out" 2>&1
rumble=$?
wait $test
tested=$?
touch /tmp/health_x360.done
wait $health
fed=$?
cp /tmp/health_x360.err "$out/"
echo "=== HEALTH test=$tested feeder=$fed"
sleep 1
kill "$x360" "$ds4"
wait "$x360" "$ds4"
echo "=== PADS once=$once rumble=$rumble"
echo "=== TIME pads $(($(date +%s) - began)) s"
wineserver -k >/dev/null 2>&1
echo "=== TIME all $(($(date +%s) - guest_start)) s"
