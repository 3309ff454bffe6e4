#!/usr/bin/env python3
"""Checks padwatch-check --rate --json on the motion case's pads.

usage: motion_rate_check.py REPORT.json HZ "USER SYSTEM USER1 SYSTEM1"

The two Sony pads streamed at HZ, every other report 50 us late by their own
clocks: the rate from the pad's clock within 0.5% of HZ and its jitter
50 us (to within the DualShock 4's clock unit, 16/3 us); at 250 Hz the
rate from the kernel's timestamps, on the pad's node and on its motion
node, within 1%. At 250 Hz the Switch Pro Controller streamed at 125 Hz:
its motion node's report rate 125 Hz (within 2%: under load the feeder
sends late reports in bursts), not the 375 samples a second, and no
figure from the clock hid-nintendo makes up. Prints one line of figures,
with the share of a processor 2 s more of measuring took;
exits 1, saying why, where one is off."""
import json
import sys


def near(value, target, share):
    return value is not None and abs(value - target) <= target * share


def main():
    report = json.load(open(sys.argv[1]))
    hz = int(sys.argv[2])
    # The processor time of the 3 s run and of a 1 s one.
    user, system, user1, system1 = (float(word) for word in sys.argv[3].split())
    slots = [slot for slot in report["slots"] if slot["connected"]]
    sony = [slot for slot in slots if slot.get("padClock")]
    nintendo = [slot for slot in slots if "motion" in slot and slot.get("padClock") is None]
    faults = []
    if len(sony) != 2:
        faults.append(f"{len(sony)} pads with a clock, not 2")
    for slot in sony:
        clock, motion = slot["padClock"], slot["motion"]
        if not near(clock.get("meanHz"), hz, 0.005):
            faults.append(f"slot {slot['slot']}: the pad's clock says {clock.get('meanHz')} Hz")
        if clock.get("jitterMs") is None or abs(clock["jitterMs"] - 0.050) > 0.006:
            faults.append(f"slot {slot['slot']}: the pad's clock's jitter {clock.get('jitterMs')} ms")
        if not isinstance(motion.get("drops"), int):
            faults.append(f"slot {slot['slot']}: no count of drops")
        if hz == 250:
            if slot["source"] != "kernel timestamps" or not near(slot.get("meanHz"), hz, 0.01):
                faults.append(f"slot {slot['slot']}: the input node gives {slot.get('meanHz')} Hz")
            if not near(motion.get("meanHz"), hz, 0.01):
                faults.append(f"slot {slot['slot']}: the motion node gives {motion.get('meanHz')} Hz")
    if hz == 250:
        if len(nintendo) != 1 or not near(nintendo[0]["motion"].get("meanHz"), 125, 0.02):
            faults.append(f"the Switch Pro Controller's motion node: {nintendo}")
    figures = f"{hz} Hz: the pads' clocks " + ", ".join(
        f"{s['padClock'].get('meanHz')} Hz jitter {s['padClock'].get('jitterMs')} ms" for s in sony)
    figures += "; kernel timestamps " + ", ".join(
        f"{s.get('meanHz')}/{s['motion'].get('meanHz')} Hz" for s in sony)
    figures += "; motion drops " + "/".join(str(s["motion"].get("drops")) for s in sony)
    if hz == 250 and nintendo:
        figures += f"; Switch Pro {nintendo[0]['motion'].get('meanHz')} Hz"
    figures += f"; {(user + system - user1 - system1) / 2 * 100:.1f}% of a processor while measuring"
    print(figures)
    if faults:
        print("\n".join(faults))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
