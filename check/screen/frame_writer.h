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
  // write is how a frame's VT sequences reach the terminal. The drawing
  // thread calls started (if given) first; interrupt (if given) ends a write
  // of that thread that is blocked.
  explicit FrameWriter(void (*write)(const std::string&), void (*started)() = nullptr,
                       void (*interrupt)() = nullptr);
  // Draws the frame still waiting, if any, then ends the thread. A write
  // that is blocked meanwhile (a terminal that takes nothing) is
  // interrupted every 100 ms until the thread has ended.
  ~FrameWriter();
  FrameWriter(const FrameWriter&) = delete;
  FrameWriter& operator=(const FrameWriter&) = delete;

  // Hands over the next frame; one not drawn yet is replaced. Never waits
  // for the terminal.
  void Offer(Grid frame);

  // Waits for the frame being drawn, if any, and draws nothing more until
  // Resume. Frames offered meanwhile wait, the last one kept.
  void Pause();
  // Draws again; the next frame is drawn whole, for a screen that was
  // cleared meanwhile.
  void Resume();

 private:
  void Run();

  void (*write)(const std::string&);
  void (*started)();
  void (*interrupt)();
  std::mutex mutex;
  std::condition_variable wake;     // a frame, a resume, or the end
  std::condition_variable settled;  // a write done, or the thread ended
  Grid pending;
  bool hasPending = false;
  bool paused = false;
  bool writing = false;
  bool redrawWhole = false;
  bool done = false;
  bool finished = false;
  std::thread thread;
};

#endif  // PADWATCH_CHECK_SCREEN_FRAME_WRITER_H_
