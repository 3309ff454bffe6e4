// Recordings of scripted controllers: every golden scenario, recorded as
// padwatch-check --record records it, plays back to the golden output byte
// for byte, and recording the playback gives the same recording.
#include "check/record/recorder.h"

#include <gtest/gtest.h>

#include "app/application.h"
#include "platform/scripted/scripted_xinput.h"
#include "replay/scenario_player.h"
#include "tests/stdout_capture.h"
#include "tests/test_files.h"

namespace {
Scenario Parse(const std::string& text) {
  Scenario scenario;
  std::size_t errorLine = 0;
  std::string error;
  EXPECT_TRUE(ParseScenario(text, &scenario, &errorLine, &error))
      << "line " << errorLine << ": " << error;
  return scenario;
}

// Plays text on the scripted platform with the recorder polling where
// padwatch would, 4 ms apart; returns the recording.
std::string Record(const std::string& text) {
  scripted::Reset();
  Recorder recorder;
  std::string recording = Recorder::kHeader;
  std::uint64_t ms = 0;
  PlayPolls(Parse(text), [&] {
    recording += recorder.Poll(ms);
    ms += 4;
  });
  return recording + recorder.Finish();
}

std::string Play(const std::string& text) {
  scripted::Reset();
  StdoutCapture out;
  Application application;
  PlayScenario(Parse(text), application);
  application.Stop();
  return out.Take();
}
class RecorderTest : public ::testing::TestWithParam<std::string> {};

TEST_P(RecorderTest, PlaysBackAsTheSessionAndRecordsAgainTheSame) {
  const std::string base = std::string(PADWATCH_GOLDEN_DIR) + "/" + GetParam();
  const std::string recording = Record(ReadFile(base + ".scn"));
  EXPECT_EQ(Play(recording), ReadFile(base + ".out")) << recording;
  EXPECT_EQ(Record(recording), recording);
}

INSTANTIATE_TEST_SUITE_P(Golden, RecorderTest,
                         ::testing::ValuesIn(ScenarioNames(PADWATCH_GOLDEN_DIR)),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

TEST(RecorderFormTest, ChangesAfterTheirTimeAndThePollsBetween) {
  const std::string recording = Record(
      "poll 2\nname 1 Pad\\x1b\nplug 1\npress 1 A B\nset 1 lx 9000\npoll 3\nrelease 1 A\n"
      "set 1 lx 0 lt 40\npoll\nunplug 1\npoll 2\n");
  EXPECT_EQ(recording, std::string(Recorder::kHeader) +
                           "poll 2\n"
                           "at 8\n"
                           "name 1 Pad\\x1b\n"
                           "subtype 1 gamepad\n"
                           "wireless 1 no\n"
                           "vibration 1 yes\n"
                           "battery 1 wired\n"
                           "plug 1\n"
                           "press 1 A B\n"
                           "set 1 lx 9000\n"
                           "poll 3\n"
                           "at 20\n"
                           "release 1 A\n"
                           "set 1 lx 0 lt 40\n"
                           "poll 1\n"
                           "at 24\n"
                           "unplug 1\n"
                           "poll 2\n");
}

}  // namespace
