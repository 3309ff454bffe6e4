#include "check/rumble.h"

#include <thread>

#include "check/device_text.h"

namespace {

bool Stopped(bool (*stopRequested)()) { return stopRequested != nullptr && stopRequested(); }

// Waits, but not past a stop request.
void Wait(std::chrono::milliseconds duration, bool (*stopRequested)()) {
  const auto end = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < end && !Stopped(stopRequested)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

MotorResult Run(DWORD slot, WORD low, WORD high) {
  XINPUT_VIBRATION vibration{low, high};
  return XInputSetState(slot, &vibration) == ERROR_SUCCESS ? MotorResult::kAccepted
                                                           : MotorResult::kRejected;
}

const char* Text(MotorResult result) {
  switch (result) {
    case MotorResult::kAccepted:
      return "accepted";
    case MotorResult::kRejected:
      return "rejected";
    default:
      return "not tried (stopped)";
  }
}

}  // namespace

RumbleResults RunRumble(std::chrono::milliseconds each, bool (*stopRequested)()) {
  RumbleResults results;
  for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
    RumbleResult& result = results[slot];
    XINPUT_CAPABILITIES capabilities{};
    result.connected = XInputGetCapabilities(slot, XINPUT_FLAG_GAMEPAD, &capabilities) == 0;
    result.supported = result.connected && HasVibration(capabilities);
    if (!result.supported || Stopped(stopRequested)) continue;
    result.lowFrequency = Run(slot, 0xFFFF, 0);
    Wait(each, stopRequested);
    if (!Stopped(stopRequested)) {
      result.highFrequency = Run(slot, 0, 0xFFFF);
      Wait(each, stopRequested);
    }
    Run(slot, 0, 0);
  }
  return results;
}

std::string FormatRumbleText(const RumbleResults& results) {
  std::string text;
  for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
    const RumbleResult& result = results[slot];
    text += "Slot " + std::to_string(slot) + ": ";
    if (!result.connected) {
      text += "empty\n";
    } else if (!result.supported) {
      text += "vibration not supported\n";
    } else {
      text += std::string("low-frequency motor ") + Text(result.lowFrequency) +
              ", high-frequency motor " + Text(result.highFrequency) + "\n";
    }
  }
  return text;
}
