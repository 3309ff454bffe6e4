// Draws frames of the live screen on a thread of its own, so that a
// terminal that stalls delays frames, never polls.
#ifndef PADWATCH_CHECK_SCREEN_FRAME_WRITER_H_
#define PADWATCH_CHECK_SCREEN_FRAME_WRITER_H_

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "check/screen/grid.h"

class FrameWriter {
 public:
  // write is how a frame's VT sequences reach the terminal.
  explicit FrameWriter(void (*write)(const std::string&));
  // Draws the frame still waiting, if any, then ends the thread.
  ~FrameWriter();
  FrameWriter(const FrameWriter&) = delete;
  FrameWriter& operator=(const FrameWriter&) = delete;

  // Hands over the next frame; one not drawn yet is replaced. Never waits
  // for the terminal.
  void Offer(Grid frame);

 private:
  void Run();

  void (*write)(const std::string&);
  std::mutex mutex;
  std::condition_variable wake;
  Grid pending;
  bool hasPending = false;
  bool done = false;
  std::thread thread;
};

#endif  // PADWATCH_CHECK_SCREEN_FRAME_WRITER_H_
