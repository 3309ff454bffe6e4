// padwatch-check --rumble: does each controller's vibration work?
#ifndef PADWATCH_CHECK_RUMBLE_H_
#define PADWATCH_CHECK_RUMBLE_H_

#include <array>
#include <chrono>
#include <string>

#include "platform/xinput.h"

enum class MotorResult { kNotTried, kAccepted, kRejected };

struct RumbleResult {
  bool connected = false;
  bool supported = false;
  MotorResult lowFrequency = MotorResult::kNotTried;
  MotorResult highFrequency = MotorResult::kNotTried;
};

using RumbleResults = std::array<RumbleResult, XUSER_MAX_COUNT>;

// Runs each connected controller's low-frequency motor, then its
// high-frequency motor, for `each` apiece, one controller after another.
// Once stopRequested (if given) returns true, nothing more is tried. Every
// motor that was started is stopped before it returns.
RumbleResults RunRumble(std::chrono::milliseconds each, bool (*stopRequested)() = nullptr);

std::string FormatRumbleText(const RumbleResults& results);

#endif  // PADWATCH_CHECK_RUMBLE_H_
