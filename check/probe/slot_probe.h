// Reads the controller slots from the platform into SlotReadings, for the
// once report and the live screen. The rate meter, the recorder, the rumble
// test and the Windows doctor ask XInput for what only they need.
#ifndef PADWATCH_CHECK_PROBE_SLOT_PROBE_H_
#define PADWATCH_CHECK_PROBE_SLOT_PROBE_H_

#include <chrono>

#include "check/probe/slot_reading.h"

// Polls the slot once: whether it answers, its reading, and the resting
// offsets. Returns whether the slot answered.
bool PollSlot(SlotReading* slot);

// Asks the platform what the device is, what it can do, and its battery.
void ReadDevice(SlotReading* slot);

// Polls every slot once.
void PollSlots(Slots& slots);
// Asks each connected slot's device what it is.
void ReadDevices(Slots& slots);

// Polls every slot without pause for `duration` (at least once), so that
// the resting offsets are means over many readings, then reads what each
// connected device is. Stops early once stopRequested (if given) is true.
void SampleSlots(Slots& slots, std::chrono::milliseconds duration,
                 bool (*stopRequested)() = nullptr);

// Reads each connected slot's motion sensors and touchpad every 10 ms for
// `duration` (at least 10 times), keeping the last reading and adding each
// motion reading to the slot's motionRest. Stops early as SampleSlots does.
void SampleSensors(Slots& slots, std::chrono::milliseconds duration,
                   bool (*stopRequested)() = nullptr);

#endif  // PADWATCH_CHECK_PROBE_SLOT_PROBE_H_
