// The padwatch program itself, on a machine with no controller.
#include <gtest/gtest.h>

#include <signal.h>

#include "tests/process.h"

namespace {

ProcessResult RunPadwatchThenSignal(int signal, std::vector<std::string> args = {}) {
  args.insert(args.begin(), PADWATCH_BINARY);
  ProcessOptions options;
  options.signalAfterMs = 1000;
  options.signalToSend = signal;
  options.timeoutMs = 10000;
  return RunProcess(args, options);
}

TEST(PadwatchTest, WithNoControllerWritesNothingAndStopsCleanlyOnSigint) {
  const ProcessResult result = RunPadwatchThenSignal(SIGINT);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "");
}

TEST(PadwatchTest, StopsCleanlyOnSigtermAndIgnoresArguments) {
  const ProcessResult result = RunPadwatchThenSignal(SIGTERM, {"--verbose", "extra"});
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "");
}

}  // namespace
