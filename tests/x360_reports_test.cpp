// The USB Xbox 360 pad's bytes, checked on the host: FunctionFS refuses a
// descriptor blob whose lengths or counts are off (the gadget then never
// binds), xpad's probe refuses an interface without exactly one interrupt
// IN and one interrupt OUT endpoint, and a button in the wrong bit comes out
// as another button.
#include "tests/e2e/feeder/x360_reports.h"

#include <linux/input-event-codes.h>

#include <set>
#include <string>

#include "gtest/gtest.h"

namespace {

long Le(const std::vector<std::uint8_t>& d, std::size_t at, int bytes) {
  long value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = (value << 8) | d.at(at + static_cast<std::size_t>(i));
  return value;
}

TEST(X360ReportsTest, DescriptorsAreWhatFunctionFsAndXpadTake) {
  const std::vector<std::uint8_t> d = x360::FunctionFsDescriptors();
  EXPECT_EQ(Le(d, 0, 4), 3);  // v2
  EXPECT_EQ(Le(d, 4, 4), static_cast<long>(d.size()));
  EXPECT_EQ(Le(d, 8, 4), 3);  // full and high speed
  std::size_t at = 20;
  std::set<int> addresses[2];
  for (int speed = 0; speed < 2; ++speed) {
    int declared = -1, in = 0, out = 0;
    for (long i = 0; i < Le(d, 12 + 4 * static_cast<std::size_t>(speed), 4); ++i) {
      ASSERT_LT(at + 1, d.size());
      const int length = d[at], type = d[at + 1];
      if (type == 0x04) {
        ASSERT_EQ(length, 9);
        declared = d[at + 4];
        EXPECT_EQ(d[at + 5], 0xff);  // class, subclass, protocol: xpad's wired 360
        EXPECT_EQ(d[at + 6], 0x5d);
        EXPECT_EQ(d[at + 7], 0x01);
        EXPECT_EQ(d[at + 8], 1);  // iInterface: the one string
      } else {
        ASSERT_EQ(type, 0x05);
        ASSERT_EQ(length, 7);
        addresses[speed].insert(d[at + 2]);
        EXPECT_EQ(d[at + 3] & 3, 3);  // interrupt
        EXPECT_EQ(Le(d, at + 4, 2), x360::kMaxPacket);
        EXPECT_GE(x360::kMaxPacket, x360::kReportSize);
        ++((d[at + 2] & 0x80) != 0 ? in : out);
      }
      at += static_cast<std::size_t>(length);
    }
    EXPECT_EQ(declared, 2) << speed;
    EXPECT_EQ(in, 1) << speed;
    EXPECT_EQ(out, 1) << speed;
  }
  EXPECT_EQ(at, d.size());
  EXPECT_EQ(addresses[0], addresses[1]);
  EXPECT_EQ(addresses[0], (std::set<int>{x360::kInEndpoint, x360::kOutEndpoint}));

  const std::vector<std::uint8_t> s = x360::FunctionFsStrings();
  EXPECT_EQ(Le(s, 0, 4), 2);
  EXPECT_EQ(Le(s, 4, 4), static_cast<long>(s.size()));
  EXPECT_EQ(Le(s, 8, 4), 1);  // one string, one language: English (US)
  EXPECT_EQ(Le(s, 12, 4), 1);
  EXPECT_EQ(Le(s, 16, 2), 0x0409);
  EXPECT_EQ(std::string(s.begin() + 18, s.end()), std::string("Controller", 11));
}

// What evdev gets from a report, after xpad360_process_packet: keys from
// bytes 2 and 3, the D-pad as a hat, the triggers as bytes 4 and 5, the
// sticks little-endian with Y inverted.
TEST(X360ReportsTest, KeysAndAxesComeOutOfXpadAsTheyWentIn) {
  const struct {
    int code, byte, mask;
  } keys[] = {{BTN_START, 2, 0x10},  {BTN_SELECT, 2, 0x20}, {BTN_THUMBL, 2, 0x40},
              {BTN_THUMBR, 2, 0x80}, {BTN_TL, 3, 0x01},     {BTN_TR, 3, 0x02},
              {BTN_MODE, 3, 0x04},   {BTN_A, 3, 0x10},      {BTN_B, 3, 0x20},
              {BTN_X, 3, 0x40},      {BTN_Y, 3, 0x80}};
  for (const auto& key : keys) {
    x360::State state;
    ASSERT_TRUE(x360::ApplyKey(&state, key.code, true));
    auto r = x360::InputReport(state);
    EXPECT_EQ(r[key.byte], key.mask) << key.code;
    EXPECT_EQ(r[key.byte == 2 ? 3 : 2], 0) << key.code;
    ASSERT_TRUE(x360::ApplyKey(&state, key.code, false));
    EXPECT_EQ(state.buttons, 0);
  }
  x360::State state;
  EXPECT_FALSE(x360::ApplyKey(&state, BTN_TL2, true));  // analogue triggers only

  auto r = x360::InputReport(state);
  EXPECT_EQ(r[0], 0x00);
  EXPECT_EQ(r[1], 0x14);
  EXPECT_EQ(r[8] | r[9] << 8, 0xffff);  // a centred Y is ~0
  const struct {
    int code, value, byte;
    bool inverted;
  } sticks[] = {{ABS_X, -32768, 6, false},
                {ABS_Y, 7000, 8, true},
                {ABS_RX, 32767, 10, false},
                {ABS_RY, -8000, 12, true}};
  for (const auto& stick : sticks) {
    state = x360::State();
    ASSERT_TRUE(x360::ApplyAbs(&state, stick.code, stick.value));
    r = x360::InputReport(state);
    const auto raw = static_cast<std::int16_t>(r[stick.byte] | r[stick.byte + 1] << 8);
    EXPECT_EQ(stick.inverted ? ~raw : raw, stick.value) << stick.code;
  }
  state = x360::State();
  ASSERT_TRUE(x360::ApplyAbs(&state, ABS_Z, 255));
  ASSERT_TRUE(x360::ApplyAbs(&state, ABS_RZ, 20));
  ASSERT_TRUE(x360::ApplyAbs(&state, ABS_HAT0X, -1));
  ASSERT_TRUE(x360::ApplyAbs(&state, ABS_HAT0X, 1));  // one direction replaces the other
  ASSERT_TRUE(x360::ApplyAbs(&state, ABS_HAT0Y, -1));
  r = x360::InputReport(state);
  EXPECT_EQ(r[2], 0x08 | 0x01);  // right and up
  EXPECT_EQ(r[4], 255);
  EXPECT_EQ(r[5], 20);
  ASSERT_TRUE(x360::ApplyAbs(&state, ABS_HAT0X, 0));
  ASSERT_TRUE(x360::ApplyAbs(&state, ABS_HAT0Y, 0));
  EXPECT_EQ(state.buttons, 0);
  EXPECT_FALSE(x360::ApplyAbs(&state, ABS_HAT0Y, 2));
  EXPECT_FALSE(x360::ApplyAbs(&state, ABS_Z, 256));
  EXPECT_FALSE(x360::ApplyAbs(&state, ABS_X, 32768));
  EXPECT_FALSE(x360::ApplyAbs(&state, ABS_THROTTLE, 1));
}

TEST(X360ReportsTest, OutPacketsAreNamed) {
  const std::uint8_t led[] = {0x01, 0x03, 0x02};
  EXPECT_TRUE(x360::IsLedCommand(led, sizeof led));
  EXPECT_EQ(x360::DescribeOutput(led, sizeof led), "out 01 03 02: led 2");
  const std::uint8_t rumble[] = {0x00, 0x08, 0x00, 0xff, 0x40, 0x00, 0x00, 0x00};
  EXPECT_FALSE(x360::IsLedCommand(rumble, sizeof rumble));
  EXPECT_EQ(x360::DescribeOutput(rumble, sizeof rumble),
            "out 00 08 00 ff 40 00 00 00: rumble strong 255 weak 64");
  EXPECT_EQ(x360::DescribeOutput(rumble, 7), "out 00 08 00 ff 40 00 00: unknown");
}

}  // namespace
