#include "check/health/health_check.h"

#include "input/inputs.h"

namespace {

int Index(HealthStep step) { return static_cast<int>(step); }

std::uint64_t Limit(HealthStep step) {
  switch (step) {
    case HealthStep::kRest:
      return kRestMs;
    case HealthStep::kLeftStick:
    case HealthStep::kRightStick:
      return kStickLimitMs;
    case HealthStep::kLeftTrigger:
    case HealthStep::kRightTrigger:
      return kTriggerLimitMs;
    case HealthStep::kButtons:
    case HealthStep::kDone:
      break;
  }
  return kButtonsLimitMs;
}

}  // namespace

const char* HealthStepName(HealthStep step) {
  switch (step) {
    case HealthStep::kRest:
      return "rest";
    case HealthStep::kLeftStick:
      return "left stick";
    case HealthStep::kRightStick:
      return "right stick";
    case HealthStep::kLeftTrigger:
      return "left trigger";
    case HealthStep::kRightTrigger:
      return "right trigger";
    case HealthStep::kButtons:
      return "buttons";
    case HealthStep::kDone:
      break;
  }
  return "done";
}

void HealthCheck::Poll(std::uint64_t ms, bool connected, const XINPUT_STATE& state) {
  if (step == HealthStep::kDone) return;
  if (!connected) {
    figures.unplugged = true;
    Stop();
    return;
  }
  figures.started[Index(step)] = true;
  const XINPUT_GAMEPAD& pad = state.Gamepad;
  const std::uint64_t elapsed = ms - stepStart;
  switch (step) {
    case HealthStep::kRest:
      figures.restSticks[0].Add(pad.sThumbLX);
      figures.restSticks[1].Add(pad.sThumbLY);
      figures.restSticks[2].Add(pad.sThumbRX);
      figures.restSticks[3].Add(pad.sThumbRY);
      figures.restTriggers[0].Add(pad.bLeftTrigger);
      figures.restTriggers[1].Add(pad.bRightTrigger);
      if (elapsed >= kRestMs) Next(ms, true);
      return;
    case HealthStep::kLeftStick:
    case HealthStep::kRightStick: {
      const bool left = step == HealthStep::kLeftStick;
      StickOutline& outline = figures.outlines[left ? 0 : 1];
      outline.Add(left ? pad.sThumbLX : pad.sThumbRX, left ? pad.sThumbLY : pad.sThumbRY);
      if (outline.GoneRound()) {
        Next(ms, true);
      } else if (elapsed >= Limit(step)) {
        Next(ms, false);
      }
      return;
    }
    case HealthStep::kLeftTrigger:
    case HealthStep::kRightTrigger: {
      const bool left = step == HealthStep::kLeftTrigger;
      TriggerTravel& travel = figures.triggers[left ? 0 : 1];
      travel.Add(left ? pad.bLeftTrigger : pad.bRightTrigger);
      if (travel.Pulls() >= kTriggerPulls) {
        Next(ms, true);
      } else if (elapsed >= Limit(step)) {
        Next(ms, false);
      }
      return;
    }
    case HealthStep::kButtons:
      figures.buttons.Add(ms, pad.wButtons);
      if (figures.buttons.Seen() == static_cast<int>(kButtonCount)) {
        Next(ms, true);
      } else if (elapsed >= Limit(step)) {
        Next(ms, false);
      }
      return;
    case HealthStep::kDone:
      return;
  }
}

void HealthCheck::Stop() {
  if (step == HealthStep::kDone) return;
  figures.cutShort[Index(step)] = true;
  step = HealthStep::kDone;
}

void HealthCheck::Next(std::uint64_t ms, bool done) {
  figures.done[Index(step)] = done;
  step = static_cast<HealthStep>(Index(step) + 1);
  stepStart = ms;
}

std::string HealthCheck::Prompt() const {
  switch (step) {
    case HealthStep::kRest:
      return "Hands off the controller: measuring where the sticks and triggers rest.";
    case HealthStep::kLeftStick:
      return "Turn the left stick slowly round its edge, three times.";
    case HealthStep::kRightStick:
      return "Turn the right stick slowly round its edge, three times.";
    case HealthStep::kLeftTrigger:
      return "Pull the left trigger all the way and let go, three times.";
    case HealthStep::kRightTrigger:
      return "Pull the right trigger all the way and let go, three times.";
    case HealthStep::kButtons:
      return "Press and release every button once: A B X Y, the D-pad, Start, Back, "
             "LB RB, both stick clicks.";
    case HealthStep::kDone:
      break;
  }
  return "";
}

std::string HealthCheck::Progress(std::uint64_t ms) const {
  const std::uint64_t elapsed = ms - stepStart;
  const std::uint64_t left = elapsed >= Limit(step) ? 0 : (Limit(step) - elapsed + 999) / 1000;
  const std::string time = ", " + std::to_string(left) + " s left";
  switch (step) {
    case HealthStep::kRest:
      return std::to_string(left) + " s left";
    case HealthStep::kLeftStick:
    case HealthStep::kRightStick: {
      const StickOutline& outline = figures.outlines[step == HealthStep::kLeftStick ? 0 : 1];
      return std::to_string(outline.DirectionsPast(0.8)) + " of " +
             std::to_string(StickOutline::kDirections) + " directions" + time;
    }
    case HealthStep::kLeftTrigger:
    case HealthStep::kRightTrigger: {
      const TriggerTravel& travel = figures.triggers[step == HealthStep::kLeftTrigger ? 0 : 1];
      return std::to_string(travel.Pulls()) + " of " + std::to_string(kTriggerPulls) +
             " pulls, highest " + std::to_string(travel.Highest()) + time;
    }
    case HealthStep::kButtons:
      return std::to_string(figures.buttons.Seen()) + " of " + std::to_string(kButtonCount) +
             " buttons" + time;
    case HealthStep::kDone:
      break;
  }
  return "";
}
