#include "support/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "support/math.h"

namespace {

std::string Fixed6(float value) {
  std::string text;
  AppendFixed6(text, value);
  return text;
}

TEST(NumberTextTest, IntegersMatchToString) {
  for (std::int64_t v :
       {std::int64_t{0}, std::int64_t{1}, std::int64_t{3}, std::int64_t{10}, std::int64_t{-1},
        std::int64_t{32767}, std::int64_t{-32768}, std::numeric_limits<std::int64_t>::max(),
        std::numeric_limits<std::int64_t>::min()}) {
    std::string text = "x";
    AppendInteger(text, v);
    EXPECT_EQ(text, "x" + std::to_string(v));
  }
}

TEST(NumberTextTest, KnownValues) {
  EXPECT_EQ(Fixed6(0.0f), "0.000000");
  EXPECT_EQ(Fixed6(1.0f), "1.000000");
  EXPECT_EQ(Fixed6(-1.0f), "-1.000000");
  EXPECT_EQ(Fixed6(16384.0f / 32767.0f), "0.500015");
  EXPECT_EQ(Fixed6(31.0f / 255.0f), "0.121569");
  EXPECT_EQ(Fixed6(7850.0f / 32767.0f), "0.239570");
}

// Every value an axis can report, exactly as std::to_string writes it.
TEST(NumberTextTest, EveryStickAndTriggerValueMatchesToString) {
  for (int r = -32768; r <= 32767; ++r) {
    const float value = Clamp(static_cast<float>(r) / 32767.0f, -1.0f, 1.0f);
    ASSERT_EQ(Fixed6(value), std::to_string(value)) << "stick reading " << r;
  }
  for (int r = 0; r <= 255; ++r) {
    const float value = Clamp01(static_cast<float>(r) / 255.0f);
    ASSERT_EQ(Fixed6(value), std::to_string(value)) << "trigger reading " << r;
  }
}

// Including ties at the sixth decimal, which both must round the same way.
TEST(NumberTextTest, RandomAndTieValuesMatchToString) {
  for (float tie : {0.0000005f, 0.0078125f, 0.5000005f, -0.0078125f, 2.5e-7f, 1e-7f}) {
    EXPECT_EQ(Fixed6(tie), std::to_string(tie));
  }
  std::mt19937 random(12345);
  std::uniform_int_distribution<std::uint32_t> bits;
  for (int i = 0; i < 200000; ++i) {
    std::uint32_t b = bits(random);
    float value;
    std::memcpy(&value, &b, sizeof(value));
    if (!(value > -1e30f && value < 1e30f)) continue;  // finite, and not absurdly long
    ASSERT_EQ(Fixed6(value), std::to_string(value)) << "bits " << b;
  }
}

TEST(NumberTextTest, EdgesOfTheExactPathMatchToString) {
  for (float value : {16777215.0f, 16777216.0f, 16777218.0f, -16777216.0f, 1e-45f, -1e-45f,
                      1.17549435e-38f, 0.4999995f, 0.9999995f, 0.99999994f, -0.0f}) {
    EXPECT_EQ(Fixed6(value), std::to_string(value)) << value;
  }
  // Every float in [0.5, 1) near a tie: step through the last bits.
  for (std::uint32_t b = 0x3F000000; b < 0x3F800000; b += 97) {
    float value;
    std::memcpy(&value, &b, sizeof(value));
    ASSERT_EQ(Fixed6(value), std::to_string(value)) << "bits " << b;
  }
}

}  // namespace
