// The live screen's work between frames, with no terminal: it polls the
// slots and keeps what the picture shows of them.
#ifndef PADWATCH_CHECK_SCREEN_SESSION_H_
#define PADWATCH_CHECK_SCREEN_SESSION_H_

#include <array>
#include <chrono>
#include <deque>
#include <string>

#include "check/probe/rumble_sequence.h"
#include "check/screen/grid.h"
#include "check/screen/picture.h"

// The screen's work between frames, with no terminal: polling, the traced
// outlines, the live rates, the keys' effects, and when a frame is due.
class LiveSession {
 public:
  using Clock = std::chrono::steady_clock;

  LiveSession();

  // Polls the four slots once, and moves the rumble test on.
  void Poll(Clock::time_point now);
  // 'r' runs the rumble test on every connected pad, 'c' clears the traced
  // outlines and resting offsets. Other keys do nothing.
  void Key(int key, Clock::time_point now);
  // Whether to draw now: something changed since the last frame (or a
  // second passed, for the rates), and the last is 1/60 s old.
  bool FrameDue(Clock::time_point now) const;
  // The frame for a terminal of width x height, built now.
  Grid Frame(int width, int height, bool utf8, Clock::time_point now);

  const Panels& GetPanels() const { return panels; }
  // Whether a controller answered on the latest poll.
  bool AnyConnected() const;

 private:
  // Puts the rumble test's progress or answers in the panels.
  void ShowRumble(Clock::time_point now);

  Panels panels;
  std::string notice;  // said below the panels for a while
  std::array<std::deque<Clock::time_point>, XUSER_MAX_COUNT> reports;
  std::array<DWORD, XUSER_MAX_COUNT> lastPacket{};
  std::array<Clock::time_point, XUSER_MAX_COUNT> deviceReadAt{};
  RumbleSequence rumble{kRumbleEach};
  bool rumbling = false;
  bool rumbleShown = false;
  Clock::time_point rumbleShownUntil{};
  bool changed = true;
  Clock::time_point lastFrame{};
};

#endif  // PADWATCH_CHECK_SCREEN_SESSION_H_
