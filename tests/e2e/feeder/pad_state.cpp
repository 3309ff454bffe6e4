#include "tests/e2e/feeder/pad_state.h"

#include <linux/input-event-codes.h>

namespace pad_state {

namespace {

// The key each Button is reported as.
constexpr int kKeys[kButtonCount] = {BTN_WEST,   BTN_SOUTH,  BTN_EAST, BTN_NORTH,  BTN_TL,
                                     BTN_TR,     BTN_TL2,    BTN_TR2,  BTN_SELECT, BTN_START,
                                     BTN_THUMBL, BTN_THUMBR, BTN_MODE, -1};

}  // namespace

int Hat(int x, int y) {
  // Indexed by y + 1, then x + 1.
  static constexpr int kHats[3][3] = {{7, 0, 1}, {6, kHatReleased, 2}, {5, 4, 3}};
  if (x < -1 || x > 1 || y < -1 || y > 1) return kHatReleased;
  return kHats[y + 1][x + 1];
}

bool ApplyKey(PadState* state, int code, bool down) {
  for (int button = 0; button < kButtonCount; ++button) {
    if (code < 0 || kKeys[button] != code) continue;
    const auto bit = static_cast<std::uint16_t>(1u << button);
    state->buttons =
        static_cast<std::uint16_t>(down ? state->buttons | bit : state->buttons & ~bit);
    return true;
  }
  return false;
}

bool ApplyAbs(PadState* state, int code, int value) {
  const auto byte = static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
  switch (code) {
    case ABS_X:
      state->leftX = byte;
      return true;
    case ABS_Y:
      state->leftY = byte;
      return true;
    case ABS_RX:
      state->rightX = byte;
      return true;
    case ABS_RY:
      state->rightY = byte;
      return true;
    case ABS_Z:
      state->l2 = byte;
      return true;
    case ABS_RZ:
      state->r2 = byte;
      return true;
    case ABS_HAT0X:
      state->hatX = value;
      return value >= -1 && value <= 1;
    case ABS_HAT0Y:
      state->hatY = value;
      return value >= -1 && value <= 1;
    default:
      return false;
  }
}

std::vector<std::uint8_t> HatAndButtonItems(int buttons) {
  const auto count = static_cast<std::uint8_t>(buttons);
  return {
      0x05, 0x01,         // Usage Page (Generic Desktop)
      0x09, 0x39,         // Usage (Hat switch)
      0x15, 0x00,         // Logical Minimum (0)
      0x25, 0x07,         // Logical Maximum (7)
      0x35, 0x00,         // Physical Minimum (0)
      0x46, 0x3b,  0x01,  // Physical Maximum (315)
      0x65, 0x14,         // Unit (Degrees)
      0x75, 0x04,         // Report Size (4)
      0x95, 0x01,         // Report Count (1)
      0x81, 0x42,         // Input (Data,Var,Abs,Null State)
      0x65, 0x00,         // Unit (None)
      0x05, 0x09,         // Usage Page (Button)
      0x19, 0x01,         // Usage Minimum (1)
      0x29, count,        // Usage Maximum (buttons)
      0x15, 0x00,         // Logical Minimum (0)
      0x25, 0x01,         // Logical Maximum (1)
      0x75, 0x01,         // Report Size (1)
      0x95, count,        // Report Count (buttons)
      0x81, 0x02,         // Input (Data,Var,Abs)
  };
}

void PutCalibration(std::vector<std::uint8_t>* report) {
  const int values[] = {0,    0,     0,                          // gyro biases
                        8000, -8000, 8000, -8000, 8000, -8000,   // pitch, yaw, roll +-
                        540,  540,                               // speed +-
                        8192, -8192, 8192, -8192, 8192, -8192};  // accelerometer +-
  std::size_t at = 1;
  for (int value : values) {
    if (at + 1 >= report->size()) return;
    PutLe16(report, at, value);
    at += 2;
  }
}

void PutMotion(const PadState& state, std::uint8_t* at) {
  const std::int16_t words[6] = {state.gyro[0],  state.gyro[1],  state.gyro[2],
                                 state.accel[0], state.accel[1], state.accel[2]};
  for (int i = 0; i < 6; ++i) {
    const auto word = static_cast<std::uint16_t>(words[i]);
    at[2 * i] = static_cast<std::uint8_t>(word & 0xff);
    at[2 * i + 1] = static_cast<std::uint8_t>(word >> 8);
  }
}

void PutTouch(const PadState& state, std::uint8_t* at) {
  for (int i = 0; i < 2; ++i) {
    const PadState::Finger& finger = state.fingers[i];
    std::uint8_t* point = at + 4 * i;
    point[0] = static_cast<std::uint8_t>(finger.down ? i : 0x80 | i);
    point[1] = static_cast<std::uint8_t>(finger.x & 0xff);
    point[2] = static_cast<std::uint8_t>(((finger.x >> 8) & 0x0f) | ((finger.y & 0x0f) << 4));
    point[3] = static_cast<std::uint8_t>((finger.y >> 4) & 0xff);
  }
}

void PutLe16(std::vector<std::uint8_t>* report, std::size_t at, int value) {
  (*report)[at] = static_cast<std::uint8_t>(value & 0xff);
  (*report)[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xff);
}

void PutAddress(std::vector<std::uint8_t>* report, const std::array<std::uint8_t, 6>& mac) {
  for (std::size_t i = 0; i < 6; ++i) (*report)[1 + i] = mac[5 - i];
}

}  // namespace pad_state
