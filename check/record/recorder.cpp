#include "check/record/recorder.h"

#include <cstring>

#include "check/probe/slot_probe.h"
#include "input/inputs.h"
#include "replay/scenario.h"

const char Recorder::kHeader[] =
    "# padwatch-check recording: the four slots as XInput read them. Play it with\n"
    "# padwatch-replay FILE (--realtime to keep the pace of its \"at\" lines, the\n"
    "# milliseconds since the start).\n";

namespace {

ScenarioStep Step(ScenarioStep::Kind kind, DWORD slot) {
  ScenarioStep step;
  step.kind = kind;
  step.slot = slot;
  return step;
}

// What the device in slot says of itself, as scenario commands.
std::string DeviceLines(DWORD slot) {
  SlotReading reading(slot);
  ReadDevice(&reading);
  std::string lines;
  const DeviceIdentity& id = reading.identity;
  const std::pair<ScenarioStep::Kind, const std::string*> texts[] = {
      {ScenarioStep::Kind::kName, &id.name},
      {ScenarioStep::Kind::kGuid, &id.guid},
      {ScenarioStep::Kind::kMapping, &id.mapping}};
  for (const auto& text : texts) {
    if (text.second->empty()) continue;
    ScenarioStep step = Step(text.first, slot);
    // Cut to what a scenario holds; no device's own text comes near it.
    step.text = text.second->substr(0, kScenarioMaxTextBytes);
    lines += FormatStep(step);
  }
  if (id.idsKnown) {
    ScenarioStep step = Step(ScenarioStep::Kind::kIds, slot);
    step.vendorId = id.vendorId;
    step.productId = id.productId;
    lines += FormatStep(step);
  }
  if (reading.capabilitiesKnown) {
    ScenarioStep step = Step(ScenarioStep::Kind::kSubType, slot);
    step.code = reading.capabilities.SubType;
    lines += FormatStep(step);
    step = Step(ScenarioStep::Kind::kWireless, slot);
    step.flag = (reading.capabilities.Flags & XINPUT_CAPS_WIRELESS) != 0;
    lines += FormatStep(step);
    step = Step(ScenarioStep::Kind::kVibration, slot);
    step.flag = HasVibration(reading.capabilities);
    lines += FormatStep(step);
  }
  ScenarioStep battery = Step(ScenarioStep::Kind::kBattery, slot);
  battery.flag = reading.batteryKnown;
  battery.code = reading.battery.BatteryType;
  battery.level = reading.battery.BatteryLevel;
  lines += FormatStep(battery);
  return lines;
}

}  // namespace

std::string Recorder::Changes(DWORD slot, bool connected, const XINPUT_GAMEPAD& now) {
  Slot& known = slots[slot];
  std::string lines;
  if (connected != known.connected) {
    if (connected) lines += DeviceLines(slot);
    lines +=
        FormatStep(Step(connected ? ScenarioStep::Kind::kPlug : ScenarioStep::Kind::kUnplug, slot));
    known.connected = connected;
    // A slot that is plugged or unplugged starts from rest.
    known.reading = XINPUT_GAMEPAD{};
  }
  if (!connected) return lines;
  const WORD pressed = static_cast<WORD>(now.wButtons & ~known.reading.wButtons & kAllButtons);
  const WORD released = static_cast<WORD>(known.reading.wButtons & ~now.wButtons & kAllButtons);
  if (pressed != 0) {
    ScenarioStep step = Step(ScenarioStep::Kind::kPress, slot);
    step.buttons = pressed;
    lines += FormatStep(step);
  }
  if (released != 0) {
    ScenarioStep step = Step(ScenarioStep::Kind::kRelease, slot);
    step.buttons = released;
    lines += FormatStep(step);
  }
  ScenarioStep set = Step(ScenarioStep::Kind::kSet, slot);
  for (std::size_t f = 0; f < kAxisCount; ++f) {
    const std::int32_t value = kAxisInputs[f].Reading(now);
    if (value == kAxisInputs[f].Reading(known.reading)) continue;
    set.fieldsSet = static_cast<std::uint8_t>(set.fieldsSet | (1u << f));
    set.values[f] = value;
  }
  if (set.fieldsSet != 0) lines += FormatStep(set);
  known.reading = now;
  known.reading.wButtons = static_cast<WORD>(now.wButtons & kAllButtons);
  return lines;
}

std::string Recorder::Poll(std::uint64_t nowMs) {
  std::string changes;
  for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
    XINPUT_STATE state;
    std::memset(&state, 0, sizeof(state));
    const bool connected = XInputGetState(slot, &state) == 0;
    changes += Changes(slot, connected, state.Gamepad);
  }
  if (changes.empty()) {
    ++pendingPolls;
    return "";
  }
  // The polls before this one, then this one's changes; this poll itself
  // is written with the ones that follow it.
  std::string lines = Finish();
  ScenarioStep at = Step(ScenarioStep::Kind::kAt, 0);
  at.atMs = nowMs;
  lines += FormatStep(at) + changes;
  pendingPolls = 1;
  return lines;
}

std::string Recorder::Finish() {
  if (pendingPolls == 0) return "";
  ScenarioStep poll = Step(ScenarioStep::Kind::kPoll, 0);
  poll.polls = pendingPolls;
  pendingPolls = 0;
  return FormatStep(poll);
}

bool Recorder::AnyConnected() const {
  for (const Slot& slot : slots) {
    if (slot.connected) return true;
  }
  return false;
}
