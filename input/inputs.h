// The fourteen buttons and six axes of a controller, each defined once: its
// display name (as report lines print it), where the reading holds it, the
// name scenarios give it, and the record entry that tracks it. Both tables
// are in examination order, which is the order of their lines within a
// poll. Everything that needs to know the inputs reads them from here.
#ifndef PADWATCH_INPUT_INPUTS_H_
#define PADWATCH_INPUT_INPUTS_H_

#include <cstddef>
#include <cstdint>

#include "input/controller_record.h"
#include "platform/xinput.h"
#include "support/math.h"

// A stick axis is at rest while its reading lies within [-dead zone, dead
// zone]; a trigger while its reading is at most the threshold. The values are
// the ones the XInput headers recommend.
constexpr std::int32_t kLeftStickDeadZone = XINPUT_GAMEPAD_LEFT_THUMB_DEADZONE;
constexpr std::int32_t kRightStickDeadZone = XINPUT_GAMEPAD_RIGHT_THUMB_DEADZONE;
constexpr std::int32_t kTriggerThreshold = XINPUT_GAMEPAD_TRIGGER_THRESHOLD;

// Divisors that map raw readings to about -1..1 (sticks) and 0..1 (triggers).
constexpr float kStickScale = 32767.0f;
constexpr float kTriggerScale = 255.0f;

struct ButtonInput {
  const char* name;          // "Dpad Up"
  const char* scenarioName;  // "DPAD_UP"
  WORD mask;                 // its bit in XINPUT_GAMEPAD::wButtons
  ButtonEntry ControllerRecord::*entry;
};

// Examination order is not the record's order: the D-pad goes up, right,
// down, left, and the shoulders come before the stick clicks.
constexpr ButtonInput kButtonInputs[] = {
    {"A", "A", XINPUT_GAMEPAD_A, &ControllerRecord::a},
    {"B", "B", XINPUT_GAMEPAD_B, &ControllerRecord::b},
    {"X", "X", XINPUT_GAMEPAD_X, &ControllerRecord::x},
    {"Y", "Y", XINPUT_GAMEPAD_Y, &ControllerRecord::y},
    {"Dpad Up", "DPAD_UP", XINPUT_GAMEPAD_DPAD_UP, &ControllerRecord::dpadUp},
    {"Dpad Right", "DPAD_RIGHT", XINPUT_GAMEPAD_DPAD_RIGHT, &ControllerRecord::dpadRight},
    {"Dpad Down", "DPAD_DOWN", XINPUT_GAMEPAD_DPAD_DOWN, &ControllerRecord::dpadDown},
    {"Dpad Left", "DPAD_LEFT", XINPUT_GAMEPAD_DPAD_LEFT, &ControllerRecord::dpadLeft},
    {"Start", "START", XINPUT_GAMEPAD_START, &ControllerRecord::start},
    {"Back", "BACK", XINPUT_GAMEPAD_BACK, &ControllerRecord::back},
    {"LB", "LB", XINPUT_GAMEPAD_LEFT_SHOULDER, &ControllerRecord::lb},
    {"RB", "RB", XINPUT_GAMEPAD_RIGHT_SHOULDER, &ControllerRecord::rb},
    {"L3", "L3", XINPUT_GAMEPAD_LEFT_THUMB, &ControllerRecord::l3},
    {"R3", "R3", XINPUT_GAMEPAD_RIGHT_THUMB, &ControllerRecord::r3},
};
constexpr std::size_t kButtonCount = sizeof(kButtonInputs) / sizeof(kButtonInputs[0]);

// Every button at once.
constexpr WORD kAllButtons = [] {
  WORD all = 0;
  for (const ButtonInput& button : kButtonInputs) all = static_cast<WORD>(all | button.mask);
  return all;
}();

// A stick axis is read from a SHORT field, a trigger from a BYTE field; the
// other pointer is null.
struct AxisInput {
  const char* name;          // "Left Stick X"
  const char* scenarioName;  // "lx"
  SHORT XINPUT_GAMEPAD::*stick;
  BYTE XINPUT_GAMEPAD::*trigger;
  std::int32_t rest;  // the dead zone of a stick, the threshold of a trigger
  AxisEntry ControllerRecord::*entry;

  bool IsTrigger() const { return trigger != nullptr; }
  std::int32_t Reading(const XINPUT_GAMEPAD& pad) const {
    return IsTrigger() ? pad.*trigger : pad.*stick;
  }
  void Set(XINPUT_GAMEPAD& pad, std::int32_t reading) const {
    if (IsTrigger()) {
      pad.*trigger = static_cast<BYTE>(reading);
    } else {
      pad.*stick = static_cast<SHORT>(reading);
    }
  }
  std::int32_t Min() const { return IsTrigger() ? 0 : -32768; }
  std::int32_t Max() const { return IsTrigger() ? 255 : 32767; }
  // Whether a reading is at rest: no line reports it, and no screen lights it.
  bool AtRest(std::int32_t reading) const {
    return IsTrigger() ? reading <= rest : reading >= -rest && reading <= rest;
  }
  // The reading as report lines give it: -1 to 1 for a stick, 0 to 1 for a
  // trigger. Every program that shows a value computes it here.
  float NormalisedValue(std::int32_t reading) const {
    if (IsTrigger()) return Clamp01(static_cast<float>(reading) / kTriggerScale);
    return Clamp(static_cast<float>(reading) / kStickScale, -1.0f, 1.0f);
  }
};

constexpr AxisInput kAxisInputs[] = {
    {"Left Stick X", "lx", &XINPUT_GAMEPAD::sThumbLX, nullptr, kLeftStickDeadZone,
     &ControllerRecord::leftStickX},
    {"Left Stick Y", "ly", &XINPUT_GAMEPAD::sThumbLY, nullptr, kLeftStickDeadZone,
     &ControllerRecord::leftStickY},
    {"Right Stick X", "rx", &XINPUT_GAMEPAD::sThumbRX, nullptr, kRightStickDeadZone,
     &ControllerRecord::rightStickX},
    {"Right Stick Y", "ry", &XINPUT_GAMEPAD::sThumbRY, nullptr, kRightStickDeadZone,
     &ControllerRecord::rightStickY},
    {"Left Trigger", "lt", nullptr, &XINPUT_GAMEPAD::bLeftTrigger, kTriggerThreshold,
     &ControllerRecord::leftTrigger},
    {"Right Trigger", "rt", nullptr, &XINPUT_GAMEPAD::bRightTrigger, kTriggerThreshold,
     &ControllerRecord::rightTrigger},
};
constexpr std::size_t kAxisCount = sizeof(kAxisInputs) / sizeof(kAxisInputs[0]);

#endif  // PADWATCH_INPUT_INPUTS_H_
