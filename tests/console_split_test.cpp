// Frames cut into writes a console host that does not parse VT passes
// through whole: no write reaches the buffer's width, every write ends with
// CR, and no escape or character is cut.
#include "check/screen/console_split.h"

#include <gtest/gtest.h>

namespace {

TEST(ConsoleSplitTest, ANewWriteAtEveryCursorMove) {
  EXPECT_EQ(SplitForConsole("\x1b[1;1Habc\x1b[2;5H\x1b[7mxy\x1b[0m", 80),
            (std::vector<std::string>{"\x1b[1;1Habc\r", "\x1b[2;5H\x1b[7mxy\x1b[0m\r"}));
}

TEST(ConsoleSplitTest, ARunPastTheLimitGoesOnWhereItWas) {
  const std::string run(30, 'a');
  const std::vector<std::string> writes = SplitForConsole("\x1b[3;2H" + run, 30);
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0], "\x1b[3;2H" + std::string(13, 'a') + "\r");
  EXPECT_EQ(writes[1], "\x1b[3;15H" + std::string(12, 'a') + "\r");
  EXPECT_EQ(writes[2], "\x1b[3;27H" + std::string(5, 'a') + "\r");
}

TEST(ConsoleSplitTest, AWriteEndingInABlankSaysWhereTheCursorIs) {
  EXPECT_EQ(SplitForConsole("\x1b[1;1Hab ", 80),
            (std::vector<std::string>{"\x1b[1;1Hab \x1b[1;4H\r"}));
}

TEST(ConsoleSplitTest, WideCharactersAdvanceTwoColumns) {
  const std::string wide = "\xe6\x89\x8b";  // three bytes, two columns
  std::string frame = "\x1b[1;1H";
  for (int i = 0; i < 10; ++i) frame += wide;
  for (const std::string& write : SplitForConsole(frame, 25)) {
    EXPECT_LE(write.size(), 25u);
    EXPECT_EQ(write.back(), '\r');
  }
  // Two characters fit in the first write, so the second starts at column 5.
  EXPECT_EQ(SplitForConsole(frame, 25)[1].substr(0, 6), "\x1b[1;5H");
}

}  // namespace
