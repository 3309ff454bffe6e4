#include "tests/e2e/feeder/ds4_reports.h"

#include <cstdio>

namespace ds4 {

std::vector<std::uint8_t> ReportDescriptor() {
  // A vendor-defined feature report of `bytes` data bytes.
  auto feature = [](std::uint8_t id, std::uint8_t usage, int bytes) {
    return std::vector<std::uint8_t>{0x85, id,  0x09, usage, 0x95, static_cast<std::uint8_t>(bytes),
                                     0xb1, 0x02};
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
      0x15, 0x00,        //   Logical Minimum (0)
      0x26, 0xff, 0x00,  //   Logical Maximum (255)
      0x75, 0x08,        //   Report Size (8)
      0x95, 0x04,        //   Report Count (4)
      0x81, 0x02,        //   Input (Data,Var,Abs)
  };
  // The hat, then the fourteen buttons.
  const std::vector<std::uint8_t> buttons = pad_state::HatAndButtonItems(14);
  d.insert(d.end(), buttons.begin(), buttons.end());
  d.insert(d.end(), {
                        0x06, 0x00, 0xff,  //   Usage Page (Vendor 0xff00)
                        0x09, 0x20,        //   Usage (0x20)     the report counter
                        0x75, 0x06,        //   Report Size (6)
                        0x95, 0x01,        //   Report Count (1)
                        0x15, 0x00,        //   Logical Minimum (0)
                        0x25, 0x7f,        //   Logical Maximum (127)
                        0x81, 0x02,        //   Input (Data,Var,Abs)
                        0x05, 0x01,        //   Usage Page (Generic Desktop)
                        0x09, 0x33,        //   Usage (Rx)       L2
                        0x09, 0x34,        //   Usage (Ry)       R2
                        0x15, 0x00,        //   Logical Minimum (0)
                        0x26, 0xff, 0x00,  //   Logical Maximum (255)
                        0x75, 0x08,        //   Report Size (8)
                        0x95, 0x02,        //   Report Count (2)
                        0x81, 0x02,        //   Input (Data,Var,Abs)
                        0x06, 0x00, 0xff,  //   Usage Page (Vendor 0xff00)
                        0x09, 0x21,        //   Usage (0x21)     motion, touchpad, battery
                        0x95, 0x36,        //   Report Count (54)
                        0x81, 0x02,        //   Input (Data,Var,Abs)
                        0x85, 0x05,        //   Report ID (5)
                        0x09, 0x22,        //   Usage (0x22)     motors and light bar
                        0x95, 0x1f,        //   Report Count (31)
                        0x91, 0x02,        //   Output (Data,Var,Abs)
                    });
  for (const auto& f :
       {feature(0x02, 0x24, kCalibrationSize - 1), feature(0x81, 0x25, kMacSize - 1),
        feature(0x12, 0x26, kSerialSize - 1), feature(0xa3, 0x27, kFirmwareSize - 1)}) {
    d.insert(d.end(), f.begin(), f.end());
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
  // The hat in bits 0-3 of byte 5, the fourteen buttons after it, and the
  // counter above the last two in byte 7.
  const std::uint32_t bits =
      (static_cast<std::uint32_t>(state.buttons) << 4) |
      static_cast<std::uint32_t>(pad_state::Hat(state.hatX, state.hatY) & 0x0f);
  r[5] = static_cast<std::uint8_t>(bits & 0xff);
  r[6] = static_cast<std::uint8_t>((bits >> 8) & 0xff);
  r[7] = static_cast<std::uint8_t>(((bits >> 16) & 0x03) | ((state.counter & 0x3f) << 2));
  r[8] = state.l2;
  r[9] = state.r2;
  // The sensor clock in units of 16/3 us (hid-sony counts each step as
  // 16/3 us and follows the 16 bits round), then the gyroscope's and the
  // accelerometer's words, x, y and z each.
  const auto clock = static_cast<std::uint16_t>(state.sensorUs * 3 / 16);
  r[10] = static_cast<std::uint8_t>(clock & 0xff);
  r[11] = static_cast<std::uint8_t>(clock >> 8);
  pad_state::PutMotion(state, &r[13]);
  r[30] = static_cast<std::uint8_t>((state.batteryLevel & 0x0f) | (state.cable ? 0x10 : 0));
  // One packet of touch points (its count, then a timestamp hid-sony
  // skips): a touchpad that is read on every report, fingers down or not.
  r[33] = 1;
  pad_state::PutTouch(state, &r[35]);
  return r;
}

std::vector<std::uint8_t> FeatureReport(std::uint8_t id, const std::array<std::uint8_t, 6>& mac) {
  std::vector<std::uint8_t> r;
  switch (id) {
    case 0x02:  // the motion sensors' calibration
      r.assign(kCalibrationSize, 0);
      pad_state::PutCalibration(&r);
      break;
    case 0x81:
    case 0x12:
      // The address, least significant byte first (0x12 goes on with the
      // paired host's, left zero).
      r.assign(id == 0x81 ? kMacSize : kSerialSize, 0);
      pad_state::PutAddress(&r, mac);
      break;
    case 0xa3:
      // Firmware: a build date and time, then version numbers.
      r.assign(kFirmwareSize, 0);
      std::snprintf(reinterpret_cast<char*>(&r[1]), 16, "Jan  1 2020");
      std::snprintf(reinterpret_cast<char*>(&r[17]), 16, "00:00:00");
      pad_state::PutLe16(&r, 41, 0x0100);  // hardware
      pad_state::PutLe16(&r, 45, 0x0a01);  // firmware
      break;
    default:
      return {};
  }
  r[0] = id;
  return r;
}

Output ParseOutput(const std::uint8_t* data, int size) {
  Output out;
  if (size < 6 || data[0] != 0x05) return out;
  out.valid = true;
  out.flags = data[1];
  out.weak = data[4];
  out.strong = data[5];
  if (size >= 9) {
    out.red = data[6];
    out.green = data[7];
    out.blue = data[8];
  }
  return out;
}

std::string Describe(const Output& output) {
  if (!output.valid) return "output (not a report 0x05)";
  char text[96];
  std::snprintf(text, sizeof text, "output 0x05 flags 0x%02x strong %d weak %d led %d,%d,%d",
                output.flags, output.strong, output.weak, output.red, output.green, output.blue);
  return text;
}

}  // namespace ds4
