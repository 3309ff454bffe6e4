// The DualShock 4's bytes as the feeder sends them, checked on the host: a
// report of the wrong length is dropped by hid-sony without a word, and a
// button in the wrong bit comes out as another button, faults that would
// otherwise cost a whole guest run to find.
#include "tests/e2e/feeder/ds4_reports.h"

#include <linux/input-event-codes.h>

#include <map>
#include <utility>

#include "gtest/gtest.h"
#include "tests/report_layout.h"

namespace {

const std::array<std::uint8_t, 6> kMac = {0x00, 0x1f, 0xe2, 0x12, 0x34, 0x56};

TEST(Ds4ReportsTest, DescriptorDeclaresEachReportAtTheSizeSent) {
  const Layout layout = Walk(ds4::ReportDescriptor());
  EXPECT_TRUE(layout.wellFormed);
  // The kernel counts without the report id byte.
  const std::map<std::pair<int, int>, int> sizes = {
      {{0x8, 0x01}, ds4::kInputSize},       {{0x9, 0x05}, ds4::kOutputSize},
      {{0xb, 0x02}, ds4::kCalibrationSize}, {{0xb, 0x81}, ds4::kMacSize},
      {{0xb, 0x12}, ds4::kSerialSize},      {{0xb, 0xa3}, ds4::kFirmwareSize}};
  EXPECT_EQ(layout.bits.size(), sizes.size());
  for (const auto& [report, bytes] : sizes) {
    ASSERT_TRUE(layout.bits.count(report)) << report.first << " " << report.second;
    EXPECT_EQ(layout.bits.at(report), (bytes - 1) * 8) << report.first << " " << report.second;
  }
  // Button 1 right after the four stick bytes and the 4-bit hat.
  EXPECT_EQ(layout.firstButtonBit, 4 * 8 + 4);
  // Each feature reply is as long as the descriptor says, id first.
  for (std::uint8_t id : {0x02, 0x81, 0x12, 0xa3}) {
    const std::vector<std::uint8_t> reply = ds4::FeatureReport(id, kMac);
    ASSERT_FALSE(reply.empty()) << int{id};
    EXPECT_EQ(static_cast<int>(reply.size() - 1) * 8, layout.bits.at({0xb, id})) << int{id};
    EXPECT_EQ(reply[0], id);
  }
  EXPECT_TRUE(ds4::FeatureReport(0x42, kMac).empty());
}

TEST(Ds4ReportsTest, EvdevKeysLandInTheBitsHidSonyMapsBackToThem) {
  // Bit of the report's button field (after the hat) for each key.
  const std::pair<int, int> keys[] = {
      {BTN_WEST, 0},    {BTN_SOUTH, 1},   {BTN_EAST, 2}, {BTN_NORTH, 3},  {BTN_TL, 4},
      {BTN_TR, 5},      {BTN_TL2, 6},     {BTN_TR2, 7},  {BTN_SELECT, 8}, {BTN_START, 9},
      {BTN_THUMBL, 10}, {BTN_THUMBR, 11}, {BTN_MODE, 12}};
  for (const auto& [code, bit] : keys) {
    PadState state;
    ASSERT_TRUE(pad_state::ApplyKey(&state, code, true)) << code;
    const auto r = ds4::InputReport(state);
    const std::uint32_t field = (r[5] | r[6] << 8 | (r[7] & 0x03) << 16) >> 4;
    EXPECT_EQ(field, 1u << bit) << code;
    EXPECT_EQ(r[5] & 0x0f, kHatReleased) << code;
    ASSERT_TRUE(pad_state::ApplyKey(&state, code, false));
    EXPECT_EQ(state.buttons, 0) << code;
  }
  PadState state;
  EXPECT_FALSE(pad_state::ApplyKey(&state, BTN_TRIGGER, true));
  EXPECT_FALSE(pad_state::ApplyKey(&state, -1, true));
}

TEST(Ds4ReportsTest, AxesHatCounterAndBatteryBytes) {
  PadState state;
  auto r = ds4::InputReport(state);
  EXPECT_EQ(r[0], 0x01);
  EXPECT_EQ(r[1], 128);
  EXPECT_EQ(r[5], 0x08);  // hat released, nothing held
  EXPECT_EQ(r[30], 10);   // full, no cable
  EXPECT_EQ(r[35] & 0x80, 0x80);
  const struct {
    int code, value, byte, expected;
  } axes[] = {{ABS_X, 255, 1, 255},  {ABS_Y, 0, 2, 0},     {ABS_RX, 7, 3, 7},
              {ABS_RY, 300, 4, 255}, {ABS_Z, 200, 8, 200}, {ABS_RZ, 9, 9, 9}};
  for (const auto& axis : axes) {
    ASSERT_TRUE(pad_state::ApplyAbs(&state, axis.code, axis.value));
    EXPECT_EQ(ds4::InputReport(state)[axis.byte], axis.expected) << axis.code;
  }
  // The D-pad's two axes become one hat, north at 0, clockwise.
  const struct {
    int x, y, hat;
  } hats[] = {{0, -1, 0}, {1, -1, 1}, {1, 0, 2},   {1, 1, 3}, {0, 1, 4},
              {-1, 1, 5}, {-1, 0, 6}, {-1, -1, 7}, {0, 0, 8}, {2, 0, 8}};
  for (const auto& hat : hats) EXPECT_EQ(pad_state::Hat(hat.x, hat.y), hat.hat) << hat.x << hat.y;
  state = PadState();
  ASSERT_TRUE(pad_state::ApplyAbs(&state, ABS_HAT0X, 1));
  ASSERT_TRUE(pad_state::ApplyKey(&state, BTN_SOUTH, true));
  EXPECT_EQ(ds4::InputReport(state)[5], 0x22);  // cross and east
  state.buttons = 1u << kExtraButton;
  state.hatX = 0;
  state.counter = 0x3f;
  EXPECT_EQ(ds4::InputReport(state)[7], 0xfe);  // the click under the counter
  state.batteryLevel = 5;
  EXPECT_EQ(ds4::InputReport(state)[30], 0x05);
  state.cable = true;
  EXPECT_EQ(ds4::InputReport(state)[30], 0x15);
  EXPECT_FALSE(pad_state::ApplyAbs(&state, ABS_THROTTLE, 1));
}

TEST(Ds4ReportsTest, FeatureRepliesHidSonyTrusts) {
  auto r = ds4::FeatureReport(0x81, kMac);
  EXPECT_EQ(r, (std::vector<std::uint8_t>{0x81, 0x56, 0x34, 0x12, 0xe2, 0x1f, 0x00}));
  r = ds4::FeatureReport(0x02, kMac);
  auto s16 = [&r](int at) { return static_cast<std::int16_t>(r[at] | r[at + 1] << 8); };
  // hid-sony divides by each range (plus minus minus) and by the speed.
  for (int at : {7, 11, 15, 23, 27, 31}) EXPECT_NE(s16(at), s16(at + 2)) << at;
  EXPECT_NE(s16(19) + s16(21), 0);
}

TEST(Ds4ReportsTest, OutputReportsGiveTheMotorBytes) {
  // hid-sony's report for a strong rumble with the light bar blue.
  std::uint8_t report[ds4::kOutputSize] = {0x05, 0x07, 0x04, 0x00, 0x11, 0xff, 0x00, 0x00, 0x40};
  const ds4::Output out = ds4::ParseOutput(report, sizeof report);
  EXPECT_EQ(ds4::Describe(out), "output 0x05 flags 0x07 strong 255 weak 17 led 0,0,64");
  report[0] = 0x11;
  EXPECT_FALSE(ds4::ParseOutput(report, sizeof report).valid);
  report[0] = 0x05;
  EXPECT_FALSE(ds4::ParseOutput(report, 5).valid);
  EXPECT_EQ(ds4::Describe(ds4::ParseOutput(report, 5)), "output (not a report 0x05)");
}

}  // namespace

