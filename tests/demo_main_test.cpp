// padwatch-demo: its whole session through the SDL layer, byte for byte.
#include <gtest/gtest.h>

#include <signal.h>

#include <fstream>
#include <string>

#include "tests/process.h"

namespace {

TEST(DemoMainTest, PlaysItsSessionAndExitsZero) {
  std::ifstream in(std::string(PADWATCH_GOLDEN_DIR) + "/demo.out", std::ios::binary);
  const std::string expected((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  const ProcessResult result = RunProcess({PADWATCH_DEMO_BINARY, "--no-delay"}, {});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, expected);
  EXPECT_NE(result.err.find("# the second controller is unplugged\n"), std::string::npos);
}

TEST(DemoMainTest, StopsCleanlyOnSigterm) {
  ProcessOptions options;
  options.signalAfterMs = 500;
  options.signalToSend = SIGTERM;
  const ProcessResult result = RunProcess({PADWATCH_DEMO_BINARY}, options);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_LT(result.elapsedMs - result.signalledAt, 1000);
}

// With its pauses the session takes five seconds; a failed output ends it
// at the first line instead.
TEST(DemoMainTest, FullOutputIsReportedAtOnce) {
  ProcessOptions options;
  options.stdoutTarget = StdoutTarget::kDevFull;
  const ProcessResult result = RunProcess({PADWATCH_DEMO_BINARY}, options);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_LT(result.elapsedMs, 2500);
  EXPECT_NE(
      result.err.find("padwatch-demo: cannot write to standard output: No space left on device\n"),
      std::string::npos);
}

}  // namespace
