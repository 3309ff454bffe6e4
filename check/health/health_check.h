// The guided health check of one controller as steps in time: each says what
// to do, measures while it is done, and moves on by itself once the pad has
// done it (the same rules whether a person or a script moves the pad), or
// after its time limit, when it is left not done. Fed with the pad's
// readings and their times; it never asks the platform itself, so scripted
// readings give the same figures as a real pad.
#ifndef PADWATCH_CHECK_HEALTH_HEALTH_CHECK_H_
#define PADWATCH_CHECK_HEALTH_HEALTH_CHECK_H_

#include <array>
#include <cstdint>
#include <string>

#include "check/health/axis_noise.h"
#include "check/health/button_log.h"
#include "check/health/stick_outline.h"
#include "check/health/trigger_travel.h"
#include "platform/xinput.h"

enum class HealthStep {
  kRest,
  kLeftStick,
  kRightStick,
  kLeftTrigger,
  kRightTrigger,
  kButtons,
  kDone,  // every step has ended, done or not
};
constexpr int kHealthStepCount = static_cast<int>(HealthStep::kDone);

// The steps' time limits, in milliseconds: rest is measured for exactly its
// time; the others end sooner once done.
constexpr std::uint64_t kRestMs = 3000;
constexpr std::uint64_t kStickLimitMs = 30000;
constexpr std::uint64_t kTriggerLimitMs = 20000;
constexpr std::uint64_t kButtonsLimitMs = 60000;
// The pulls a trigger step asks for.
constexpr int kTriggerPulls = 3;

// Everything the steps measured.
struct HealthFigures {
  // At rest: each stick axis (left x, left y, right x, right y), each
  // trigger (left, right).
  std::array<AxisNoise, 4> restSticks;
  std::array<AxisNoise, 2> restTriggers;
  std::array<StickOutline, 2> outlines;  // left, right
  std::array<TriggerTravel, 2> triggers;
  ButtonLog buttons;
  // Whether each step ran to its end and did what it asked (rest: measured
  // for its whole time, the pad connected), by HealthStep.
  std::array<bool, kHealthStepCount> done{};
  std::array<bool, kHealthStepCount> started{};
  // The step that a stop (q, Ctrl+C) or an unplug ended before it was
  // done or ran out of time: what it measured says nothing yet.
  std::array<bool, kHealthStepCount> cutShort{};
  bool unplugged = false;  // the pad went away during the check
};

class HealthCheck {
 public:
  // The check starts with the rest step at startMs.
  explicit HealthCheck(std::uint64_t startMs) : stepStart(startMs) {}

  // One reading of the pad at ms. A pad that is not connected ends the
  // check: every step not done is left so.
  void Poll(std::uint64_t ms, bool connected, const XINPUT_STATE& state);
  // Ends the check now, as q or Ctrl+C do.
  void Stop();

  HealthStep Step() const { return step; }
  const HealthFigures& Figures() const { return figures; }
  // What the current step asks for, and how far it has got, in words.
  std::string Prompt() const;
  std::string Progress(std::uint64_t ms) const;

 private:
  void Next(std::uint64_t ms, bool done);

  HealthStep step = HealthStep::kRest;
  std::uint64_t stepStart;
  HealthFigures figures;
};

// The name of a step, as the card and the JSON give it: "rest", "left stick".
const char* HealthStepName(HealthStep step);

#endif  // PADWATCH_CHECK_HEALTH_HEALTH_CHECK_H_
