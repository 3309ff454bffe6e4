#include "input/controller_manager.h"

#include <cstring>
#include <string>
#include <utility>

#include "input/inputs.h"
#include "platform/reading.h"
#include "support/console.h"
#include "support/number_text.h"

namespace {

// Room for the longest line, so that building one allocates once.
constexpr std::size_t kLineCapacity = 80;

// Writes "<head><name><tail><slot>". Only called when a line is due, so
// silent polls build no strings.
void WriteEntryLine(const char* head, const std::string& name, const char* tail,
                    std::uint16_t slot) {
  std::string line;
  line.reserve(kLineCapacity);
  line.append(head).append(name).append(tail);
  AppendInteger(line, slot);
  WriteLine(std::move(line));
}

void WriteValueLine(const AxisEntry& entry, std::uint16_t slot) {
  std::string line;
  line.reserve(kLineCapacity);
  line.append("Axis [").append(entry.name).append("] moved on device : ");
  AppendInteger(line, slot);
  line.append(" with value: ");
  AppendFixed6(line, entry.value);
  WriteLine(std::move(line));
}

// A button that comes back on the poll right after its release is a new
// press: Released moves on just as Up does, so no press is ever swallowed.
void StepButton(ButtonEntry& entry, bool active, std::uint16_t slot) {
  switch (entry.phase) {
    case InputPhase::Up:
    case InputPhase::Released:
      if (active) {
        entry.phase = InputPhase::Pressed;
        WriteEntryLine("Button [", entry.name, "] pressed on Device: ", slot);
      } else {
        entry.phase = InputPhase::Up;
      }
      break;
    case InputPhase::Pressed:
    case InputPhase::Down:
      if (active) {
        entry.phase = InputPhase::Down;
      } else {
        entry.phase = InputPhase::Released;
        WriteEntryLine("Button [", entry.name, "] released: on Device: ", slot);
      }
      break;
  }
}

// value is only meaningful when active. As with buttons, an axis that leaves
// rest again right after its release starts a new movement.
void StepAxis(AxisEntry& entry, bool active, float value, std::uint16_t slot) {
  if (active) {
    entry.value = value;
    if (entry.phase == InputPhase::Up || entry.phase == InputPhase::Released) {
      entry.phase = InputPhase::Pressed;
      WriteEntryLine("Axis [", entry.name, "] moved on device: ", slot);
    } else {
      entry.phase = InputPhase::Down;
    }
    WriteValueLine(entry, slot);
    return;
  }
  switch (entry.phase) {
    case InputPhase::Pressed:
    case InputPhase::Down:
      entry.phase = InputPhase::Released;
      entry.value = 0.0f;
      WriteEntryLine("Axis [", entry.name, "] released on device: ", slot);
      break;
    case InputPhase::Released:
      entry.phase = InputPhase::Up;
      break;
    case InputPhase::Up:
      break;
  }
}

void StepAxisInput(ControllerRecord& record, const AxisInput& axis, const XINPUT_GAMEPAD& pad,
                   std::uint16_t slot) {
  const std::int32_t reading = axis.Reading(pad);
  const bool active = !axis.AtRest(reading);
  StepAxis(record.*axis.entry, active, active ? axis.NormalisedValue(reading) : 0.0f, slot);
}

// True when stepping the record again with the reading that produced its
// current phases would change nothing: a button left Up or Down agrees with
// its bit, and an axis left Up is inside its dead zone.
bool IsSettled(const ControllerRecord& record) {
  for (const ButtonInput& button : kButtonInputs) {
    const InputPhase phase = (record.*button.entry).phase;
    if (phase != InputPhase::Up && phase != InputPhase::Down) return false;
  }
  for (const AxisInput& axis : kAxisInputs) {
    if ((record.*axis.entry).phase != InputPhase::Up) return false;
  }
  return true;
}

}  // namespace

ControllerManager::ControllerManager()
    : connected{false, false, false, false}, reported{false, false, false, false} {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  for (std::uint32_t i = 0; i < kSlotCount; ++i) {
    ControllerRecord record;
    records.push_back(std::move(record));
  }
  OnConnected.SetSender(this);
  OnDisconnected.SetSender(this);
  OnDisconnected.Subscribe(OnControllerDisconnected);
  OnConnected.Subscribe(OnControllerConnected);
}

ControllerManager::~ControllerManager() {
  OnDisconnected.Unsubscribe(OnControllerDisconnected);
  OnConnected.Unsubscribe(OnControllerConnected);
}

void ControllerManager::Poll() {
  connectedCount = 0;
  for (std::uint32_t i = 0; i < kSlotCount; ++i) {
    std::memset(&state, 0, sizeof(state));
    if (XInputGetState(i, &state) == 0) {
      ++connectedCount;
      UpdateSlot(static_cast<std::uint16_t>(i));
    } else if (connected[i]) {
      connected[i] = false;
    }
  }
  if (lastReportedCount != connectedCount) ReportConnectionChanges();
}

void ControllerManager::UpdateSlot(std::uint16_t slot) {
  current = &records.at(slot);
  if (!connected.at(slot)) connected.at(slot) = true;

  const XINPUT_GAMEPAD& pad = state.Gamepad;
  Settled& calm = settled[slot];
  if (calm.settled && SameReading(pad, calm.reading)) return;

  for (const ButtonInput& button : kButtonInputs) {
    StepButton(current->*button.entry, (pad.wButtons & button.mask) != 0, slot);
  }
  for (const AxisInput& axis : kAxisInputs) StepAxisInput(*current, axis, pad, slot);

  calm.settled = IsSettled(*current);
  calm.reading = pad;
}

void ControllerManager::ReportConnectionChanges() {
  for (std::size_t i = 0; i < connected.size(); ++i) {
    if (reported[i] && !connected[i]) {
      reported[i] = connected[i];
      OnDisconnected.Invoke();
    } else if (!reported[i] && connected[i]) {
      reported[i] = connected[i];
      OnConnected.Invoke();
    }
  }
  std::string line(" Connected Devices: ");
  AppendInteger(line, connectedCount);
  WriteLine(std::move(line));
  lastReportedCount = connectedCount;
}

void OnControllerConnected(ControllerManager* /*sender*/) { WriteLine("Controller connected!"); }

void OnControllerDisconnected(ControllerManager* /*sender*/) {
  WriteLine("Controller disconnected!");
}
