#include "check/probe/rumble_sequence.h"

#include <thread>

#include "check/probe/slot_reading.h"

namespace {

bool Stopped(bool (*stopRequested)()) { return stopRequested != nullptr && stopRequested(); }

MotorResult Run(DWORD slot, WORD low, WORD high) {
  XINPUT_VIBRATION vibration{low, high};
  return XInputSetState(slot, &vibration) == ERROR_SUCCESS ? MotorResult::kAccepted
                                                           : MotorResult::kRejected;
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
