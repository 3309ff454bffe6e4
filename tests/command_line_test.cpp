// The companions answer their command line alike: --help and --version on
// standard output, a usage error as one line on standard error with status
// 2, anything from the command line shown safe to print.
#include "support/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/process.h"

namespace {

struct Companion {
  const char* binary;
  const char* name;
  const char* usage;
};

const Companion kCompanions[] = {
    {PADWATCH_REPLAY_BINARY, "padwatch-replay", "usage: padwatch-replay [--realtime] FILE"},
    {PADWATCH_DEMO_BINARY, "padwatch-demo", "usage: padwatch-demo [--no-delay]"},
    {PADWATCH_CHECK_BINARY, "padwatch-check",
     "usage: padwatch-check [--demo] [--once [--json] | --rate SECONDS [--json] | --rumble | "
     "--test [--slot N] [--compare FILE] [--picture FILE] [--json] | --record FILE [--seconds N] | "
     "--doctor [--json]]"},
};

class CommandLineTest : public ::testing::TestWithParam<Companion> {
 protected:
  ProcessResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), GetParam().binary);
    return RunProcess(args, {});
  }
};

TEST_P(CommandLineTest, HelpStartsWithTheUsageLine) {
  const ProcessResult result = Run({"--help"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out.rfind(std::string(GetParam().usage) + "\n", 0), 0u) << result.out;
  EXPECT_EQ(result.err, "");
}

TEST_P(CommandLineTest, VersionIsNameAndNumber) {
  const ProcessResult result = Run({"--version"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, std::string(GetParam().name) + " " PADWATCH_VERSION "\n");
}

TEST_P(CommandLineTest, UnknownOptionIsOneLineShownSafely) {
  const ProcessResult result = Run({"--\x1b]0;pwned\x07"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, std::string(GetParam().name) + ": unknown option '--\\x1b]0;pwned\\x07' (" +
                            GetParam().usage + ")\n");
}

TEST_P(CommandLineTest, HelpToAFullDeviceFails) {
  const ProcessResult result =
      RunProcess({"/bin/sh", "-c", "exec \"$0\" --help >/dev/full", GetParam().binary}, {});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("cannot write to standard output"), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(Companions, CommandLineTest, ::testing::ValuesIn(kCompanions),
                         [](const ::testing::TestParamInfo<Companion>& info) {
                           std::string name = info.param.name;
                           return name.substr(name.find('-') + 1);
                         });

TEST(ReplayCommandLineTest, WantsExactlyOneFile) {
  ProcessResult result = RunProcess({PADWATCH_REPLAY_BINARY}, {});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err,
            "padwatch-replay: no FILE given (usage: padwatch-replay [--realtime] FILE)\n");
  result = RunProcess({PADWATCH_REPLAY_BINARY, "a", "b"}, {});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err,
            "padwatch-replay: one FILE only, not 2 (usage: padwatch-replay [--realtime] FILE)\n");
}

}  // namespace
