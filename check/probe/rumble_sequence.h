// The rumble test: each controller's motors run in turn, and what the
// platform answered to each.
#ifndef PADWATCH_CHECK_PROBE_RUMBLE_SEQUENCE_H_
#define PADWATCH_CHECK_PROBE_RUMBLE_SEQUENCE_H_

#include <array>
#include <chrono>

#include "platform/xinput.h"

enum class MotorResult { kNotTried, kAccepted, kRejected };

struct RumbleResult {
  bool connected = false;
  bool supported = false;
  MotorResult lowFrequency = MotorResult::kNotTried;
  MotorResult highFrequency = MotorResult::kNotTried;
};

using RumbleResults = std::array<RumbleResult, XUSER_MAX_COUNT>;

// The rumble test as steps in time, for a caller that must not stop polling
// while the motors run: each connected controller's low-frequency motor,
// then its high-frequency motor, for `each` apiece, one after another.
class RumbleSequence {
 public:
  using Clock = std::chrono::steady_clock;

  // With stopRequested, each request is watched as RunRumble says.
  explicit RumbleSequence(std::chrono::milliseconds each, bool (*stopRequested)() = nullptr)
      : each(each), stopRequested(stopRequested) {}

  // Finds the controllers and what they can do; Advance() then starts the
  // first motor. With onlySlot (0-3), only that controller's motors run.
  void Find(int onlySlot = -1);
  // Does whatever is due at `now`. Returns false once every motor has run
  // and been stopped.
  bool Advance(Clock::time_point now);
  // Stops the motors of the slot under test if one was started; a start
  // the platform refused needs no stop. What was not tried stays so.
  void Stop();
  const RumbleResults& Results() const { return results; }

 private:
  std::chrono::milliseconds each;
  bool (*stopRequested)();
  RumbleResults results;
  int only = -1;  // the one slot to run, or -1 for every slot
  DWORD slot = 0;
  int motor = 0;         // 0 low-frequency, 1 high-frequency, 2 done with this slot
  bool running = false;  // a motor of this slot was accepted and runs until due
  bool started = false;  // a motor of this slot was accepted and not stopped yet
  Clock::time_point due;
};

// Runs the whole sequence, waiting between steps. Once stopRequested (if
// given) returns true, nothing more is tried. Every motor that was started
// is stopped before it returns.
//
// A request to a pad can block in the kernel: uinput waits up to 30 s for
// the program behind a pad it made, SDL asks again once when that fails,
// and no signal ends those waits. Once a request has taken
// kRumbleSlowAnswer, or a stop comes while one is under way, a line on
// standard error says what it waits for and how long at most.
RumbleResults RunRumble(std::chrono::milliseconds each, bool (*stopRequested)() = nullptr,
                        int onlySlot = -1);

constexpr std::chrono::milliseconds kRumbleSlowAnswer(1000);

// How long each motor runs in the rumble test, wherever it is run from.
constexpr std::chrono::milliseconds kRumbleEach(500);

#endif  // PADWATCH_CHECK_PROBE_RUMBLE_SEQUENCE_H_
