#include "tests/e2e/feeder/switch_pro_reports.h"

#include <cstdio>

namespace switch_pro {

namespace {

// The pad's Bluetooth address, as device information gives it.
constexpr std::uint8_t kMac[6] = {0x98, 0xb6, 0xe9, 0x12, 0x34, 0x58};

// Stick calibration: centre and travel either way, in the sticks' 12 bits.
constexpr int kCentre = 2048;
constexpr int kTravel = 1500;

// Two 12-bit numbers in three bytes, as the pad packs sticks and their
// calibration.
void PutPair(std::uint8_t* out, int first, int second) {
  out[0] = static_cast<std::uint8_t>(first & 0xff);
  out[1] = static_cast<std::uint8_t>(((first >> 8) & 0x0f) | ((second & 0x0f) << 4));
  out[2] = static_cast<std::uint8_t>((second >> 4) & 0xff);
}

// A stick byte (0 to 255, resting at 128) as the pad's 12 bits, so that the
// driver's calibration gives full travel at both ends.
int StickBits(std::uint8_t value, bool up_positive) {
  int offset = value >= 128 ? (value - 128) * kTravel / 127 : -(128 - value) * kTravel / 128;
  if (up_positive) offset = -offset;
  return kCentre + offset;
}

bool Held(const PadState& state, Button button) { return (state.buttons >> button) & 1u; }

// Bytes 1 to 12 of every input report: timer, battery, buttons, sticks.
void PutHeader(const PadState& state, std::uint8_t* r) {
  r[1] = state.counter;
  const int tenths = state.batteryLevel;
  const int level = tenths >= 9 ? 4 : tenths >= 7 ? 3 : tenths >= 4 ? 2 : tenths >= 2 ? 1 : 0;
  const bool charging = state.cable && tenths < 11;
  r[2] = static_cast<std::uint8_t>(level << 5 | (charging ? 0x10 : 0) | (state.cable ? 0x01 : 0));
  r[3] = static_cast<std::uint8_t>(Held(state, kWest) * 0x01 | Held(state, kNorth) * 0x02 |
                                   Held(state, kSouth) * 0x04 | Held(state, kEast) * 0x08 |
                                   Held(state, kTR) * 0x40 |
                                   (Held(state, kTR2) || state.r2 > 127) * 0x80);
  r[4] = static_cast<std::uint8_t>(Held(state, kSelect) * 0x01 | Held(state, kStart) * 0x02 |
                                   Held(state, kThumbR) * 0x04 | Held(state, kThumbL) * 0x08 |
                                   Held(state, kMode) * 0x10 | Held(state, kExtraButton) * 0x20);
  r[5] = static_cast<std::uint8_t>((state.hatY > 0) * 0x01 | (state.hatY < 0) * 0x02 |
                                   (state.hatX > 0) * 0x04 | (state.hatX < 0) * 0x08 |
                                   Held(state, kTL) * 0x40 |
                                   (Held(state, kTL2) || state.l2 > 127) * 0x80);
  PutPair(&r[6], StickBits(state.leftX, false), StickBits(state.leftY, true));
  PutPair(&r[9], StickBits(state.rightX, false), StickBits(state.rightY, true));
}

std::uint32_t Le32(const std::uint8_t* data) {
  return static_cast<std::uint32_t>(data[0] | data[1] << 8 | data[2] << 16 |
                                    static_cast<std::uint32_t>(data[3]) << 24);
}

}  // namespace

std::vector<std::uint8_t> ReportDescriptor() {
  // Vendor-defined reports of 63 data bytes: 0x81 input, 0x91 output.
  auto report = [](std::uint8_t main, std::uint8_t id) {
    return std::vector<std::uint8_t>{0x85, id, 0x09, id, 0x95, 0x3f, main, 0x02};
  };
  std::vector<std::uint8_t> d = {
      0x05, 0x01,        // Usage Page (Generic Desktop)
      0x09, 0x05,        // Usage (Game Pad)
      0xa1, 0x01,        // Collection (Application)
      0x06, 0x01, 0xff,  //   Usage Page (Vendor 0xff01)
      0x15, 0x00,        //   Logical Minimum (0)
      0x26, 0xff, 0x00,  //   Logical Maximum (255)
      0x75, 0x08,        //   Report Size (8)
  };
  for (const auto& r : {report(0x81, 0x21), report(0x81, 0x30), report(0x81, 0x81),
                        report(0x91, 0x01), report(0x91, 0x10), report(0x91, 0x80)}) {
    d.insert(d.end(), r.begin(), r.end());
  }
  d.push_back(0xc0);  // End Collection
  return d;
}

std::array<std::uint8_t, kInputSize> InputReport(const PadState& state) {
  std::array<std::uint8_t, kInputSize> r{};
  r[0] = 0x30;
  PutHeader(state, r.data());
  // Three motion samples (bytes 13 to 48), a pad lying still: 1 g on z.
  for (int sample = 0; sample < 3; ++sample) r[13 + 12 * sample + 5] = 0x10;
  return r;
}

std::vector<std::uint8_t> SpiFlash(std::uint32_t address, int size) {
  std::vector<std::uint8_t> flash(static_cast<std::size_t>(size > 0 ? size : 0), 0xff);
  std::vector<std::uint8_t> data;
  if (address == 0x603d || address == 0x6046) {
    // Factory stick calibration, nine bytes, x and y in each pair: the left
    // stick's travel above, centre, travel below; the right stick's centre
    // first.
    data.assign(9, 0);
    const bool left = address == 0x603d;
    PutPair(&data[0], left ? kTravel : kCentre, left ? kTravel : kCentre);
    PutPair(&data[3], left ? kCentre : kTravel, left ? kCentre : kTravel);
    PutPair(&data[6], kTravel, kTravel);
  } else if (address == 0x6020) {
    // Factory motion calibration: accelerometer offsets and scales, then
    // the gyro's.
    data.assign(24, 0);
    for (int axis = 0; axis < 3; ++axis) {
      pad_state::PutLe16(&data, 6 + 2 * static_cast<std::size_t>(axis), 16384);
      pad_state::PutLe16(&data, 18 + 2 * static_cast<std::size_t>(axis), 13371);
    }
  }
  for (std::size_t i = 0; i < data.size() && i < flash.size(); ++i) flash[i] = data[i];
  return flash;
}

std::vector<std::array<std::uint8_t, kInputSize>> Replies(const std::uint8_t* data, int size,
                                                          const PadState& state) {
  std::array<std::uint8_t, kInputSize> r{};
  if (size >= 2 && data[0] == 0x80) {
    // USB commands: the handshake and the baud rate are answered; "no
    // timeout" (0x04) is not.
    if (data[1] != 0x02 && data[1] != 0x03) return {};
    r[0] = 0x81;
    r[1] = data[1];
    return {r};
  }
  if (size < 11 || data[0] != 0x01) return {};
  const std::uint8_t id = data[10];
  r[0] = 0x21;
  PutHeader(state, r.data());
  r[13] = 0x80;  // ACK
  r[14] = id;
  std::uint8_t* reply = &r[15];
  if (id == 0x02) {
    // Device information: firmware 3.72, a Pro Controller (type 3), its
    // address.
    r[13] = 0x82;
    reply[0] = 0x03;
    reply[1] = 0x48;
    reply[2] = 0x03;
    reply[3] = 0x02;
    for (int i = 0; i < 6; ++i) reply[4 + i] = kMac[i];
    reply[10] = 0x01;
    reply[11] = 0x01;
  } else if (id == 0x10 && size >= 16) {
    // SPI flash read: the address and size asked, then the bytes.
    r[13] = 0x90;
    const int length = data[15] > 29 ? 29 : data[15];
    for (int i = 0; i < 5; ++i) reply[i] = data[11 + i];
    const std::vector<std::uint8_t> bytes = SpiFlash(Le32(&data[11]), length);
    for (std::size_t i = 0; i < bytes.size(); ++i) reply[5 + i] = bytes[i];
  }
  return {r};
}

std::string DescribeOutput(const std::uint8_t* data, int size) {
  char text[96];
  if (size >= 2 && data[0] == 0x80) {
    std::snprintf(text, sizeof text, "usb command 0x%02x", data[1]);
  } else if (size >= 16 && data[0] == 0x01 && data[10] == 0x10) {
    std::snprintf(text, sizeof text, "subcommand 0x10 spi read 0x%08x %d", Le32(&data[11]),
                  data[15]);
  } else if (size >= 12 && data[0] == 0x01) {
    std::snprintf(text, sizeof text, "subcommand 0x%02x 0x%02x", data[10], data[11]);
  } else if (size == 11 && data[0] == 0x01) {
    std::snprintf(text, sizeof text, "subcommand 0x%02x", data[10]);
  } else if (size >= 10 && (data[0] == 0x10)) {
    std::snprintf(text, sizeof text, "rumble %02x %02x %02x %02x %02x %02x %02x %02x", data[2],
                  data[3], data[4], data[5], data[6], data[7], data[8], data[9]);
  } else {
    std::snprintf(text, sizeof text, "output 0x%02x (%d bytes)", size > 0 ? data[0] : 0, size);
  }
  return text;
}

}  // namespace switch_pro
