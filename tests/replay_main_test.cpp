// padwatch-replay as a program: its output, messages and exit statuses.
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tests/process.h"
#include "tests/test_files.h"

namespace {

const std::string kReplay = PADWATCH_REPLAY_BINARY;
const std::string kGolden = PADWATCH_GOLDEN_DIR;
TEST(ReplayMainTest, PrintsTheWorkedExampleFromAFile) {
  const ProcessResult result = RunProcess({kReplay, kGolden + "/worked_example.scn"}, {});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, ReadFile(kGolden + "/worked_example.out"));
  EXPECT_EQ(result.err, "");
}

TEST(ReplayMainTest, ReadsStandardInputForDash) {
  ProcessOptions options;
  options.input = ReadFile(kGolden + "/order.scn");
  const ProcessResult result = RunProcess({kReplay, "-"}, options);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, ReadFile(kGolden + "/order.out"));
}

TEST(ReplayMainTest, BadLineGetsOneMessageStatusTwoAndNoOutput) {
  ProcessOptions options;
  options.input = "plug 0\npoll\npress 0 A\nset 0 lt 300\npoll\n";
  const ProcessResult result = RunProcess({kReplay, "-"}, options);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "padwatch-replay: <stdin>:4: set: value for 'lt' must be 0 to 255, not '300'\n");
}

TEST(ReplayMainTest, ErrorNamesTheFile) {
  const std::string path = ::testing::TempDir() + "padwatch_bad.scn";
  { std::ofstream(path) << "poll\nplug 0 0\n"; }
  const ProcessResult result = RunProcess({kReplay, path}, {});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "padwatch-replay: " + path + ":2: plug: unexpected extra word '0'\n");
  std::remove(path.c_str());
}

TEST(ReplayMainTest, UnreadableFileIsAClearError) {
  ProcessResult result = RunProcess({kReplay, "/nonexistent/padwatch.scn"}, {});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "padwatch-replay: /nonexistent/padwatch.scn: cannot read: No such file or directory\n");

  result = RunProcess({kReplay, "/"}, {});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err, "padwatch-replay: /: cannot read: Is a directory\n");
}

struct HostileInput {
  const char* name;
  std::string input;
  std::string err;
};

void PrintTo(const HostileInput& input, std::ostream* out) { *out << input.name; }

const std::string kExpectedCommands =
    " (expected plug, unplug, press, release, set, poll, name, guid, mapping, ids, subtype, "
    "wireless, vibration, battery or at)\n";

class ReplayHostileInputTest : public ::testing::TestWithParam<HostileInput> {};

// Each gets one short, printable line on standard error and nothing else.
TEST_P(ReplayHostileInputTest, GetsOneShortHarmlessMessage) {
  ProcessOptions options;
  options.input = GetParam().input;
  const ProcessResult result = RunProcess({kReplay, "-"}, options);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ReplayHostileInputTest,
    ::testing::Values(
        HostileInput{
            "EscapeSequence", "foo\033[2J\n",
            "padwatch-replay: <stdin>:1: unknown command 'foo\\x1b[2J'" + kExpectedCommands},
        HostileInput{"LongWord", "plug 0\n" + std::string(3000, 'w') + "\n",
                     "padwatch-replay: <stdin>:2: unknown command '" + std::string(40, 'w') +
                         "...'" + kExpectedCommands},
        HostileInput{"LongLine", std::string(60000, ' ') + "poll\n",
                     "padwatch-replay: <stdin>:1: line is longer than 4096 bytes\n"},
        // The CR of a CRLF is not part of the line.
        HostileInput{"LongLineWithCrlf", std::string(4093, ' ') + "poll\r\n",
                     "padwatch-replay: <stdin>:1: line is longer than 4096 bytes\n"},
        // A pause of 292 million years, or a clock going back.
        HostileInput{"EndlessPause", "at 9223372036854775807\n",
                     "padwatch-replay: <stdin>:1: at: time must be at most "
                     "1099511627776 ms (about 34 years), not '9223372036854775807'\n"},
        HostileInput{"TimeGoingBack", "at 500\npoll\nat 499\npoll\n",
                     "padwatch-replay: <stdin>:3: at: time 499 is earlier than the "
                     "previous at (500)\n"},
        HostileInput{"CarriageReturnsOnly", "plug 0\rpoll\r",
                     "padwatch-replay: <stdin>:1: carriage return inside the line (lines must "
                     "end with LF or CRLF, not CR alone)\n"}),
    [](const ::testing::TestParamInfo<HostileInput>& info) { return info.param.name; });

TEST(ReplayMainTest, ALineOfTheLongestLengthMayEndWithCrlf) {
  ProcessOptions options;
  options.input = "plug 0\r\n" + std::string(4092, ' ') + "poll\r\n";
  const ProcessResult result = RunProcess({kReplay, "-"}, options);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Controller connected!\n Connected Devices: 1\n");
}

