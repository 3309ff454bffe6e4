#include "check/rumble.h"

#include <thread>

#include "check/device_text.h"

namespace {

bool Stopped(bool (*stopRequested)()) { return stopRequested != nullptr && stopRequested(); }

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

void RumbleSequence::Find() {
  results = RumbleResults();
  for (DWORD s = 0; s < XUSER_MAX_COUNT; ++s) {
    XINPUT_CAPABILITIES capabilities{};
    results[s].connected = XInputGetCapabilities(s, XINPUT_FLAG_GAMEPAD, &capabilities) == 0;
    results[s].supported = results[s].connected && HasVibration(capabilities);
  }
  slot = 0;
  motor = 0;
  running = false;
}

bool RumbleSequence::Advance(Clock::time_point now) {
  while (slot < XUSER_MAX_COUNT) {
    if (running && now < due) return true;
    if (!results[slot].supported || motor == 2) {
      if (running) Stop();
      ++slot;
      motor = 0;
      continue;
    }
    MotorResult& result = motor == 0 ? results[slot].lowFrequency : results[slot].highFrequency;
    result = motor == 0 ? Run(slot, 0xFFFF, 0) : Run(slot, 0, 0xFFFF);
    running = true;
    due = now + each;
    ++motor;
    return true;
  }
  return false;
}

void RumbleSequence::Stop() {
  if (running && slot < XUSER_MAX_COUNT) Run(slot, 0, 0);
  running = false;
}

RumbleResults RunRumble(std::chrono::milliseconds each, bool (*stopRequested)()) {
  RumbleSequence sequence(each);
  sequence.Find();
  while (!Stopped(stopRequested) && sequence.Advance(RumbleSequence::Clock::now())) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  sequence.Stop();
  return sequence.Results();
}

std::string RumbleAnswer(const RumbleResult& result) {
  if (!result.supported) return "rumble: no vibration";
  return std::string("rumble: low ") + Text(result.lowFrequency) + ", high " +
         Text(result.highFrequency);
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
