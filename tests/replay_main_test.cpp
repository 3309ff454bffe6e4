// padwatch-replay as a program: its output, messages and exit statuses.
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tests/process.h"

namespace {

const std::string kReplay = PADWATCH_REPLAY_BINARY;
const std::string kGolden = PADWATCH_GOLDEN_DIR;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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
            "padwatch-replay: cannot read /nonexistent/padwatch.scn: No such file or directory\n");

  result = RunProcess({kReplay, "/"}, {});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err, "padwatch-replay: cannot read /: Is a directory\n");
}

TEST(ReplayMainTest, WrongArgumentsPrintUsage) {
  ProcessResult result = RunProcess({kReplay}, {});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind("usage: padwatch-replay FILE\n", 0), 0u);

  result = RunProcess({kReplay, "a", "b"}, {});
  EXPECT_EQ(result.exitCode, 2);

  result = RunProcess({kReplay, "--help"}, {});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out.rfind("usage: padwatch-replay FILE\n", 0), 0u);
}

}  // namespace

namespace {

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

TEST(ReplayOutputTest, ErrorsOnlyMatterWhenSomethingIsWritten) {
  ProcessOptions options;
  options.input = "poll 1000\n";  // no controller: nothing to write
  options.stdoutTarget = StdoutTarget::kDevFull;
  const ProcessResult result = RunProcess({kReplay, "-"}, options);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "");
}

}  // namespace
