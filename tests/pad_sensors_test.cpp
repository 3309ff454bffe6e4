// A motion node's raw values in the units its resolutions give.
#include "check/probe/pad_sensors.h"

#include <gtest/gtest.h>

namespace {

TEST(PadSensorsTest, MotionIsScaledByEachAxissResolution) {
  MotionValues motion;
  // hid-sony and hid-playstation: 8192 per g, 1024 per degree a second.
  ASSERT_TRUE(MotionFromAxes({0, 8192, -4096, 2073, -1036, 0}, {8192, 8192, 8192, 1024, 1024, 1024},
                             &motion));
  EXPECT_DOUBLE_EQ(motion.accelG[0], 0);
  EXPECT_DOUBLE_EQ(motion.accelG[1], 1);
  EXPECT_DOUBLE_EQ(motion.accelG[2], -0.5);
  EXPECT_DOUBLE_EQ(motion.gyroDps[0], 2073.0 / 1024);
  EXPECT_DOUBLE_EQ(motion.gyroDps[1], -1036.0 / 1024);
  EXPECT_DOUBLE_EQ(motion.gyroDps[2], 0);
  // Without units the values mean nothing.
  EXPECT_FALSE(MotionFromAxes({1, 2, 3, 4, 5, 6}, {8192, 8192, 8192, 1024, 0, 1024}, &motion));
}

}  // namespace
