// What padwatch remembers about one controller slot between polls.
#ifndef PADWATCH_INPUT_CONTROLLER_RECORD_H_
#define PADWATCH_INPUT_CONTROLLER_RECORD_H_

#include <cstdint>
#include <string>

// Where a button or axis stands in its press/release cycle. The cycle is
// Up -> Pressed -> Down -> Released -> Up, with Pressed -> Released for an
// input active for a single poll. Moves at most one step per poll.
enum class InputPhase : std::int32_t {
  Down = 0,      // held (or out of rest), already reported
  Up = 1,        // idle; the initial phase
  Pressed = 2,   // went down (or left rest) on this poll
  Released = 3,  // went up (or came back to rest) on this poll
};

struct ButtonEntry {
  InputPhase phase = InputPhase::Up;
  std::string name;
};

// value is the latest normalised reading: -1 to 1 for a stick axis, 0 to 1
// for a trigger, 0 once the axis has been released.
struct AxisEntry {
  InputPhase phase = InputPhase::Up;
  std::string name;
  float value = 0.0f;
};

// One slot's buttons and axes with their display names, which are printed
// verbatim in report lines. Records are never reset: a slot's phases carry
// over to the next controller that answers in it.
struct ControllerRecord {
  // Every entry Up, named as the table of inputs (input/inputs.h) names it.
  ControllerRecord();

  ButtonEntry a;
  ButtonEntry b;
  ButtonEntry x;
  ButtonEntry y;
  ButtonEntry dpadUp;
  ButtonEntry dpadDown;
  ButtonEntry dpadLeft;
  ButtonEntry dpadRight;
  ButtonEntry start;
  ButtonEntry back;
  ButtonEntry l3;
  ButtonEntry r3;
  ButtonEntry lb;
  ButtonEntry rb;
  AxisEntry leftStickX;
  AxisEntry leftStickY;
  AxisEntry rightStickX;
  AxisEntry rightStickY;
  AxisEntry rightTrigger;
  AxisEntry leftTrigger;
};

#endif  // PADWATCH_INPUT_CONTROLLER_RECORD_H_
