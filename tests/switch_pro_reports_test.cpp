// The Switch Pro Controller's side of hid-nintendo's probe, checked on the
// host: the driver waits for the answer to each USB command and subcommand
// by its id (a wrong one costs a timeout, then the probe), reads the
// sticks' calibration from fixed flash addresses, and the buttons and
// battery from fixed bits of every report.
#include "tests/e2e/feeder/switch_pro_reports.h"

#include <linux/input-event-codes.h>

#include <map>
#include <utility>

#include "gtest/gtest.h"
#include "tests/report_layout.h"

namespace {

// hid_field_extract of 12 bits at bit offset within bytes, as the driver
// unpacks sticks and their calibration.
int Twelve(const std::uint8_t* bytes, int offset) {
  const int value = bytes[0] | bytes[1] << 8 | bytes[2] << 16;
  return (value >> offset) & 0xfff;
}

std::vector<std::array<std::uint8_t, 64>> Answer(std::vector<std::uint8_t> output) {
  output.resize(49);
  return switch_pro::Replies(output.data(), static_cast<int>(output.size()), PadState());
}

TEST(SwitchProReportsTest, DescriptorDeclaresEveryReportTheDriverUses) {
  const Layout layout = Walk(switch_pro::ReportDescriptor());
  EXPECT_TRUE(layout.wellFormed);
  for (int id : {0x21, 0x30, 0x81}) EXPECT_EQ(layout.bits.at({0x8, id}), 63 * 8) << id;
  for (int id : {0x01, 0x10, 0x80}) EXPECT_EQ(layout.bits.at({0x9, id}), 63 * 8) << id;
}

TEST(SwitchProReportsTest, UsbCommandsAreAnsweredButTheLast) {
  for (std::uint8_t command : {0x02, 0x03}) {
    const auto replies = Answer({0x80, command});
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0][0], 0x81);
    EXPECT_EQ(replies[0][1], command);
  }
  EXPECT_TRUE(Answer({0x80, 0x04}).empty());  // "no timeout" has no answer
  EXPECT_TRUE(Answer({0x10, 0x01}).empty());  // rumble alone neither
}

TEST(SwitchProReportsTest, SubcommandsAreAnsweredByIdWithTheirData) {
  // Output 0x01: id, packet number, 8 rumble bytes, subcommand, its data.
  auto replies = Answer({0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0x02});
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0][0], 0x21);
  EXPECT_NE(replies[0][13] & 0x80, 0);  // ACK
  EXPECT_EQ(replies[0][14], 0x02);
  EXPECT_EQ(replies[0][15 + 2], 0x03);  // a Pro Controller
  EXPECT_EQ(replies[0][15 + 4], 0x98);  // the address follows

  // SPI read: the reply repeats address and size, then the bytes.
  replies = Answer({0x01, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0x3d, 0x60, 0x00, 0x00, 9});
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0][14], 0x10);
  EXPECT_EQ(std::vector<int>(replies[0].begin() + 15, replies[0].begin() + 20),
            (std::vector<int>{0x3d, 0x60, 0x00, 0x00, 9}));
  const std::uint8_t* cal = &replies[0][20];
  // Left stick: above, centre, below; each stick's minimum below its centre
  // and maximum above it, or the driver falls back to its defaults.
  EXPECT_EQ(Twelve(cal + 0, 0), 1500);
  EXPECT_EQ(Twelve(cal + 1, 4), 1500);
  EXPECT_EQ(Twelve(cal + 3, 0), 2048);
  EXPECT_EQ(Twelve(cal + 4, 4), 2048);
  EXPECT_EQ(Twelve(cal + 6, 0), 1500);
  // Right stick: centre first, then below and above.
  const auto right = switch_pro::SpiFlash(0x6046, 9);
  EXPECT_EQ(Twelve(&right[0], 0), 2048);
  EXPECT_EQ(Twelve(&right[1], 4), 2048);
  EXPECT_EQ(Twelve(&right[3], 0), 1500);
  EXPECT_EQ(Twelve(&right[6], 0), 1500);
  // No user calibration: the magic bytes are not 0xb2 0xa1.
  EXPECT_NE(switch_pro::SpiFlash(0x8010, 2)[0], 0xb2);
  // Motion scales non-zero: the driver divides by scale minus offset.
  const auto imu = switch_pro::SpiFlash(0x6020, 24);
  for (int at : {6, 8, 10, 18, 20, 22}) EXPECT_NE(imu[at] | imu[at + 1] << 8, 0) << at;

  for (std::uint8_t id : {0x03, 0x30, 0x38, 0x40, 0x48}) {
    replies = Answer({0x01, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, id, 0x01});
    ASSERT_EQ(replies.size(), 1u) << int{id};
    EXPECT_EQ(replies[0][14], id);
  }
}

