// The loop: polls without pause, reads keys and the terminal's size every
// few milliseconds, and hands frames to the writer.
#include "check/screen/live_screen.h"

#include <cstdio>

#include "check/probe/demo_pads.h"
#include "check/screen/frame_writer.h"
#include "check/screen/session.h"
#include "check/screen/terminal.h"

namespace {

constexpr auto kKeyInterval = std::chrono::milliseconds(4);

}  // namespace

int RunLiveScreen(bool demo, bool (*stopRequested)()) {
  DemoPads demoPads;
  if (demo && !demoPads.Start()) return 1;
  if (!EnterScreenMode()) {
    std::fprintf(stderr, "padwatch-check: cannot put the terminal into screen mode\n");
    return 1;
  }
  // Declared first, so destroyed last: the frames stop before the terminal
  // is given back, even when something goes wrong.
  struct Restore {
    ~Restore() { LeaveScreenMode(); }
  } restore;
  FrameWriter writer(WriteTerminal);
  LiveSession session;
  const bool utf8 = TerminalUsesUtf8();
  int width = 80, height = 24;
  const auto start = LiveSession::Clock::now();
  auto nextKeys = start;
  bool resized = true;
  for (;;) {
    const auto now = LiveSession::Clock::now();
    if (demo) demoPads.Move(std::chrono::duration<double>(now - start).count());
    session.Poll(now);
    if (now < nextKeys) continue;
    nextKeys = now + kKeyInterval;
    if (stopRequested()) break;
    const int key = ReadKey();
    if (key == 'q' || key == 'Q') break;
    session.Key(key, now);
    int w = width, h = height;
    if (TerminalSize(&w, &h) && (w != width || h != height)) {
      width = w;
      height = h;
      resized = true;
    }
    if (resized || session.FrameDue(now)) {
      writer.Offer(session.Frame(width, height, utf8, now));
      resized = false;
    }
  }
  return 0;
}
