// What a Sony pad's input reports carry, in the terms both the DualShock 4
// and the DualSense share, and how evdev's keys and axes map onto it as the
// kernel's drivers (hid-sony, hid-playstation) map them back: so that the
// feeder's scripts, written in evdev's names, play through the real drivers
// unchanged.
#ifndef PADWATCH_TESTS_E2E_PLAYSTATION_PAD_H_
#define PADWATCH_TESTS_E2E_PLAYSTATION_PAD_H_

#include <cstdint>
#include <vector>

namespace playstation {

// The buttons in the order both pads' reports carry them after the hat.
enum Button : int {
  kSquare,
  kCross,
  kCircle,
  kTriangle,
  kL1,
  kR1,
  kL2,
  kR2,
  kShare,  // Create on the DualSense
  kOptions,
  kL3,
  kR3,
  kPs,
  kTouchpadClick,
  kButtonCount
};

// The hat: 0 north, clockwise in steps of 45 degrees; 8 is released.
constexpr int kHatReleased = 8;

struct State {
  std::uint8_t leftX = 128, leftY = 128, rightX = 128, rightY = 128;
  std::uint8_t l2 = 0, r2 = 0;  // the analogue triggers
  std::uint16_t buttons = 0;    // bit n: Button n
  int hatX = 0, hatY = 0;       // the D-pad as evdev shows it: -1, 0, 1 (up is -1)
  // The battery in tenths (0 to 10; 11 full, on the cable), and whether the
  // cable charges it. The drivers make level * 10 + 5 percent of it.
  int batteryLevel = 10;
  bool cable = false;
  std::uint8_t counter = 0;  // the report counter, one more each report
};

// The hat value (0 to 8) for the D-pad's evdev axes.
int Hat(int x, int y);

// Applies an evdev key (BTN_SOUTH ...) or axis (ABS_X ...) with the value
// the driver is to report for it. False for a code the pads do not have.
bool ApplyKey(State* state, int code, bool down);
bool ApplyAbs(State* state, int code, int value);

// Writes the motion sensors' calibration both pads answer with (bytes 1 to
// 34 of their calibration feature report): gyro biases, the gyro's readings
// at plus and minus for each axis and the speed they were taken at, then the
// accelerometer's. The drivers divide by each range: none is empty.
void PutCalibration(std::vector<std::uint8_t>* report);

}  // namespace playstation

#endif  // PADWATCH_TESTS_E2E_PLAYSTATION_PAD_H_
