// The DualSense's bytes as the feeder sends them, checked on the host:
// hid-playstation refuses a feature reply of the wrong size and reads the
// buttons and the battery from fixed offsets, whatever the descriptor says.
#include "tests/e2e/feeder/dualsense_reports.h"

#include <linux/input-event-codes.h>

#include <map>
#include <utility>

#include "gtest/gtest.h"
#include "tests/report_layout.h"

namespace {

const std::array<std::uint8_t, 6> kMac = {0x00, 0x1f, 0xe2, 0x12, 0x34, 0x57};

TEST(DualsenseReportsTest, DescriptorDeclaresEachReportAtTheSizeSent) {
  const Layout layout = Walk(dualsense::ReportDescriptor());
  EXPECT_TRUE(layout.wellFormed);
  const std::map<std::pair<int, int>, int> sizes = {{{0x8, 0x01}, dualsense::kInputSize},
                                                    {{0x9, 0x02}, dualsense::kOutputSize},
                                                    {{0xb, 0x05}, dualsense::kCalibrationSize},
                                                    {{0xb, 0x09}, dualsense::kPairingSize},
                                                    {{0xb, 0x20}, dualsense::kFirmwareSize}};
  EXPECT_EQ(layout.bits.size(), sizes.size());
  for (const auto& [report, bytes] : sizes) {
    ASSERT_TRUE(layout.bits.count(report)) << report.first << " " << report.second;
    EXPECT_EQ(layout.bits.at(report), (bytes - 1) * 8) << report.first << " " << report.second;
  }
  // The buttons start after six axes, the counter and the 4-bit hat.
  EXPECT_EQ(layout.firstButtonBit, 7 * 8 + 4);
  for (std::uint8_t id : {0x05, 0x09, 0x20}) {
    const std::vector<std::uint8_t> reply = dualsense::FeatureReport(id, kMac);
    ASSERT_FALSE(reply.empty()) << int{id};
    EXPECT_EQ(static_cast<int>(reply.size() - 1) * 8, layout.bits.at({0xb, id})) << int{id};
    EXPECT_EQ(reply[0], id);
  }
  EXPECT_TRUE(dualsense::FeatureReport(0x81, kMac).empty());
}

TEST(DualsenseReportsTest, ButtonsAxesAndBatteryWhereHidPlaystationReadsThem) {
  // Byte and mask of each key, from the driver's DS_BUTTONS* masks.
  const struct {
    int code, byte, mask;
  } keys[] = {{BTN_WEST, 8, 0x10},  {BTN_SOUTH, 8, 0x20},  {BTN_EAST, 8, 0x40},
              {BTN_NORTH, 8, 0x80}, {BTN_TL, 9, 0x01},     {BTN_TR, 9, 0x02},
              {BTN_TL2, 9, 0x04},   {BTN_TR2, 9, 0x08},    {BTN_SELECT, 9, 0x10},
              {BTN_START, 9, 0x20}, {BTN_THUMBL, 9, 0x40}, {BTN_THUMBR, 9, 0x80},
              {BTN_MODE, 10, 0x01}};
  for (const auto& key : keys) {
    PadState state;
    ASSERT_TRUE(pad_state::ApplyKey(&state, key.code, true));
    const auto r = dualsense::InputReport(state);
    EXPECT_EQ(r[key.byte], key.byte == 8 ? key.mask | 0x08 : key.mask) << key.code;
    for (int other : {8, 9, 10}) {
      if (other != key.byte) {
        EXPECT_EQ(r[other], other == 8 ? 0x08 : 0) << key.code;
      }
    }
  }
  PadState state;
  state.buttons = 1u << kExtraButton;
  EXPECT_EQ(dualsense::InputReport(state)[10], 0x02);
  // Sticks 1-4, triggers 5 and 6, the hat in byte 8's low bits.
  const struct {
    int code, value, byte;
  } axes[] = {{ABS_X, 1, 1},  {ABS_Y, 2, 2}, {ABS_RX, 3, 3},
              {ABS_RY, 4, 4}, {ABS_Z, 5, 5}, {ABS_RZ, 6, 6}};
  state = PadState();
  for (const auto& axis : axes) ASSERT_TRUE(pad_state::ApplyAbs(&state, axis.code, axis.value));
  ASSERT_TRUE(pad_state::ApplyAbs(&state, ABS_HAT0Y, 1));
  auto r = dualsense::InputReport(state);
  for (const auto& axis : axes) EXPECT_EQ(r[axis.byte], axis.value) << axis.code;
  EXPECT_EQ(r[8], 4);  // south
  EXPECT_EQ(r[33] & 0x80, 0x80);
  EXPECT_EQ(r[37] & 0x80, 0x80);
  // Byte 53: the level, then 0 discharging, 1 charging, 2 full.
  const struct {
    int level;
    bool cable;
    int byte;
  } batteries[] = {{5, false, 0x05}, {1, false, 0x01}, {7, true, 0x17}, {11, true, 0x2a}};
  for (const auto& battery : batteries) {
    state.batteryLevel = battery.level;
    state.cable = battery.cable;
    EXPECT_EQ(dualsense::InputReport(state)[53], battery.byte) << battery.level;
  }
}

TEST(DualsenseReportsTest, FeatureRepliesHidPlaystationTrusts) {
  const auto pairing = dualsense::FeatureReport(0x09, kMac);
  EXPECT_EQ(std::vector<std::uint8_t>(pairing.begin(), pairing.begin() + 7),
            (std::vector<std::uint8_t>{0x09, 0x57, 0x34, 0x12, 0xe2, 0x1f, 0x00}));
  const auto r = dualsense::FeatureReport(0x05, kMac);
  auto s16 = [&r](int at) { return static_cast<std::int16_t>(r[at] | r[at + 1] << 8); };
  for (int at : {7, 11, 15, 23, 27, 31}) EXPECT_NE(s16(at), s16(at + 2)) << at;
  EXPECT_NE(s16(19) + s16(21), 0);
  // Update version 0 (bytes 44-45): rumble through byte 1's compatible bit.
  const auto firmware = dualsense::FeatureReport(0x20, kMac);
  EXPECT_EQ(firmware[44] | firmware[45] << 8, 0);
}

TEST(DualsenseReportsTest, OutputReportsGiveTheMotorAndLightBytes) {
  std::uint8_t report[dualsense::kOutputSize] = {0x02, 0x03, 0x04, 0x11, 0xff};
  report[44] = 0x04;
  report[47] = 0x80;
  EXPECT_EQ(dualsense::DescribeOutput(report, sizeof report),
            "output 0x02 flags 0x03,0x04 strong 255 weak 17 led 0,0,128 players 0x04");
  EXPECT_EQ(dualsense::DescribeOutput(report, 10), "output (not a report 0x02)");
  report[0] = 0x05;
  EXPECT_EQ(dualsense::DescribeOutput(report, sizeof report), "output (not a report 0x02)");
}

}  // namespace

