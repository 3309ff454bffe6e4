// padwatch-check as a program: its options, and stopping it. This machine
// has no controller, so every slot is empty.
#include <gtest/gtest.h>

#include <signal.h>

#include "tests/process.h"

namespace {

const std::string kCheck = PADWATCH_CHECK_BINARY;
const char kEmpty[] = "Slot 0: empty\nSlot 1: empty\nSlot 2: empty\nSlot 3: empty\n";

struct BadArguments {
  const char* name;
  std::vector<std::string> args;
  const char* what;
};

void PrintTo(const BadArguments& bad, std::ostream* out) { *out << bad.name; }

class CheckUsageTest : public ::testing::TestWithParam<BadArguments> {};

TEST_P(CheckUsageTest, OneLineOfUsageAndStatusTwo) {
  std::vector<std::string> argv = GetParam().args;
  argv.insert(argv.begin(), kCheck);
  const ProcessResult result = RunProcess(argv, {});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, std::string("padwatch-check: ") + GetParam().what +
                            " (usage: padwatch-check [--demo] | --once [--json] | --rate SECONDS "
                            "[--json] | --rumble)\n");
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CheckUsageTest,
    ::testing::Values(
        BadArguments{"NoTerminal",
                     {},
                     "the live screen needs a terminal; --once prints a report "
                     "anywhere"},
        BadArguments{"DemoWithOnce",
                     {"--demo", "--once"},
                     "--demo is for the live screen, without --once, --rate or --rumble"},
        BadArguments{"Unknown", {"--verbose"}, "unknown option '--verbose'"},
        BadArguments{"RateWithoutNumber", {"--rate"}, "--rate needs a number of seconds"},
        BadArguments{
            "RateZero", {"--rate", "0"}, "--rate takes a whole number of seconds from 1 to 600"},
        BadArguments{"RateTooLong",
                     {"--rate", "601"},
                     "--rate takes a whole number of seconds from 1 to 600"},
        BadArguments{"RateNotANumber",
                     {"--rate", "2s"},
                     "--rate takes a whole number of seconds from 1 to 600"},
        BadArguments{"TwoModes", {"--once", "--rumble"}, "give one of --once, --rate, --rumble"},
        BadArguments{"JsonWithRumble", {"--rumble", "--json"}, "--json goes with --once or --rate"},
        BadArguments{"JsonAlone", {"--json"}, "--json goes with --once or --rate"}),
    [](const ::testing::TestParamInfo<BadArguments>& info) { return info.param.name; });

TEST(CheckMainTest, OnceAndRumbleWithNoController) {
  ProcessResult result = RunProcess({kCheck, "--once"}, {});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, kEmpty);
  result = RunProcess({kCheck, "--rumble"}, {});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, kEmpty);
}

// JSON alone on standard output; the explanation goes to standard error.
TEST(CheckMainTest, RateStopsCleanlyOnSigtermAndPrintsWhatItMeasured) {
  ProcessOptions options;
  options.signalAfterMs = 700;
  options.signalToSend = SIGTERM;
  const ProcessResult result = RunProcess({kCheck, "--rate", "600", "--json"}, options);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_LT(result.elapsedMs - result.signalledAt, 1000);
  EXPECT_EQ(result.out.rfind("{\n  \"tool\": \"padwatch-check\",\n  \"seconds\": ", 0), 0u)
      << result.out;
  EXPECT_NE(result.err.find("keep a stick moving"), std::string::npos);
}

}  // namespace
