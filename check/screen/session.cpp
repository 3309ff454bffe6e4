#include "check/screen/session.h"

#include <algorithm>

#include "check/probe/slot_probe.h"
#include "check/report/rumble_report.h"
#include "input/inputs.h"

namespace {

constexpr auto kFrameInterval = std::chrono::microseconds(1000000 / 60);
// How long the rumble test's answer stays in the panels after it ends.
constexpr auto kRumbleShown = std::chrono::seconds(5);
constexpr char kNothingToRumble[] = "r: no controller is connected, so there is nothing to rumble";

}  // namespace

LiveSession::LiveSession() : panels(MakePanels()) {}

void LiveSession::Poll(Clock::time_point now) {
  for (DWORD i = 0; i < XUSER_MAX_COUNT; ++i) {
    Panel& panel = panels[i];
    const bool wasConnected = panel.reading.connected;
    if (!PollSlot(&panel.reading)) {
      if (wasConnected) {
        changed = true;
        reports[i].clear();
        panel.rumble.clear();
      }
      continue;
    }
    const XINPUT_STATE& state = panel.reading.state;
    if (!wasConnected || now - deviceReadAt[i] > std::chrono::seconds(2)) {
      // What the device is changes seldom; its battery slowly.
      ReadDevice(&panel.reading);
      deviceReadAt[i] = now;
      changed = true;
    }
    if (wasConnected && state.dwPacketNumber != lastPacket[i]) {
      reports[i].push_back(now);
      panel.leftOutline.Add(state.Gamepad.sThumbLX, state.Gamepad.sThumbLY);
      panel.rightOutline.Add(state.Gamepad.sThumbRX, state.Gamepad.sThumbRY);
      changed = true;
    }
    lastPacket[i] = state.dwPacketNumber;
  }
  if (rumbling) {
    rumbling = rumble.Advance(now);
    ShowRumble(now);
  } else if (rumbleShown && now > rumbleShownUntil) {
    for (Panel& panel : panels) panel.rumble.clear();
    notice.clear();
    rumbleShown = false;
    changed = true;
  }
}

void LiveSession::ShowRumble(Clock::time_point now) {
  for (DWORD i = 0; i < XUSER_MAX_COUNT; ++i) {
    if (!rumble.Results()[i].connected) continue;
    const std::string answer = rumbling ? "rumble: running..." : RumbleAnswer(rumble.Results()[i]);
    if (panels[i].rumble != answer) {
      panels[i].rumble = answer;
      changed = true;
    }
  }
  const bool any = std::any_of(rumble.Results().begin(), rumble.Results().end(),
                               [](const RumbleResult& result) { return result.connected; });
  const std::string said = any ? "" : kNothingToRumble;
  if (notice != said) {
    notice = said;
    changed = true;
  }
  rumbleShown = true;
  rumbleShownUntil = now + kRumbleShown;
}

void LiveSession::Key(int key, Clock::time_point now) {
  if (key == 'r' && !rumbling) {
    rumble.Find();
    rumbling = rumble.Advance(now);
    ShowRumble(now);
  } else if (key == 'c') {
    for (Panel& panel : panels) {
      panel.leftOutline.Clear();
      panel.rightOutline.Clear();
      panel.reading.leftStick.Clear();
      panel.reading.rightStick.Clear();
    }
    changed = true;
  }
}

bool LiveSession::AnyConnected() const {
  for (const Panel& panel : panels) {
    if (panel.reading.connected) return true;
  }
  return false;
}

bool LiveSession::FrameDue(Clock::time_point now) const {
  if (now - lastFrame < kFrameInterval) return false;
  return changed || now - lastFrame >= std::chrono::seconds(1);
}

Grid LiveSession::Frame(int width, int height, bool utf8, Clock::time_point now) {
  for (DWORD i = 0; i < XUSER_MAX_COUNT; ++i) {
    std::deque<Clock::time_point>& times = reports[i];
    while (!times.empty() && now - times.front() > std::chrono::seconds(1)) times.pop_front();
    panels[i].rateHz = static_cast<double>(times.size());
  }
  changed = false;
  lastFrame = now;
  return DrawPicture(panels, width, height, utf8, notice);
}