namespace {

// The sensor clock and the motion words where hid-playstation reads them:
// the clock's steps, divided by 3 as the driver does, are the steps sent.
TEST(DualsenseReportsTest, SensorClockAndMotionWhereHidPlaystationReadsThem) {
  PadState state;
  state.gyro[2] = 7;
  auto r = dualsense::InputReport(state);
  EXPECT_EQ(static_cast<std::int16_t>(r[20] | r[21] << 8), 7);
  EXPECT_EQ(static_cast<std::int16_t>(r[24] | r[25] << 8), 8192);  // 1 g on y
  auto clockOf = [](const std::array<std::uint8_t, dualsense::kInputSize>& report) {
    return static_cast<std::uint32_t>(report[28] | report[29] << 8 | report[30] << 16 |
                                      static_cast<std::uint32_t>(report[31]) << 24);
  };
  std::uint32_t previous = clockOf(r);
  for (int i = 1; i < 100; ++i) {
    const std::uint64_t step = i % 2 == 1 ? 1050 : 950;
    state.sensorUs += step;
    r = dualsense::InputReport(state);
    EXPECT_EQ((clockOf(r) - previous + 1) / 3, step) << i;
    previous = clockOf(r);
  }
}

// The touch points where hid-playstation reads them: two, each a contact
// byte (bit 7: no finger, the finger's number below it) and 12-bit x and y.
TEST(DualsenseReportsTest, TouchPointsWhereHidPlaystationReadsThem) {
  PadState state;
  state.fingers[1] = {true, 1919, 1079};
  const auto r = dualsense::InputReport(state);
  const struct {
    int at;
    bool active;
    int id, x, y;
  } points[] = {{33, false, 0, 0, 0}, {37, true, 1, 1919, 1079}};
  for (const auto& point : points) {
    EXPECT_EQ(!(r[point.at] & 0x80), point.active) << point.at;
    EXPECT_EQ(r[point.at] & 0x7f, point.id) << point.at;
    EXPECT_EQ(r[point.at + 1] | (r[point.at + 2] & 0xf) << 8, point.x) << point.at;
    EXPECT_EQ((r[point.at + 2] & 0xf0) >> 4 | r[point.at + 3] << 4, point.y) << point.at;
  }
}

}  // namespace
