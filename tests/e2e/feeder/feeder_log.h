// The feeder's log on standard error: "PAD: what happened", one line per
// call, for the tests to compare with the expected driver logs.
#ifndef PADWATCH_TESTS_E2E_FEEDER_LOG_H_
#define PADWATCH_TESTS_E2E_FEEDER_LOG_H_

#include <cstdio>
#include <string>

// One write per line, so that lines from the pads' threads do not mix.
inline void FeederLog(const std::string& pad, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", pad.c_str(), text.c_str());
}

#endif  // PADWATCH_TESTS_E2E_FEEDER_LOG_H_
