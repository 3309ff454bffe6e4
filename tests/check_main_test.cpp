// padwatch-check as a program: its options, and stopping it. This machine
// has no controller, so every slot is empty.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

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
  EXPECT_EQ(result.err,
            std::string("padwatch-check: ") + GetParam().what +
                " (usage: padwatch-check [--demo] [--once [--json] | --rate SECONDS "
                "[--json] | --rumble | --test [--slot N] [--compare FILE] [--picture FILE] "
                "[--json] | --record FILE [--seconds N] | --doctor [--json]])\n");
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CheckUsageTest,
    ::testing::Values(
        BadArguments{"NoTerminal",
                     {},
                     "the live screen needs a terminal; --once prints a report "
                     "anywhere"},
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
        BadArguments{"TwoModes",
                     {"--once", "--rumble"},
                     "give one of --once, --rate, --rumble, --test, --record, --doctor"},
        BadArguments{"JsonWithRumble",
                     {"--rumble", "--json"},
                     "--json goes with --once, --rate, --test or --doctor"},
        BadArguments{
            "JsonAlone", {"--json"}, "--json goes with --once, --rate, --test or --doctor"},
        BadArguments{"JsonWithRecord",
                     {"--record", "-", "--json"},
                     "--json goes with --once, --rate, --test or --doctor"},
        BadArguments{
            "RecordWithoutFile", {"--record"}, "--record needs a FILE ('-' for standard output)"},
        BadArguments{"SecondsAlone", {"--seconds", "5"}, "--seconds goes with --record"},
        BadArguments{"SecondsTwice",
                     {"--record", "-", "--seconds", "5", "--seconds", "9"},
                     "--seconds is given twice"},
        BadArguments{"SecondsZero",
                     {"--record", "-", "--seconds", "0"},
                     "--seconds takes a whole number from 1 to 86400"},
        BadArguments{"SlotAlone", {"--slot", "1"}, "--slot goes with --test"},
        BadArguments{
            "SlotFour", {"--test", "--slot", "4"}, "--slot takes a slot number from 0 to 3"},
        BadArguments{"SlotMissing", {"--test", "--slot"}, "--slot takes a slot number from 0 to 3"},
        BadArguments{"CompareAlone", {"--compare", "old.json"}, "--compare goes with --test"},
        BadArguments{
            "PictureAlone", {"--once", "--picture", "a.svg"}, "--picture goes with --test"},
        BadArguments{"CompareMissing",
                     {"--test", "--compare"},
                     "--compare needs the FILE of an earlier card"}),
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

// A name and mapping of the demo's pads, given through SDL's environment
// as a device could give them: escape sequences, a byte that is not UTF-8,
// a C1 control and a right-to-left override.
const std::string kEvilName = "Evil\x1b]0;pwned\x07 Pad \xff\xc2\x9b\xe2\x80\xae";
const std::string kEvilConfig =
    "SDL_GAMECONTROLLERCONFIG=ff0000005669727475616c2043007601," + kEvilName +
    ",a:b0,b:b1,x:b2,y:b3,back:b4,guide:b5,start:b6,leftstick:b7,rightstick:b8,leftshoulder:b9,"
    "rightshoulder:b10,dpup:b11,dpdown:b12,dpleft:b13,dpright:b14,leftx:a0,lefty:a1,rightx:a2,"
    "righty:a3,lefttrigger:a4,righttrigger:a5,";

bool AllPrintableAscii(const std::string& text) {
  for (const char c : text) {
    if ((c < 0x20 || c > 0x7e) && c != '\n') return false;
  }
  return true;
}

TEST(CheckMainTest, DeviceStringsNeverReachTheOutputRaw) {
  ProcessResult result = RunProcess({"/usr/bin/env", kEvilConfig, kCheck, "--demo", "--once"}, {});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(AllPrintableAscii(result.out)) << result.out;
  EXPECT_NE(result.out.find("  Name:     Evil\\x1b]0;pwned\\x07 Pad \\xff\\u009b\\u202e\n"),
            std::string::npos)
      << result.out;

  result = RunProcess({"/usr/bin/env", kEvilConfig, kCheck, "--demo", "--once", "--json"}, {});
  EXPECT_EQ(result.exitCode, 0) << result.err;  // was an abort on the invalid UTF-8
  EXPECT_TRUE(AllPrintableAscii(result.out)) << result.out;
  EXPECT_NE(result.out.find("\"name\": \"Evil\\u001b]0;pwned\\u0007 Pad \\ufffd\\u009b\\u202e\""),
            std::string::npos)
      << result.out;
}

