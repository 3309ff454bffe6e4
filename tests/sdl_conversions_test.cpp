#include "platform/sdl/sdl_conversions.h"

#include <gtest/gtest.h>

TEST(SdlConversionsTest, StickXKeepsSdlValues) {
  for (int v : {-32768, -1, 0, 1, 32767}) {
    EXPECT_EQ(StickXFromSdl(static_cast<std::int16_t>(v)), v);
  }
}

TEST(SdlConversionsTest, StickYIsNegatedWithBothEndsFull) {
  EXPECT_EQ(StickYFromSdl(-32768), 32767);  // full up
  EXPECT_EQ(StickYFromSdl(-32767), 32767);
  EXPECT_EQ(StickYFromSdl(-1), 1);
  EXPECT_EQ(StickYFromSdl(0), 0);
  EXPECT_EQ(StickYFromSdl(1), -1);
  EXPECT_EQ(StickYFromSdl(32767), -32767);  // full down: normalises to exactly -1
}

TEST(SdlConversionsTest, TriggerMapsOntoZeroTo255) {
  EXPECT_EQ(TriggerFromSdl(-32768), 0);
  EXPECT_EQ(TriggerFromSdl(-1), 0);
  EXPECT_EQ(TriggerFromSdl(0), 0);
  EXPECT_EQ(TriggerFromSdl(1), 0);
  EXPECT_EQ(TriggerFromSdl(64), 0);  // just under half a step
  EXPECT_EQ(TriggerFromSdl(65), 1);
  EXPECT_EQ(TriggerFromSdl(16384), 128);
  EXPECT_EQ(TriggerFromSdl(32702), 254);
  EXPECT_EQ(TriggerFromSdl(32767), 255);
}

TEST(SdlConversionsTest, TriggerIsMonotonicAndReachesEveryStep) {
  int previous = 0;
  bool seen[256] = {};
  for (int v = 0; v <= 32767; ++v) {
    const int t = TriggerFromSdl(static_cast<std::int16_t>(v));
    EXPECT_GE(t, previous);
    EXPECT_LE(t - previous, 1);
    seen[t] = true;
    previous = t;
  }
  for (bool s : seen) EXPECT_TRUE(s);
}
