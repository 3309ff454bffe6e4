#include "replay/scenario_player.h"

#include <iostream>

#include "app/application.h"
#include "platform/scripted/scripted_xinput.h"

namespace {

void ApplySet(const ScenarioStep& step) {
  XINPUT_GAMEPAD pad = scripted::Gamepad(step.slot);
  for (int f = 0; f < kScenarioFieldCount; ++f) {
    if ((step.fieldsSet & (1u << f)) != 0) kAxisInputs[f].Set(pad, step.values[f]);
  }
  scripted::SetGamepad(step.slot, pad);
}

}  // namespace

void ApplyStep(const ScenarioStep& step) {
  switch (step.kind) {
    case ScenarioStep::Kind::kPlug:
      scripted::Plug(step.slot);
      break;
    case ScenarioStep::Kind::kUnplug:
      scripted::Unplug(step.slot);
      break;
    case ScenarioStep::Kind::kPress:
      scripted::Press(step.slot, step.buttons);
      break;
    case ScenarioStep::Kind::kRelease:
      scripted::Release(step.slot, step.buttons);
      break;
    case ScenarioStep::Kind::kSet:
      ApplySet(step);
      break;
    case ScenarioStep::Kind::kPoll:
      break;
  }
}

bool PlayScenario(const Scenario& scenario, Application& application, bool (*stopRequested)()) {
  return scenario.ForEach([&](const ScenarioStep& step) {
    if (step.kind != ScenarioStep::Kind::kPoll) {
      ApplyStep(step);
      return true;
    }
    for (std::uint64_t i = 0; i < step.polls; ++i) {
      if (!application.IsRunning() || !std::cout.good()) return false;
      if (stopRequested != nullptr && stopRequested()) return false;
      application.Update();
    }
    return true;
  });
}