namespace {

// The sensor clock and the motion words where hid-sony reads them: the
// clock's steps, decoded as the driver does ((delta * 16) / 3 microseconds,
// following the 16 bits round), are the steps sent, to within a unit.
TEST(Ds4ReportsTest, SensorClockAndMotionWhereHidSonyReadsThem) {
  PadState state;
  state.gyro[0] = -2;
  state.accel[2] = 300;
  auto r = ds4::InputReport(state);
  EXPECT_EQ(static_cast<std::int16_t>(r[13] | r[14] << 8), -2);
  EXPECT_EQ(static_cast<std::int16_t>(r[21] | r[22] << 8), 8192);  // 1 g on y
  EXPECT_EQ(static_cast<std::int16_t>(r[23] | r[24] << 8), 300);
  unsigned previous = r[10] | r[11] << 8;
  for (int i = 1; i < 400; ++i) {  // past the 16 bits' wrap at 349 ms
    const std::uint64_t step = i % 2 == 1 ? 4050 : 3950;
    state.sensorUs += step;
    r = ds4::InputReport(state);
    const unsigned clock = r[10] | r[11] << 8;
    const unsigned delta = (clock - previous) & 0xffff;
    EXPECT_NEAR(delta * 16 / 3, static_cast<double>(step), 6) << i;
    previous = clock;
  }
}

// The touch points where hid-sony reads them, decoded as it does: one
// packet of two points after the count, each a contact byte (bit 7: no
// finger) and 12-bit x and y.
TEST(Ds4ReportsTest, TouchPointsWhereHidSonyReadsThem) {
  PadState state;
  state.fingers[0] = {true, 1920, 942};
  const auto r = ds4::InputReport(state);
  EXPECT_EQ(r[33], 1);  // packets of touch points
  const struct {
    int at;
    bool active;
    int x, y;
  } points[] = {{35, true, 1920, 942}, {39, false, 0, 0}};
  for (const auto& point : points) {
    EXPECT_EQ(!(r[point.at] >> 7), point.active) << point.at;
    EXPECT_EQ(r[point.at + 1] | (r[point.at + 2] & 0xf) << 8, point.x) << point.at;
    EXPECT_EQ((r[point.at + 2] & 0xf0) >> 4 | r[point.at + 3] << 4, point.y) << point.at;
  }
}

}  // namespace
