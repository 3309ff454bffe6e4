// The VT sequences that turn one picture of the terminal into the next.
#include "check/screen/grid.h"

#include <gtest/gtest.h>

namespace {

// Only what changed is written, after one cursor move per run of cells.
TEST(GridTest, DrawsOnlyTheChanges) {
  Grid before(6, 3);
  before.Text(0, 0, "abc");
  Grid after = before;
  EXPECT_EQ(DrawChanges(before, after), "");
  after.Text(1, 1, "xy");
  after.Put(5, 2, "z", true);
  EXPECT_EQ(DrawChanges(before, after), "\x1b[2;2H\x1b[0mxy\x1b[3;6H\x1b[7mz\x1b[0m");
  // A new size clears the screen and draws all that is not blank.
  EXPECT_EQ(DrawChanges(Grid(2, 2), before), "\x1b[0m\x1b[2J\x1b[1;1Habc");
}

}  // namespace
