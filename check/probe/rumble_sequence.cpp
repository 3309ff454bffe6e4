#include "check/probe/rumble_sequence.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "check/probe/slot_reading.h"

namespace {

bool Stopped(bool (*stopRequested)()) { return stopRequested != nullptr && stopRequested(); }

// Asks the platform for a vibration. With a stopRequested check (RunRumble's),
// the request goes out from a thread of its own, so that this thread stays
// where a signal can reach it: a thread blocked in the kernel's wait would
// hold a Ctrl+C until the wait ends. Meanwhile it says on standard error
// when the request takes long, and at once when a stop must wait for it.
MotorResult Run(DWORD slot, WORD low, WORD high, bool (*stopRequested)()) {
  XINPUT_VIBRATION vibration{low, high};
  if (stopRequested == nullptr) {
    return XInputSetState(slot, &vibration) == ERROR_SUCCESS ? MotorResult::kAccepted
                                                             : MotorResult::kRejected;
  }
  std::mutex mutex;
  std::condition_variable answered;
  bool done = false;
  DWORD answer = ERROR_SUCCESS;
  std::thread request([&] {
    const DWORD result = XInputSetState(slot, &vibration);
    std::lock_guard<std::mutex> lock(mutex);
    answer = result;
    done = true;
    answered.notify_all();
  });
  const auto since = RumbleSequence::Clock::now();
  bool toldSlow = false, toldStop = false;
  std::unique_lock<std::mutex> lock(mutex);
  while (!answered.wait_for(lock, std::chrono::milliseconds(50), [&] { return done; })) {
    if (stopRequested() && !toldStop) {
      std::fprintf(stderr,
                   "padwatch-check: stopping once the controller in slot %u answers the rumble "
                   "request, at most 60 s after it was made (Linux waits up to 30 s for the "
                   "program behind a pad made through uinput, and SDL asks twice); no signal "
                   "ends that wait\n",
                   static_cast<unsigned>(slot));
      toldStop = toldSlow = true;
    } else if (!toldSlow && RumbleSequence::Clock::now() - since >= kRumbleSlowAnswer) {
      std::fprintf(stderr,
                   "padwatch-check: the controller in slot %u has not answered the rumble "
                   "request for 1 s; it may take up to 60 s (Linux waits up to 30 s for the "
                   "program behind a pad made through uinput, and SDL asks twice)\n",
                   static_cast<unsigned>(slot));
      toldSlow = true;
    }
  }
  lock.unlock();
  request.join();
  return answer == ERROR_SUCCESS ? MotorResult::kAccepted : MotorResult::kRejected;
}

}  // namespace

void RumbleSequence::Find(int onlySlot) {
  results = RumbleResults();
  only = onlySlot;
  for (DWORD s = 0; s < XUSER_MAX_COUNT; ++s) {
    XINPUT_CAPABILITIES capabilities{};
    results[s].connected = XInputGetCapabilities(s, XINPUT_FLAG_GAMEPAD, &capabilities) == 0;
    results[s].supported = results[s].connected && HasVibration(capabilities);
  }
  slot = 0;
  motor = 0;
  running = false;
  started = false;
}

bool RumbleSequence::Advance(Clock::time_point now) {
  while (slot < XUSER_MAX_COUNT) {
    if (running && now < due) return true;
    const bool chosen = only < 0 || slot == static_cast<DWORD>(only);
    if (!results[slot].supported || !chosen || motor == 2) {
      Stop();
      ++slot;
      motor = 0;
      continue;
    }
    MotorResult& result = motor == 0 ? results[slot].lowFrequency : results[slot].highFrequency;
    result = motor == 0 ? Run(slot, 0xFFFF, 0, stopRequested) : Run(slot, 0, 0xFFFF, stopRequested);
    // A refused start runs nothing: on to the next step at once.
    running = result == MotorResult::kAccepted;
    started = started || running;
    due = now + each;
    ++motor;
    return true;
  }
  return false;
}

void RumbleSequence::Stop() {
  // A request that was refused (or timed out) must not be followed by
  // another: a pad that does not answer would hold the stop as long again.
  if (started && slot < XUSER_MAX_COUNT) Run(slot, 0, 0, stopRequested);
  running = false;
  started = false;
}

RumbleResults RunRumble(std::chrono::milliseconds each, bool (*stopRequested)(), int onlySlot) {
  RumbleSequence sequence(each, stopRequested);
  sequence.Find(onlySlot);
  while (!Stopped(stopRequested) && sequence.Advance(RumbleSequence::Clock::now())) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  sequence.Stop();
  return sequence.Results();
}
