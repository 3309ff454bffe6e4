#include "replay/scenario_player.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <thread>

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

// What the device says of itself changes no reading.
void ApplyDeviceStep(const ScenarioStep& step) {
  DeviceIdentity identity = scripted::Identity(step.slot);
  switch (step.kind) {
    case ScenarioStep::Kind::kName:
      identity.name = step.text;
      break;
    case ScenarioStep::Kind::kGuid:
      identity.guid = step.text;
      break;
    case ScenarioStep::Kind::kMapping:
      identity.mapping = step.text;
      break;
    case ScenarioStep::Kind::kIds:
      identity.idsKnown = true;
      identity.vendorId = step.vendorId;
      identity.productId = step.productId;
      break;
    case ScenarioStep::Kind::kSubType:
      scripted::SetSubType(step.slot, step.code);
      break;
    case ScenarioStep::Kind::kWireless:
      scripted::SetWireless(step.slot, step.flag);
      break;
    case ScenarioStep::Kind::kVibration:
      scripted::SetVibrationSupported(step.slot, step.flag);
      break;
    case ScenarioStep::Kind::kBattery:
      scripted::SetBattery(step.slot, step.flag, step.code, step.level);
      break;
    default:
      break;
  }
  scripted::SetIdentity(step.slot, identity);
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
    case ScenarioStep::Kind::kAt:
      break;
    default:
      ApplyDeviceStep(step);
      break;
  }
}

bool PlayScenario(const Scenario& scenario, Application& application, bool (*stopRequested)(),
                  bool keepPace) {
  const auto start = std::chrono::steady_clock::now();
  return scenario.ForEach([&](const ScenarioStep& step) {
    if (step.kind == ScenarioStep::Kind::kAt && keepPace) {
      // In slices, so that a stop is seen while waiting. The reader keeps
      // times within kScenarioMaxAtMs, far from the clock's overflow.
      const auto due = start + std::chrono::milliseconds(std::min(step.atMs, kScenarioMaxAtMs));
      while (std::chrono::steady_clock::now() < due) {
        if (stopRequested != nullptr && stopRequested()) return false;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            due - std::chrono::steady_clock::now(), std::chrono::milliseconds(100)));
      }
    }
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