TEST(ReplayMainTest, IgnoresAByteOrderMark) {
  ProcessOptions options;
  options.input = "\xEF\xBB\xBFplug 0\r\npoll\r\n";
  const ProcessResult result = RunProcess({kReplay, "-"}, options);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "Controller connected!\n Connected Devices: 1\n");
  EXPECT_EQ(result.err, "");
}

// Binary input is refused at its first NUL, long before it could fill memory.
TEST(ReplayMainTest, EndlessBinaryInputIsRefusedWithinAMemoryLimit) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
  const ProcessResult result =
      RunProcess({"/bin/sh", "-c", "ulimit -v 200000 && exec \"$0\" /dev/zero", kReplay}, {});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "padwatch-replay: /dev/zero:1: line contains a NUL byte\n");
}

// Held inputs write a line on every poll, practically for ever.
const char kEndless[] = "plug 0\nset 0 lt 255\npoll 1000000000000\n";

TEST(ReplayOutputTest, ReaderGoingAwayEndsItAtOnceAndQuietly) {
  ProcessOptions options;
  options.input = kEndless;
  options.closeStdoutAfter = 1;  // like `| head -c 1`
  const ProcessResult result = RunProcess({kReplay, "-"}, options);
  EXPECT_EQ(result.signal, SIGPIPE);
  EXPECT_EQ(result.err, "");
  EXPECT_LT(result.elapsedMs - result.stdoutClosedAt, 2000);
}

TEST(ReplayOutputTest, ReaderGoingAwayWithSigpipeIgnoredExitsOneQuietly) {
  ProcessOptions options;
  options.input = kEndless;
  options.closeStdoutAfter = 1;
  options.ignoreSigpipe = true;
  const ProcessResult result = RunProcess({kReplay, "-"}, options);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "");
  EXPECT_LT(result.elapsedMs - result.stdoutClosedAt, 2000);
}

TEST(ReplayOutputTest, ClosedStandardOutputIsReportedOnce) {
  ProcessOptions options;
  options.input = kEndless;
  options.stdoutTarget = StdoutTarget::kClosed;
  const ProcessResult result = RunProcess({kReplay, "-"}, options);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "padwatch-replay: cannot write to standard output: Bad file descriptor\n");
}

TEST(ReplayOutputTest, FullDeviceIsReportedOnce) {
  ProcessOptions options;
  options.input = kEndless;
  options.stdoutTarget = StdoutTarget::kDevFull;
  const ProcessResult result = RunProcess({kReplay, "-"}, options);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err,
            "padwatch-replay: cannot write to standard output: No space left on device\n");
}

class ReplayStopTest : public ::testing::TestWithParam<int> {};

TEST_P(ReplayStopTest, StopsCleanlyWithinASecondWhenItsReaderHasStalled) {
  ProcessOptions options;
  options.input = kEndless;
  options.stdoutTarget = StdoutTarget::kStalledPipe;
  options.signalAfterMs = 500;
  options.signalToSend = GetParam();
  const ProcessResult result = RunProcess({kReplay, "-"}, options);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_LT(result.elapsedMs - result.signalledAt, 1000);
  // The pipe was full: what reached it is whole lines only.
  ASSERT_GT(result.out.size(), 4096u);
  EXPECT_EQ(result.out.back(), '\n');
  const std::string value = "Axis [Left Trigger] moved on device : 0 with value: 1.000000\n";
  const std::string count = " Connected Devices: 1\n";
  const std::size_t first = result.out.find(count) + count.size();
  EXPECT_EQ((result.out.size() - first) % value.size(), 0u);
}

TEST_P(ReplayStopTest, StopsCleanlyWhileWriting) {
  ProcessOptions options;
  options.input = kEndless;
  options.signalAfterMs = 300;
  options.signalToSend = GetParam();
  const ProcessResult result = RunProcess({kReplay, "-"}, options);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out.back(), '\n');
}

INSTANTIATE_TEST_SUITE_P(Signals, ReplayStopTest, ::testing::Values(SIGINT, SIGTERM));

// A parent may leave the pipe non-blocking; a slow reader then makes writes
// answer "try again", and every line must still arrive once, in order.
TEST(ReplayOutputTest, NonBlockingOutputToASlowReaderLosesNothing) {
  ProcessOptions options;
  options.input = "plug 0\nset 0 lt 255\npoll 20000\n";
  options.nonBlockingStdout = true;
  options.readPauseMs = 1;
  const ProcessResult result = RunProcess({kReplay, "-"}, options);
  const std::string value = "Axis [Left Trigger] moved on device : 0 with value: 1.000000\n";
  std::string expected = "Axis [Left Trigger] moved on device: 0\n" + value +
                         "Controller connected!\n Connected Devices: 1\n";
  for (int i = 1; i < 20000; ++i) expected += value;
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(result.out == expected) << result.out.size() << " bytes of " << expected.size();
}

TEST(ReplayOutputTest, ErrorsOnlyMatterWhenSomethingIsWritten) {
  ProcessOptions options;
  options.input = "poll 1000\n";  // no controller: nothing to write
  options.stdoutTarget = StdoutTarget::kDevFull;
  const ProcessResult result = RunProcess({kReplay, "-"}, options);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "");
}

}  // namespace
