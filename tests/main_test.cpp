// The padwatch program itself, on a machine with no controller.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <string>

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

// SDL opens descriptors of its own; with standard input and error closed
// at start they must not become numbers 0 and 2.
TEST(PadwatchTest, HoldsClosedStandardDescriptorsWithDevNull) {
  ProcessOptions options;
  options.closeStdin = true;
  options.closeStderr = true;
  options.signalAfterMs = 1000;
  options.signalToSend = SIGINT;
  std::string targets[3];
  options.beforeSignal = [&targets](pid_t pid) {
    for (int fd = 0; fd < 3; ++fd) {
      const std::string link = "/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd);
      char target[256] = {};
      if (readlink(link.c_str(), target, sizeof(target) - 1) > 0) targets[fd] = target;
    }
  };
  const ProcessResult result = RunProcess({PADWATCH_BINARY}, options);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(targets[0], "/dev/null");
  EXPECT_EQ(targets[2], "/dev/null");
  EXPECT_NE(targets[1], "/dev/null");  // standard output was left alone
}

}  // namespace
