// padwatch-check's live screen: the four slots drawn in the terminal and
// redrawn as the controllers change.
#ifndef PADWATCH_CHECK_SCREEN_LIVE_SCREEN_H_
#define PADWATCH_CHECK_SCREEN_LIVE_SCREEN_H_

// Runs the live screen until 'q', Ctrl+C or SIGTERM (stopRequested), then
// leaves the terminal as it was. With demo, on controllers that move on
// their own. Returns the exit status.
int RunLiveScreen(bool demo, bool (*stopRequested)());

#endif  // PADWATCH_CHECK_SCREEN_LIVE_SCREEN_H_
