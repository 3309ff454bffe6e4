#include "check/health/button_log.h"

void ButtonLog::Add(std::uint64_t ms, WORD buttons) {
  for (std::size_t i = 0; i < kButtonCount; ++i) {
    const WORD mask = kButtonInputs[i].mask;
    const bool down = (buttons & mask) != 0;
    const bool wasDown = (held & mask) != 0;
    Entry& entry = log[i];
    if (down && !wasDown) {
      // Down again soon after the last press: the release between was a
      // chatter of the switch, not a finger.
      if (entry.presses > 0 && ms - entry.lastDown <= kBounceMs) ++entry.bounces;
      ++entry.presses;
      entry.lastDown = ms;
    } else if (!down && wasDown) {
      ++entry.releases;
    }
  }
  held = buttons;
}

int ButtonLog::Seen() const {
  int seen = 0;
  for (const Entry& entry : log) seen += entry.presses > 0 && entry.releases > 0 ? 1 : 0;
  return seen;
}
