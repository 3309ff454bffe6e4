// Which buttons were seen pressed and released, and which bounced: went
// down, up and down again within 5 ms, as a worn switch chatters.
#ifndef PADWATCH_CHECK_HEALTH_BUTTON_LOG_H_
#define PADWATCH_CHECK_HEALTH_BUTTON_LOG_H_

#include <array>
#include <cstdint>

#include "input/inputs.h"

class ButtonLog {
 public:
  static constexpr std::uint64_t kBounceMs = 5;

  // The buttons held at ms (wButtons).
  void Add(std::uint64_t ms, WORD buttons);

  // By index in kButtonInputs.
  bool Pressed(std::size_t button) const { return log[button].presses > 0; }
  bool Released(std::size_t button) const { return log[button].releases > 0; }
  int Bounces(std::size_t button) const { return log[button].bounces; }
  // How many buttons were both pressed and released.
  int Seen() const;

 private:
  struct Entry {
    int presses = 0;
    int releases = 0;
    int bounces = 0;
    std::uint64_t lastDown = 0;
  };
  WORD held = 0;
  std::array<Entry, kButtonCount> log{};
};

#endif  // PADWATCH_CHECK_HEALTH_BUTTON_LOG_H_
