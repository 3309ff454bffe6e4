// padwatch-check's live screen: the four slots drawn in the terminal and
// redrawn as the controllers change.
#ifndef PADWATCH_CHECK_SCREEN_LIVE_SCREEN_H_
#define PADWATCH_CHECK_SCREEN_LIVE_SCREEN_H_

#include <chrono>

class DemoPads;

// How often the screen polls: while a controller is connected often enough
// to see every report of one that reports at 1000 Hz; while none is, seldom,
// so that a screen with nothing to show costs next to nothing.
constexpr std::chrono::microseconds kBusyPollInterval(250);
constexpr std::chrono::microseconds kIdlePollInterval(20000);

// Runs the live screen until 'q', Ctrl+C, SIGTERM, a hang-up or SIGQUIT (all
// through stopRequested), or until the terminal goes away, then leaves the
// terminal as it was. With demo (started), its controllers move on their
// own. Ctrl+Z suspends it with the terminal given back; it redraws on
// continuing. Returns the exit status.
int RunLiveScreen(DemoPads* demo, bool (*stopRequested)());

#endif  // PADWATCH_CHECK_SCREEN_LIVE_SCREEN_H_
