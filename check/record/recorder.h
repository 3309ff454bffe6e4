// padwatch-check --record: the four slots as XInput reads them, written as a
// scenario that padwatch-replay plays back through padwatch's core. First
// what each controller says of itself as it connects, then for every poll
// that changed something the changes (plug, unplug, press, release, set)
// after an "at" line with the milliseconds since the start, and the polls
// in between as "poll N".
#ifndef PADWATCH_CHECK_RECORD_RECORDER_H_
#define PADWATCH_CHECK_RECORD_RECORDER_H_

#include <array>
#include <cstdint>
#include <string>

#include "platform/xinput.h"

class Recorder {
 public:
  // Polls the four slots once at nowMs. Returns the lines this poll adds,
  // whole lines only (often none): what is returned is always the end of
  // a valid scenario.
  std::string Poll(std::uint64_t nowMs);

  // The lines that end the recording: the polls not written yet.
  std::string Finish();

  // Whether a controller answered on the latest poll.
  bool AnyConnected() const;

  // The first line of every recording: what it is.
  static const char kHeader[];

 private:
  struct Slot {
    bool connected = false;
    XINPUT_GAMEPAD reading{};  // as the recording has it
  };
  // The lines for slot's changes from what the recording has to now.
  std::string Changes(DWORD slot, bool connected, const XINPUT_GAMEPAD& now);

  std::array<Slot, XUSER_MAX_COUNT> slots{};
  std::uint64_t pendingPolls = 0;  // polls since the last ones written
};

#endif  // PADWATCH_CHECK_RECORD_RECORDER_H_