// Every mode works on the demo's pads, for trying it without a controller.
TEST(CheckMainTest, DemoWorksWithEveryMode) {
  ProcessResult result = RunProcess({kCheck, "--demo", "--rate", "1"}, {});
  EXPECT_EQ(result.exitCode, 0);
  // Measured, not judged: how regular the rate is depends on the machine's load.
  EXPECT_NE(result.out.find("Slot 0: "), std::string::npos);
  EXPECT_NE(result.out.find(" reports; interval min "), std::string::npos) << result.out;
  result = RunProcess({kCheck, "--demo", "--rumble"}, {});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(
      result.out.rfind("Slot 0: vibration not supported\nSlot 1: vibration not supported\n", 0), 0u)
      << result.out;
}

// The health check on the demo's pads, stopped in its second step: the card
// as JSON on standard output, the steps on standard error, and status 1 for
// what was not measured.
TEST(CheckMainTest, TestStoppedEarlyGivesTheCardSoFar) {
  ProcessOptions options;
  options.signalAfterMs = 6000;
  options.signalToSend = SIGTERM;
  const ProcessResult result = RunProcess({kCheck, "--demo", "--test", "--json"}, options);
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_EQ(result.out.rfind("{\n  \"tool\": \"padwatch-check\",\n  \"report\": \"health\",", 0),
            0u)
      << result.out;
  EXPECT_NE(result.out.find("\"check\": \"buttons\",\n      \"verdict\": \"not measured\""),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.err.find("Step 1 of 7, rest: Hands off the controller"), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("Step 2 of 7, left stick: "), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("Stopped; the card says what was not measured."), std::string::npos)
      << result.err;
}

// The demo's first pad does every step by itself: it rests (drifting),
// turns both sticks, pulls both triggers, presses every button; the picture
// is drawn, and a later card is compared with this one.
TEST(CheckMainTest, TestOnTheDemoPadDoesEveryStepByItself) {
  const std::string card = ::testing::TempDir() + "/demo-card.json";
  const std::string picture = ::testing::TempDir() + "/demo-card.svg";
  ProcessOptions options;
  options.timeoutMs = 60000;
  ProcessResult result =
      RunProcess({kCheck, "--demo", "--test", "--json", "--picture", picture}, options);
  EXPECT_EQ(result.exitCode, 1) << result.err;  // its left stick turns during the rest step
  for (const char* step :
       {"rest", "left stick", "right stick", "left trigger", "right trigger", "buttons"}) {
    EXPECT_NE(result.out.find(std::string("\"step\": \"") + step +
                              "\",\n      \"started\": true,\n      \"done\": true"),
              std::string::npos)
        << step << "\n"
        << result.out;
  }
  std::ofstream(card) << result.out;
  std::ifstream drawn(picture);
  std::string head;
  std::getline(drawn, head);
  EXPECT_EQ(head, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");

  // Stopped at once, the new card is all "not measured", beside the old one.
  options.signalAfterMs = 1500;
  options.signalToSend = SIGINT;
  result = RunProcess({kCheck, "--demo", "--test", "--compare", card}, options);
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_NE(result.out.find("\nCompared with the earlier card:\n"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("  buttons "), std::string::npos) << result.out;
}

// An earlier card that cannot be read or is not one is said at once, with
// the usage error's status, before any step.
TEST(CheckMainTest, CompareWithWhatIsNotACardStopsBeforeTheSteps) {
  const std::string path = ::testing::TempDir() + "/not-a-card.json";
  std::ofstream(path) << "{\"tool\": \"padwatch-check\", \"report\": \"once\"}";
  ProcessResult result = RunProcess({kCheck, "--test", "--compare", path}, {});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "padwatch-check: cannot compare with " + path +
                            ": it is not a card from padwatch-check --test --json\n");
  result = RunProcess({kCheck, "--test", "--compare", path + ".missing"}, {});
  EXPECT_EQ(result.err,
            "padwatch-check: cannot compare with " + path + ".missing: it cannot be read\n");
}

// Stopped while it waits for a controller, --test has no picture to draw:
// one that was there stays as it was, and none is made.
TEST(CheckMainTest, TestStoppedBeforeAControllerLeavesThePictureAlone) {
  const std::string earlier = ::testing::TempDir() + "/earlier.svg";
  const std::string never = ::testing::TempDir() + "/never.svg";
  std::ofstream(earlier) << "<svg>an earlier check</svg>\n";
  std::remove(never.c_str());
  ProcessOptions options;
  options.signalAfterMs = 500;
  options.signalToSend = SIGINT;
  for (const std::string& path : {earlier, never}) {
    const ProcessResult result = RunProcess({kCheck, "--test", "--picture", path}, options);
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.out, "");
  }
  std::ifstream kept(earlier);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "<svg>an earlier check</svg>\n");
  EXPECT_FALSE(std::ifstream(never).is_open());
}

