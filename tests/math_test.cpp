#include "support/math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(ClampTest, StickExtremesLandExactlyOnTheBounds) {
  EXPECT_EQ(Clamp(-32768.0f / 32767.0f, -1.0f, 1.0f), -1.0f);
  EXPECT_EQ(Clamp(32767.0f / 32767.0f, -1.0f, 1.0f), 1.0f);
  EXPECT_EQ(Clamp(16384.0f / 32767.0f, -1.0f, 1.0f), 16384.0f / 32767.0f);
}

TEST(ClampTest, BoundsAndNanPassThroughUnchanged) {
  EXPECT_EQ(Clamp(-1.0f, -1.0f, 1.0f), -1.0f);
  EXPECT_EQ(Clamp(1.0f, -1.0f, 1.0f), 1.0f);
  EXPECT_EQ(Clamp(-7.5f, -2.0f, 3.0f), -2.0f);
  EXPECT_EQ(Clamp(7.5f, -2.0f, 3.0f), 3.0f);
  EXPECT_TRUE(std::isnan(Clamp(std::numeric_limits<float>::quiet_NaN(), -1.0f, 1.0f)));
}

TEST(Clamp01Test, LimitsToZeroAndOne) {
  EXPECT_EQ(Clamp01(255.0f / 255.0f), 1.0f);
  EXPECT_EQ(Clamp01(31.0f / 255.0f), 31.0f / 255.0f);
  EXPECT_EQ(Clamp01(-0.25f), 0.0f);
  EXPECT_EQ(Clamp01(1.25f), 1.0f);
  EXPECT_EQ(Clamp01(0.0f), 0.0f);
  EXPECT_TRUE(std::isnan(Clamp01(std::numeric_limits<float>::quiet_NaN())));
}

#ifndef NDEBUG
TEST(ClampDeathTest, MaxNotAboveMinFailsTheAssertion) {
  EXPECT_DEATH(Clamp(0.5f, 1.0f, 1.0f), "Value max must not be less than value min!");
  EXPECT_DEATH(Clamp(0.5f, 2.0f, 1.0f), "max > min");
}
#endif
