// The loop: polls, paced by kBusyPollInterval or kIdlePollInterval while it
// waits for keys, and hands frames to the writer.
#include "check/screen/live_screen.h"

#include <cstdio>

#include "app/stop_request.h"
#include "check/probe/demo_pads.h"
#include "check/screen/frame_writer.h"
#include "check/screen/session.h"
#include "check/screen/terminal.h"

namespace {

// The terminal's size is asked this often.
constexpr auto kSizeInterval = std::chrono::milliseconds(50);

}  // namespace

int RunLiveScreen(DemoPads* demo, bool (*stopRequested)()) {
  if (!EnterScreenMode()) {
    std::fprintf(stderr, "padwatch-check: cannot put the terminal into screen mode\n");
    return 1;
  }
  // Declared first, so destroyed last: the frames stop before the terminal
  // is given back, even when something goes wrong.
  struct Restore {
    ~Restore() { LeaveScreenMode(); }
  } restore;
  FrameWriter writer(WriteTerminal, RegisterWriterThread, InterruptWriter);
  LiveSession session;
  const bool utf8 = TerminalUsesUtf8();
  int width = 80, height = 24;
  const auto start = LiveSession::Clock::now();
  auto nextSize = start;
  bool redraw = true;
  while (!stopRequested()) {
    const auto now = LiveSession::Clock::now();
    if (demo != nullptr) demo->Move(std::chrono::duration<double>(now - start).count());
    session.Poll(now);

    bool gone = false;
    for (const char key : ReadKeys(&gone)) {
      if (key == 'q' || key == 'Q') RequestStop();
      session.Key(key, now);
    }
    if (gone) RequestStop();  // nobody is looking any more
    if (TakeSuspend()) {
      // Ctrl+Z: give the terminal back while stopped, take it again after.
      writer.Pause();
      LeaveScreenMode();
      SuspendProcess();
      EnterScreenMode();
      writer.Resume();
      redraw = true;
    } else if (TakeContinued()) {
      // Stopped some other way: the terminal may have been changed.
      writer.Pause();
      LeaveScreenMode();
      EnterScreenMode();
      writer.Resume();
      redraw = true;
    }
    if (now >= nextSize) {
      nextSize = now + kSizeInterval;
      int w = width, h = height;
      if (TerminalSize(&w, &h) && (w != width || h != height)) {
        width = w;
        height = h;
        redraw = true;
      }
    }
    if (redraw || session.FrameDue(now)) {
      writer.Offer(session.Frame(width, height, utf8, now));
      redraw = false;
    }
    WaitForInput(session.AnyConnected() ? kBusyPollInterval : kIdlePollInterval);
  }
  return 0;
}
