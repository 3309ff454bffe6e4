#include "tests/e2e/feeder/x360_reports.h"

#include <linux/input-event-codes.h>

#include <cstdio>

namespace x360 {

namespace {

// The bits of the button word, as xpad360_process_packet reads them.
enum Bit : std::uint16_t {
  kDpadUp = 0x0001,
  kDpadDown = 0x0002,
  kDpadLeft = 0x0004,
  kDpadRight = 0x0008,
  kStart = 0x0010,
  kBack = 0x0020,
  kThumbL = 0x0040,
  kThumbR = 0x0080,
  kLb = 0x0100,
  kRb = 0x0200,
  kGuide = 0x0400,
  kA = 0x1000,
  kB = 0x2000,
  kX = 0x4000,
  kY = 0x8000,
};

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xff));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xff));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xffff);
  Put16(out, value >> 16);
}

void SetLength(std::vector<std::uint8_t>& out) {
  const auto size = static_cast<std::uint32_t>(out.size());
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
}

// One speed's set: the interface, then its IN and OUT endpoints. bInterval
// counts frames at full speed and 2^(n-1) microframes at high speed: 4 ms
// in and 8 ms out either way, as the pad declares them.
void PutSet(std::vector<std::uint8_t>& out, bool highSpeed) {
  const std::uint8_t interface[9] = {9, 0x04, 0, 0, 2, 0xff, 0x5d, 0x01, 1};
  out.insert(out.end(), interface, interface + 9);
  const struct {
    int address, fullSpeed, highSpeed;
  } endpoints[] = {{kInEndpoint, 4, 6}, {kOutEndpoint, 8, 7}};
  for (const auto& e : endpoints) {
    out.push_back(7);
    out.push_back(0x05);
    out.push_back(static_cast<std::uint8_t>(e.address));
    out.push_back(0x03);  // interrupt
    Put16(out, kMaxPacket);
    out.push_back(static_cast<std::uint8_t>(highSpeed ? e.highSpeed : e.fullSpeed));
  }
}

}  // namespace

std::vector<std::uint8_t> FunctionFsDescriptors() {
  std::vector<std::uint8_t> out;
  Put32(out, 3);      // FUNCTIONFS_DESCRIPTORS_MAGIC_V2
  Put32(out, 0);      // the length, set below
  Put32(out, 1 | 2);  // full-speed and high-speed descriptors follow
  Put32(out, 3);
  Put32(out, 3);
  PutSet(out, false);
  PutSet(out, true);
  SetLength(out);
  return out;
}

std::vector<std::uint8_t> FunctionFsStrings() {
  std::vector<std::uint8_t> out;
  Put32(out, 2);  // FUNCTIONFS_STRINGS_MAGIC
  Put32(out, 0);  // the length, set below
  Put32(out, 1);  // strings per language
  Put32(out, 1);  // languages
  Put16(out, 0x0409);
  const char name[] = "Controller";
  out.insert(out.end(), name, name + sizeof name);  // with its NUL
  SetLength(out);
  return out;
}

bool ApplyKey(State* state, int code, bool down) {
  static constexpr struct {
    int code;
    std::uint16_t bit;
  } kKeys[] = {{BTN_A, kA},        {BTN_B, kB},           {BTN_X, kX},          {BTN_Y, kY},
               {BTN_TL, kLb},      {BTN_TR, kRb},         {BTN_SELECT, kBack},  {BTN_START, kStart},
               {BTN_MODE, kGuide}, {BTN_THUMBL, kThumbL}, {BTN_THUMBR, kThumbR}};
  for (const auto& key : kKeys) {
    if (key.code != code) continue;
    state->buttons =
        static_cast<std::uint16_t>(down ? state->buttons | key.bit : state->buttons & ~key.bit);
    return true;
  }
  return false;
}

bool ApplyAbs(State* state, int code, int value) {
  auto hat = [state, value](std::uint16_t negative, std::uint16_t positive) {
    if (value < -1 || value > 1) return false;
    std::uint16_t buttons = static_cast<std::uint16_t>(state->buttons & ~(negative | positive));
    if (value != 0)
      buttons = static_cast<std::uint16_t>(buttons | (value < 0 ? negative : positive));
    state->buttons = buttons;
    return true;
  };
  switch (code) {
    case ABS_HAT0X:
      return hat(kDpadLeft, kDpadRight);
    case ABS_HAT0Y:
      return hat(kDpadUp, kDpadDown);
    case ABS_Z:
    case ABS_RZ:
      if (value < 0 || value > 255) return false;
      (code == ABS_Z ? state->leftTrigger : state->rightTrigger) = static_cast<std::uint8_t>(value);
      return true;
    default:
      break;
  }
  std::int16_t* stick = code == ABS_X    ? &state->leftX
                        : code == ABS_Y  ? &state->leftY
                        : code == ABS_RX ? &state->rightX
                        : code == ABS_RY ? &state->rightY
                                         : nullptr;
  if (stick == nullptr || value < -32768 || value > 32767) return false;
  *stick = static_cast<std::int16_t>(value);
  return true;
}

std::array<std::uint8_t, kReportSize> InputReport(const State& state) {
  std::array<std::uint8_t, kReportSize> report{};
  report[0] = 0x00;  // a pad report: xpad drops any other type
  report[1] = kReportSize;
  report[2] = static_cast<std::uint8_t>(state.buttons & 0xff);
  report[3] = static_cast<std::uint8_t>(state.buttons >> 8);
  report[4] = state.leftTrigger;
  report[5] = state.rightTrigger;
  const std::int16_t sticks[4] = {state.leftX, static_cast<std::int16_t>(~state.leftY),
                                  state.rightX, static_cast<std::int16_t>(~state.rightY)};
  for (int i = 0; i < 4; ++i) {
    const auto raw = static_cast<std::uint16_t>(sticks[i]);
    report[6 + 2 * i] = static_cast<std::uint8_t>(raw & 0xff);
    report[7 + 2 * i] = static_cast<std::uint8_t>(raw >> 8);
  }
  return report;
}

bool IsLedCommand(const std::uint8_t* data, std::size_t size) {
  return size == 3 && data[0] == 0x01 && data[1] == 0x03;
}

std::string DescribeOutput(const std::uint8_t* data, std::size_t size) {
  std::string text = "out";
  for (std::size_t i = 0; i < size; ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, " %02x", data[i]);
    text += byte;
  }
  if (IsLedCommand(data, size)) return text + ": led " + std::to_string(data[2]);
  if (size == 8 && data[0] == 0x00 && data[1] == 0x08) {
    // Byte 3 the left (strong) motor, byte 4 the right (weak) one.
    return text + ": rumble strong " + std::to_string(data[3]) + " weak " + std::to_string(data[4]);
  }
  return text + ": unknown";
}

}  // namespace x360
