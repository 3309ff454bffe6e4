#include "tests/e2e/feeder/dualsense_reports.h"

#include <cstdio>

namespace dualsense {

std::vector<std::uint8_t> ReportDescriptor() {
  // A vendor-defined report of `bytes` data bytes: 0xb1 feature, 0x91 output.
  auto report = [](std::uint8_t main, std::uint8_t id, std::uint8_t usage, int bytes) {
    return std::vector<std::uint8_t>{0x85, id,  0x09, usage, 0x95, static_cast<std::uint8_t>(bytes),
                                     main, 0x02};
  };
  std::vector<std::uint8_t> d = {
      0x05, 0x01,        // Usage Page (Generic Desktop)
      0x09, 0x05,        // Usage (Game Pad)
      0xa1, 0x01,        // Collection (Application)
      0x85, 0x01,        //   Report ID (1)
      0x09, 0x30,        //   Usage (X)        left stick
      0x09, 0x31,        //   Usage (Y)
      0x09, 0x32,        //   Usage (Z)        right stick
      0x09, 0x35,        //   Usage (Rz)
      0x09, 0x33,        //   Usage (Rx)       L2
      0x09, 0x34,        //   Usage (Ry)       R2
      0x15, 0x00,        //   Logical Minimum (0)
      0x26, 0xff, 0x00,  //   Logical Maximum (255)
      0x75, 0x08,        //   Report Size (8)
      0x95, 0x06,        //   Report Count (6)
      0x81, 0x02,        //   Input (Data,Var,Abs)
      0x06, 0x00, 0xff,  //   Usage Page (Vendor 0xff00)
      0x09, 0x20,        //   Usage (0x20)     the counter
      0x95, 0x01,        //   Report Count (1)
      0x81, 0x02,        //   Input (Data,Var,Abs)
  };
  // The hat, then fifteen buttons: the DualShock 4's and the microphone's.
  const std::vector<std::uint8_t> buttons = pad_state::HatAndButtonItems(15);
  d.insert(d.end(), buttons.begin(), buttons.end());
  d.insert(d.end(), {
                        0x06, 0x00, 0xff,  //   Usage Page (Vendor 0xff00)
                        0x09, 0x21,        //   Usage (0x21)     the rest of the buttons' bytes
                        0x95, 0x0d,        //   Report Count (13)
                        0x81, 0x02,        //   Input (Data,Var,Abs)
                        0x09, 0x22,        //   Usage (0x22)     motion, touchpad, status
                        0x75, 0x08,        //   Report Size (8)
                        0x95, 0x34,        //   Report Count (52)
                        0x81, 0x02,        //   Input (Data,Var,Abs)
                    });
  for (const auto& r :
       {report(0x91, 0x02, 0x23, kOutputSize - 1), report(0xb1, 0x05, 0x24, kCalibrationSize - 1),
        report(0xb1, 0x09, 0x25, kPairingSize - 1), report(0xb1, 0x20, 0x26, kFirmwareSize - 1)}) {
    d.insert(d.end(), r.begin(), r.end());
  }
  d.push_back(0xc0);  // End Collection
  return d;
}

std::array<std::uint8_t, kInputSize> InputReport(const PadState& state) {
  std::array<std::uint8_t, kInputSize> r{};
  r[0] = 0x01;
  r[1] = state.leftX;
  r[2] = state.leftY;
  r[3] = state.rightX;
  r[4] = state.rightY;
  r[5] = state.l2;
  r[6] = state.r2;
  r[7] = state.counter;
  // The hat in bits 0-3 of byte 8, the buttons from bit 4 on, as on the
  // DualShock 4 but without its counter.
  const std::uint32_t bits = (static_cast<std::uint32_t>(state.buttons) << 4) |
                             static_cast<std::uint32_t>(pad_state::Hat(state.hatX, state.hatY));
  r[8] = static_cast<std::uint8_t>(bits & 0xff);
  r[9] = static_cast<std::uint8_t>((bits >> 8) & 0xff);
  r[10] = static_cast<std::uint8_t>((bits >> 16) & 0x03);
  // The gyroscope's and the accelerometer's words, then the sensor clock
  // in units of 1/3 us (hid-playstation divides each step by 3).
  pad_state::PutMotion(state, &r[16]);
  const auto clock = static_cast<std::uint32_t>(state.sensorUs * 3);
  for (int i = 0; i < 4; ++i) r[28 + i] = static_cast<std::uint8_t>(clock >> (8 * i));
  pad_state::PutTouch(state, &r[33]);
  const int charge = !state.cable ? 0 : state.batteryLevel >= 11 ? 2 : 1;
  const int level = state.batteryLevel > 10 ? 10 : state.batteryLevel;
  r[53] = static_cast<std::uint8_t>((level & 0x0f) | (charge << 4));
  return r;
}

std::vector<std::uint8_t> FeatureReport(std::uint8_t id, const std::array<std::uint8_t, 6>& mac) {
  std::vector<std::uint8_t> r;
  switch (id) {
    case 0x05:  // the motion sensors' calibration
      r.assign(kCalibrationSize, 0);
      pad_state::PutCalibration(&r);
      break;
    case 0x09:
      // The address, least significant byte first, in bytes 1 to 6.
      r.assign(kPairingSize, 0);
      pad_state::PutAddress(&r, mac);
      break;
    case 0x20:
      // Firmware: a build date and time, then the hardware and firmware
      // versions at 24 and 28 and the update version at 44, left at 0: the
      // driver then drives the motors the way the first firmware took.
      r.assign(kFirmwareSize, 0);
      std::snprintf(reinterpret_cast<char*>(&r[1]), 12, "Jan  1 2021");
      std::snprintf(reinterpret_cast<char*>(&r[12]), 9, "00:00:00");
      r[24] = 0x15;
      r[25] = 0x03;
      r[28] = 0x26;
      r[29] = 0x01;
      break;
    default:
      return {};
  }
  r[0] = id;
  return r;
}

std::string DescribeOutput(const std::uint8_t* data, int size) {
  // Byte 1 and 2 say which fields count; the motors are bytes 3 (right,
  // weak) and 4 (left, strong), the player lights 44, the light bar 45-47.
  if (size < kOutputSize || data[0] != 0x02) return "output (not a report 0x02)";
  char text[120];
  std::snprintf(text, sizeof text,
                "output 0x02 flags 0x%02x,0x%02x strong %d weak %d led %d,%d,%d players 0x%02x",
                data[1], data[2], data[4], data[3], data[45], data[46], data[47], data[44]);
  return text;
}

}  // namespace dualsense