TEST(SwitchProReportsTest, ButtonsSticksAndBatteryWhereTheDriverReadsThem) {
  const struct {
    int code, byte, mask;
  } keys[] = {{BTN_WEST, 3, 0x01},   {BTN_NORTH, 3, 0x02}, {BTN_SOUTH, 3, 0x04},
              {BTN_EAST, 3, 0x08},   {BTN_TR, 3, 0x40},    {BTN_TR2, 3, 0x80},
              {BTN_SELECT, 4, 0x01}, {BTN_START, 4, 0x02}, {BTN_THUMBR, 4, 0x04},
              {BTN_THUMBL, 4, 0x08}, {BTN_MODE, 4, 0x10},  {BTN_TL, 5, 0x40},
              {BTN_TL2, 5, 0x80}};
  for (const auto& key : keys) {
    PadState state;
    ASSERT_TRUE(pad_state::ApplyKey(&state, key.code, true));
    const auto r = switch_pro::InputReport(state);
    EXPECT_EQ(r[0], 0x30);
    for (int byte : {3, 4, 5}) EXPECT_EQ(r[byte], byte == key.byte ? key.mask : 0) << key.code;
  }
  PadState state;
  ASSERT_TRUE(pad_state::ApplyAbs(&state, ABS_HAT0X, -1));
  ASSERT_TRUE(pad_state::ApplyAbs(&state, ABS_HAT0Y, 1));
  ASSERT_TRUE(pad_state::ApplyAbs(&state, ABS_RZ, 255));  // digital ZR
  auto r = switch_pro::InputReport(state);
  EXPECT_EQ(r[5], 0x08 | 0x01);  // left and down
  EXPECT_EQ(r[3], 0x80);
  // Sticks: 12 bits each, up positive on the pad (the driver negates Y).
  const struct {
    int code, value, byte, offset, bits;
  } sticks[] = {{ABS_X, 128, 6, 0, 2048}, {ABS_X, 255, 6, 0, 3548}, {ABS_X, 0, 6, 0, 548},
                {ABS_Y, 0, 7, 4, 3548},   {ABS_Y, 255, 7, 4, 548},  {ABS_RX, 255, 9, 0, 3548},
                {ABS_RY, 0, 10, 4, 3548}};
  for (const auto& stick : sticks) {
    state = PadState();
    ASSERT_TRUE(pad_state::ApplyAbs(&state, stick.code, stick.value));
    r = switch_pro::InputReport(state);
    EXPECT_EQ(Twelve(&r[stick.byte], stick.offset), stick.bits) << stick.code << " " << stick.value;
  }
  // Byte 2: level (0-4) in bits 5-7, charging bit 4, cable bit 0.
  const struct {
    int tenths;
    bool cable;
    int byte;
  } batteries[] = {
      {5, false, 2 << 5}, {1, false, 0}, {7, true, 3 << 5 | 0x11}, {11, true, 4 << 5 | 0x01}};
  for (const auto& battery : batteries) {
    state.batteryLevel = battery.tenths;
    state.cable = battery.cable;
    EXPECT_EQ(switch_pro::InputReport(state)[2], battery.byte) << battery.tenths;
  }
}

TEST(SwitchProReportsTest, OutputsAreNamed) {
  const std::uint8_t usb[] = {0x80, 0x02};
  EXPECT_EQ(switch_pro::DescribeOutput(usb, 2), "usb command 0x02");
  std::uint8_t spi[49] = {0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0x20, 0x60, 0, 0, 24};
  EXPECT_EQ(switch_pro::DescribeOutput(spi, 49), "subcommand 0x10 spi read 0x00006020 24");
  spi[10] = 0x30;
  spi[11] = 0x01;
  EXPECT_EQ(switch_pro::DescribeOutput(spi, 49), "subcommand 0x30 0x01");
  spi[10] = 0x02;  // device information: no data
  EXPECT_EQ(switch_pro::DescribeOutput(spi, 11), "subcommand 0x02");
  const std::uint8_t rumble[10] = {0x10, 0x01, 0x00, 0xc9, 0x40, 0x72, 0x00, 0x01, 0x40, 0x40};
  EXPECT_EQ(switch_pro::DescribeOutput(rumble, 10), "rumble 00 c9 40 72 00 01 40 40");
}

}  // namespace
