// padwatch-check --once's report of the four slots, as text for people and
// bug reports, or as JSON for scripts.
#ifndef PADWATCH_CHECK_REPORT_ONCE_REPORT_H_
#define PADWATCH_CHECK_REPORT_ONCE_REPORT_H_

#include <string>

#include "check/probe/slot_reading.h"

std::string FormatOnceText(const Slots& slots);
std::string FormatOnceJson(const Slots& slots);

#endif  // PADWATCH_CHECK_REPORT_ONCE_REPORT_H_
