// padwatch-check --rumble's report, and the live screen's short answer.
#ifndef PADWATCH_CHECK_REPORT_RUMBLE_REPORT_H_
#define PADWATCH_CHECK_REPORT_RUMBLE_REPORT_H_

#include <string>

#include "check/probe/rumble_sequence.h"

// A short answer for one slot, for the live screen's panel.
std::string RumbleAnswer(const RumbleResult& result);

// One line per slot: empty, no vibration, or what each motor answered.
std::string FormatRumbleText(const RumbleResults& results);

#endif  // PADWATCH_CHECK_REPORT_RUMBLE_REPORT_H_
