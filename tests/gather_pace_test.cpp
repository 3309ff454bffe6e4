// The time --rate lets reports gather, read after read.
#include "check/probe/gather_pace.h"

#include <vector>

#include "gtest/gtest.h"

namespace {

TEST(GatherPaceTest, FollowsThePadsPace) {
  const struct {
    const char* name;
    std::vector<std::size_t> frames;  // the busiest node's, read after read
    bool gathered;
    int ms;
  } cases[] = {
      {"a slow pad lengthens it to the most", {1, 1, 1, 1, 1, 1}, true, 32},
      {"8 frames in a read halve it", {1, 8}, true, 4},
      {"and again, down to the least", {1, 2, 8, 8}, true, 4},
      {"never below the least", {8, 8, 8}, true, 4},
      {"4 frames a read hold it", {2, 4, 4, 4}, true, 8},
      {"reads after a wait leave it", {1, 1, 1}, false, 4},
  };
  for (const auto& c : cases) {
    GatherPace pace;
    for (std::size_t frames : c.frames) pace.AfterRead(frames, c.gathered);
    EXPECT_EQ(pace.Ms(), c.ms) << c.name;
  }
}

}  // namespace
