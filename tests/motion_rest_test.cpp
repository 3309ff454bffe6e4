// A still pad's motion: the gyroscope's mean per axis and the mean
// magnitude of the acceleration, against sums worked out by hand.
#include "check/probe/motion_rest.h"

#include <gtest/gtest.h>

namespace {

TEST(MotionRestTest, BiasIsTheMeanRateAndGravityTheMeanMagnitude) {
  MotionRest rest;
  EXPECT_EQ(rest.Readings(), 0);
  EXPECT_EQ(rest.MagnitudeG(), 0);
  // Lying flat, then tilted: 1 g either way, (0.6, 0.8) being a 3-4-5
  // triangle's sides.
  rest.Add({{1.5, -2, 0.25}, {0, 1, 0}});
  rest.Add({{2.5, -1, -0.25}, {0.6, 0.8, 0}});
  rest.Add({{2, -3, 0}, {0, 0, -1.1}});
  EXPECT_EQ(rest.Readings(), 3);
  EXPECT_DOUBLE_EQ(rest.BiasDps(0), 2);
  EXPECT_DOUBLE_EQ(rest.BiasDps(1), -2);
  EXPECT_DOUBLE_EQ(rest.BiasDps(2), 0);
  EXPECT_NEAR(rest.MagnitudeG(), (1 + 1 + 1.1) / 3, 1e-12);
}

}  // namespace
