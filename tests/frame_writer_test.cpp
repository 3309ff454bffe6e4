// The frame writer draws on its own thread: a frame offered while the
// terminal is busy replaces the one still waiting, and the last frame
// offered is always drawn.
#include "check/screen/frame_writer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::mutex mutex;
std::condition_variable changed;
std::vector<std::string> written;
bool blocked = false;
bool writing = false;

// A terminal that takes nothing while blocked.
void Write(const std::string& text) {
  std::unique_lock<std::mutex> lock(mutex);
  writing = true;
  changed.notify_all();
  changed.wait(lock, [] { return !blocked; });
  written.push_back(text);
}

Grid Frame(const std::string& text) {
  Grid grid(4, 1);
  grid.Text(0, 0, text);
  return grid;
}

TEST(FrameWriterTest, APendingFrameIsReplacedAndTheLastIsDrawn) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    written.clear();
    blocked = true;
    writing = false;
  }
  {
    FrameWriter writer(Write);
    writer.Offer(Frame("a"));
    {
      // The writer has taken "a" and waits on the terminal.
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [] { return writing; });
    }
    writer.Offer(Frame("b"));
    writer.Offer(Frame("c"));  // replaces b, which is never drawn
    {
      std::lock_guard<std::mutex> lock(mutex);
      blocked = false;
    }
    changed.notify_all();
  }  // the destructor draws what is still waiting
  std::lock_guard<std::mutex> lock(mutex);
  ASSERT_EQ(written.size(), 2u);
  EXPECT_EQ(written[0], DrawChanges(Grid(), Frame("a")));
  EXPECT_EQ(written[1], DrawChanges(Frame("a"), Frame("c")));
}

}  // namespace
