// What a pad made through uhid holds, in evdev's terms: the feeder's
// scripts say BTN_SOUTH and ABS_X, and each model (ds4_reports,
// dualsense_reports, switch_pro_reports) encodes this state into its own
// input report, the way its kernel driver decodes it back into the same
// keys and axes. So a script plays unchanged through the real drivers.
#ifndef PADWATCH_TESTS_E2E_PAD_STATE_H_
#define PADWATCH_TESTS_E2E_PAD_STATE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The buttons, by the evdev key the drivers report them as. Bit n of
// PadState::buttons is Button n; the Sony pads carry them in this order.
enum Button : int {
  kWest,         // BTN_WEST: square, Y on a Switch pad
  kSouth,        // BTN_SOUTH: cross, B
  kEast,         // BTN_EAST: circle, A
  kNorth,        // BTN_NORTH: triangle, X
  kTL,           // BTN_TL: L1, L
  kTR,           // BTN_TR: R1, R
  kTL2,          // BTN_TL2: L2 pressed, ZL
  kTR2,          // BTN_TR2: R2 pressed, ZR
  kSelect,       // BTN_SELECT: share or create, minus
  kStart,        // BTN_START: options, plus
  kThumbL,       // BTN_THUMBL
  kThumbR,       // BTN_THUMBR
  kMode,         // BTN_MODE: PS, home
  kExtraButton,  // the touchpad's click, capture: not on the gamepad's input device
  kButtonCount
};

// The hat as the Sony reports carry it: 0 north, clockwise in steps of 45
// degrees; 8 is released.
constexpr int kHatReleased = 8;

struct PadState {
  // Sticks and analogue triggers as one byte each, as the Sony pads send
  // them (0 to 255, sticks resting at 128, down positive).
  std::uint8_t leftX = 128, leftY = 128, rightX = 128, rightY = 128;
  std::uint8_t l2 = 0, r2 = 0;
  std::uint16_t buttons = 0;  // bit n: Button n
  int hatX = 0, hatY = 0;     // the D-pad as evdev shows it: -1, 0, 1 (up is -1)
  // The battery in tenths (0 to 10; 11 full, on the cable), and whether the
  // cable charges it.
  int batteryLevel = 10;
  bool cable = false;
  std::uint8_t counter = 0;  // the report counter, one more each report
  // Motion, as the Sony pads send it: the sensor clock in microseconds
  // (each model writes it in its own units), then the gyroscope's and the
  // accelerometer's raw words (x, y, z). Lying still: 1 g on y.
  std::uint64_t sensorUs = 0;
  std::int16_t gyro[3] = {0, 0, 0};
  std::int16_t accel[3] = {0, 8192, 0};
  // Up to two fingers on the Sony pads' touchpad, in its units from the top
  // left.
  struct Finger {
    bool down = false;
    int x = 0;
    int y = 0;
  };
  Finger fingers[2];
};

namespace pad_state {

// The hat value (0 to 8) for the D-pad's evdev axes.
int Hat(int x, int y);

// Applies an evdev key (BTN_SOUTH ...) or axis (ABS_X ...: 0 to 255 for
// sticks and triggers, -1 to 1 for the hat). False for a code no pad here
// has.
bool ApplyKey(PadState* state, int code, bool down);
bool ApplyAbs(PadState* state, int code, int value);

// The descriptor items both Sony pads declare for the hat and the buttons
// after it: a 4-bit hat (0 north, clockwise, null when released), then
// `buttons` one-bit buttons. They leave the usage page at Button and the
// report size at 1.
std::vector<std::uint8_t> HatAndButtonItems(int buttons);

// Writes the motion sensors' calibration both Sony pads answer with (bytes
// 1 to 34 of their calibration feature report): gyro biases, the gyro's
// readings at plus and minus for each axis and the speed they were taken
// at, then the accelerometer's. The drivers divide by each range: none is
// empty.
void PutCalibration(std::vector<std::uint8_t>* report);

// Writes the gyroscope's three words, then the accelerometer's, least
// significant byte first, from at on (12 bytes): the layout both Sony pads
// share, each at its own place in its input report.
void PutMotion(const PadState& state, std::uint8_t* at);

// Writes the two touch points both Sony pads share from at on (8 bytes):
// each a contact byte (bit 7 set when no finger, a finger's number below
// it), then its 12-bit x and y, least significant first.
void PutTouch(const PadState& state, std::uint8_t* at);

// Writes value's low 16 bits, least significant byte first, at report[at].
void PutLe16(std::vector<std::uint8_t>* report, std::size_t at, int value);

// Writes the six bytes of a Bluetooth address, least significant first, at
// report[1] to report[6], as the Sony pads answer for it.
void PutAddress(std::vector<std::uint8_t>* report, const std::array<std::uint8_t, 6>& mac);

}  // namespace pad_state

#endif  // PADWATCH_TESTS_E2E_PAD_STATE_H_
