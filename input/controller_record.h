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
  ButtonEntry a{InputPhase::Up, "A"};
  ButtonEntry b{InputPhase::Up, "B"};
  ButtonEntry x{InputPhase::Up, "X"};
  ButtonEntry y{InputPhase::Up, "Y"};
  ButtonEntry dpadUp{InputPhase::Up, "Dpad Up"};
  ButtonEntry dpadDown{InputPhase::Up, "Dpad Down"};
  ButtonEntry dpadLeft{InputPhase::Up, "Dpad Left"};
  ButtonEntry dpadRight{InputPhase::Up, "Dpad Right"};
  ButtonEntry start{InputPhase::Up, "Start"};
  ButtonEntry back{InputPhase::Up, "Back"};
  ButtonEntry l3{InputPhase::Up, "L3"};
  ButtonEntry r3{InputPhase::Up, "R3"};
  ButtonEntry lb{InputPhase::Up, "LB"};
  ButtonEntry rb{InputPhase::Up, "RB"};
  AxisEntry leftStickX{InputPhase::Up, "Left Stick X", 0.0f};
  AxisEntry leftStickY{InputPhase::Up, "Left Stick Y", 0.0f};
  AxisEntry rightStickX{InputPhase::Up, "Right Stick X", 0.0f};
  AxisEntry rightStickY{InputPhase::Up, "Right Stick Y", 0.0f};
  AxisEntry rightTrigger{InputPhase::Up, "Right Trigger", 0.0f};
  AxisEntry leftTrigger{InputPhase::Up, "Left Trigger", 0.0f};
};

#endif  // PADWATCH_INPUT_CONTROLLER_RECORD_H_
