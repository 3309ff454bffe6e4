// padwatch-check --once: one report of the four slots, as text for people
// and bug reports, or as JSON for scripts.
#ifndef PADWATCH_CHECK_ONCE_REPORT_H_
#define PADWATCH_CHECK_ONCE_REPORT_H_

#include <array>
#include <chrono>
#include <string>

#include "check/slot_state.h"

using Slots = std::array<SlotState, XUSER_MAX_COUNT>;

Slots MakeSlots();

// Polls every slot once.
void PollSlots(Slots& slots);
// Asks each connected slot's device what it is.
void ReadDevices(Slots& slots);

// Polls every slot without pause for `duration` (at least once), so that
// the resting offsets are means over many readings, then reads what each
// connected device is. Stops early once stopRequested (if given) is true.
void SampleSlots(Slots& slots, std::chrono::milliseconds duration,
                 bool (*stopRequested)() = nullptr);

std::string FormatOnceText(const Slots& slots);
std::string FormatOnceJson(const Slots& slots);

#endif  // PADWATCH_CHECK_ONCE_REPORT_H_
