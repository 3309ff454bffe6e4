#include "input/controller_manager.h"

#include <cstring>
#include <string>
#include <utility>

#include "support/console.h"
#include "support/math.h"
#include "support/number_text.h"

namespace {

struct ButtonStep {
  ButtonEntry ControllerRecord::*entry;
  WORD mask;
};

// The order in which buttons are examined, and so the order of their lines
// within a poll. It is not the record's order: the D-pad goes up, right,
// down, left, and the shoulders come before the stick clicks.
constexpr ButtonStep kButtonSteps[] = {
    {&ControllerRecord::a, XINPUT_GAMEPAD_A},
    {&ControllerRecord::b, XINPUT_GAMEPAD_B},
    {&ControllerRecord::x, XINPUT_GAMEPAD_X},
    {&ControllerRecord::y, XINPUT_GAMEPAD_Y},
    {&ControllerRecord::dpadUp, XINPUT_GAMEPAD_DPAD_UP},
    {&ControllerRecord::dpadRight, XINPUT_GAMEPAD_DPAD_RIGHT},
    {&ControllerRecord::dpadDown, XINPUT_GAMEPAD_DPAD_DOWN},
    {&ControllerRecord::dpadLeft, XINPUT_GAMEPAD_DPAD_LEFT},
    {&ControllerRecord::start, XINPUT_GAMEPAD_START},
    {&ControllerRecord::back, XINPUT_GAMEPAD_BACK},
    {&ControllerRecord::lb, XINPUT_GAMEPAD_LEFT_SHOULDER},
    {&ControllerRecord::rb, XINPUT_GAMEPAD_RIGHT_SHOULDER},
    {&ControllerRecord::l3, XINPUT_GAMEPAD_LEFT_THUMB},
    {&ControllerRecord::r3, XINPUT_GAMEPAD_RIGHT_THUMB},
};

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

void StepStick(AxisEntry& entry, SHORT reading, std::int32_t deadZone, std::uint16_t slot) {
  const bool active = reading > deadZone || reading < -deadZone;
  const float value = active ? Clamp(static_cast<float>(reading) / kStickScale, -1.0f, 1.0f) : 0.0f;
  StepAxis(entry, active, value, slot);
}

void StepTrigger(AxisEntry& entry, BYTE reading, std::uint16_t slot) {
  const bool active = reading > kTriggerThreshold;
  const float value = active ? Clamp01(static_cast<float>(reading) / kTriggerScale) : 0.0f;
  StepAxis(entry, active, value, slot);
}

// True when stepping the record again with the reading that produced its
// current phases would change nothing: a button left Up or Down agrees with
// its bit, and an axis left Up is inside its dead zone.
bool IsSettled(const ControllerRecord& record) {
  for (const ButtonStep& step : kButtonSteps) {
    const InputPhase phase = (record.*step.entry).phase;
    if (phase != InputPhase::Up && phase != InputPhase::Down) return false;
  }
  for (const AxisEntry* axis : {&record.leftStickX, &record.leftStickY, &record.rightStickX,
                                &record.rightStickY, &record.leftTrigger, &record.rightTrigger}) {
    if (axis->phase != InputPhase::Up) return false;
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
  if (settled[slot] && SameReading(pad, settledReading[slot])) return;

  for (const ButtonStep& step : kButtonSteps) {
    StepButton(current->*step.entry, (pad.wButtons & step.mask) != 0, slot);
  }
  StepStick(current->leftStickX, pad.sThumbLX, kLeftStickDeadZone, slot);
  StepStick(current->leftStickY, pad.sThumbLY, kLeftStickDeadZone, slot);
  StepStick(current->rightStickX, pad.sThumbRX, kRightStickDeadZone, slot);
  StepStick(current->rightStickY, pad.sThumbRY, kRightStickDeadZone, slot);
  StepTrigger(current->leftTrigger, pad.bLeftTrigger, slot);
  StepTrigger(current->rightTrigger, pad.bRightTrigger, slot);

  settled[slot] = IsSettled(*current);
  settledReading[slot] = pad;
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