TEST(CheckMainTest, RateSaysAtOnceThatItWaitsForAController) {
  ProcessOptions options;
  options.signalAfterMs = 500;
  options.signalToSend = SIGINT;
  const ProcessResult result = RunProcess({kCheck, "--rate", "5"}, options);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.err.find("No controller is connected; waiting for one (Ctrl+C stops).\n"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find("Measuring"), std::string::npos) << result.err;
}

// A recording of the demo's pads plays back through padwatch-replay.
TEST(CheckRecordTest, RecordsAScenarioThatReplays) {
  const std::string path = ::testing::TempDir() + "/demo-recording.scn";
  ProcessResult result = RunProcess({kCheck, "--demo", "--record", path, "--seconds", "1"}, {});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  result = RunProcess({PADWATCH_REPLAY_BINARY, path}, {});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.rfind("Button [A] pressed on Device: 0\n", 0), 0u)
      << result.out.substr(0, 200);
  EXPECT_NE(
      result.out.find("Controller connected!\nController connected!\n Connected Devices: 2\n"),
      std::string::npos);
}

TEST(CheckRecordTest, SigtermLeavesACompleteFile) {
  ProcessOptions options;
  options.signalAfterMs = 700;
  options.signalToSend = SIGTERM;
  const ProcessResult result = RunProcess({kCheck, "--demo", "--record", "-"}, options);
  EXPECT_EQ(result.exitCode, 0);
  ASSERT_FALSE(result.out.empty());
  EXPECT_EQ(result.out.back(), '\n');
  const std::string last = result.out.substr(result.out.rfind('\n', result.out.size() - 2) + 1);
  EXPECT_EQ(last.rfind("poll ", 0), 0u) << last;
  ProcessOptions replay;
  replay.input = result.out;
  EXPECT_EQ(RunProcess({PADWATCH_REPLAY_BINARY, "-"}, replay).exitCode, 0);
}

// A FIFO nobody reads: the wait for a reader ends with --seconds or a stop,
// and either is a clean end with nothing recorded.
TEST(CheckRecordTest, AFifoWithNoReaderStillStops) {
  const std::string fifo = ::testing::TempDir() + "/no-reader.fifo";
  unlink(fifo.c_str());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ProcessOptions options;
  options.timeoutMs = 5000;
  ProcessResult result =
      RunProcess({kCheck, "--demo", "--record", fifo, "--seconds", "1"}, options);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_LT(result.elapsedMs, 3000);
  EXPECT_NE(result.err.find("Waiting for a reader of "), std::string::npos) << result.err;
  options.signalAfterMs = 300;
  options.signalToSend = SIGTERM;
  result = RunProcess({kCheck, "--demo", "--record", fifo}, options);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err.find("cannot write"), std::string::npos) << result.err;
  unlink(fifo.c_str());
}

TEST(CheckRecordTest, AFullOutputEndsItWithOneMessage) {
  ProcessOptions options;
  options.stdoutTarget = StdoutTarget::kDevFull;
  const ProcessResult result = RunProcess({kCheck, "--demo", "--record", "-"}, options);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err,
            "padwatch-check: cannot write to standard output: No space left on device\n");
}

TEST(CheckRecordTest, ReplayKeepsThePaceOnlyWhenAsked) {
  ProcessOptions options;
  options.input = "plug 0\nat 400\npress 0 A\npoll\n";
  ProcessResult result = RunProcess({PADWATCH_REPLAY_BINARY, "--realtime", "-"}, options);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_GE(result.elapsedMs, 400);
  EXPECT_EQ(result.out,
            "Button [A] pressed on Device: 0\nController connected!\n Connected Devices: 1\n");
  result = RunProcess({PADWATCH_REPLAY_BINARY, "-"}, options);
  EXPECT_EQ(result.out,
            "Button [A] pressed on Device: 0\nController connected!\n Connected Devices: 1\n");
}

}  // namespace
