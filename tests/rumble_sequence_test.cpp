// padwatch-check --rumble on scripted controllers.
#include "check/probe/rumble_sequence.h"
#include "check/report/rumble_report.h"

#include <gtest/gtest.h>

#include "platform/scripted/scripted_xinput.h"

namespace {

bool stopNow = false;
bool StopNow() { return stopNow; }

TEST(RumbleTest, RunsEachMotorOfEachPadAndStopsThem) {
  scripted::Reset();
  scripted::Plug(0);
  scripted::Plug(2);
  scripted::SetVibrationSupported(2, false);
  const RumbleResults results = RunRumble(std::chrono::milliseconds(1));
  EXPECT_EQ(FormatRumbleText(results),
            "Slot 0: low-frequency motor accepted, high-frequency motor accepted\n"
            "Slot 1: empty\n"
            "Slot 2: vibration not supported\n"
            "Slot 3: empty\n");
  EXPECT_EQ(scripted::SetStateCalls(), 3u);  // low, high, off
  EXPECT_EQ(scripted::Vibration(0).wLeftMotorSpeed, 0);
  EXPECT_EQ(scripted::Vibration(0).wRightMotorSpeed, 0);
}

// The health check runs the motors of the pad it tests, and no other's.
TEST(RumbleTest, OneSlotOnlyLeavesTheOtherPadsStill) {
  scripted::Reset();
  scripted::Plug(0);
  scripted::Plug(2);
  const RumbleResults results = RunRumble(std::chrono::milliseconds(1), nullptr, 2);
  EXPECT_EQ(results[0].lowFrequency, MotorResult::kNotTried);
  EXPECT_EQ(results[2].lowFrequency, MotorResult::kAccepted);
  EXPECT_EQ(results[2].highFrequency, MotorResult::kAccepted);
  EXPECT_EQ(scripted::SetStateCalls(), 3u);  // slot 2's low, high, off
}

// A pad that refuses (or never answers) a start gets no stop after it: a
// pad that does not answer would hold that request as long again.
TEST(RumbleTest, ARefusedStartIsNotFollowedByAStop) {
  scripted::Reset();
  scripted::Plug(1);
  RumbleSequence sequence(std::chrono::milliseconds(1));
  sequence.Find();
  scripted::Unplug(1);
  while (sequence.Advance(RumbleSequence::Clock::now())) {
  }
  sequence.Stop();
  EXPECT_EQ(sequence.Results()[1].lowFrequency, MotorResult::kRejected);
  EXPECT_EQ(sequence.Results()[1].highFrequency, MotorResult::kRejected);
  EXPECT_EQ(scripted::SetStateCalls(), 2u);  // low and high, no stop
}

TEST(RumbleTest, AStopLeavesTheMotorsOffAndSaysWhatWasNotTried) {
  scripted::Reset();
  scripted::Plug(1);
  stopNow = true;
  RumbleResults results = RunRumble(std::chrono::milliseconds(1), StopNow);
  EXPECT_EQ(FormatRumbleText(results),
            "Slot 0: empty\n"
            "Slot 1: low-frequency motor not tried (stopped), high-frequency motor not tried "
            "(stopped)\n"
            "Slot 2: empty\n"
            "Slot 3: empty\n");
  EXPECT_EQ(scripted::SetStateCalls(), 0u);
  stopNow = false;
}

}  // namespace
