// The live screen's session on scripted controllers, on a clock of the
// test's own: when frames are due, how long answers stay, when the device is
// asked again, and the window the rate is counted over.
#include "check/screen/session.h"

#include <gtest/gtest.h>

#include "platform/scripted/scripted_xinput.h"

namespace {

using Clock = LiveSession::Clock;
using std::chrono::milliseconds;

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scripted::Reset();
    scripted::Plug(0);
  }
  // Moves slot 0's left stick to a new place: a new packet, a report.
  void Move() {
    XINPUT_GAMEPAD pad = scripted::Gamepad(0);
    pad.sThumbLX = static_cast<SHORT>(pad.sThumbLX + 100);
    scripted::SetGamepad(0, pad);
  }
  Clock::time_point At(int ms) const { return start + milliseconds(ms); }

  const Clock::time_point start = Clock::now();
  LiveSession session;
};

TEST_F(SessionTest, FramesAtMostSixtyASecondAndOnlyForAChange) {
  session.Poll(At(0));
  EXPECT_TRUE(session.FrameDue(At(0)));  // the first frame
  session.Frame(80, 24, false, At(0));
  session.Poll(At(5));
  EXPECT_FALSE(session.FrameDue(At(20)));  // nothing changed
  Move();
  session.Poll(At(10));
  EXPECT_FALSE(session.FrameDue(At(10)));  // too soon after the last frame
  EXPECT_TRUE(session.FrameDue(At(17)));
  session.Frame(80, 24, false, At(17));
  EXPECT_FALSE(session.FrameDue(At(900)));
  EXPECT_TRUE(session.FrameDue(At(1017)));  // the rates are redrawn every second
}

TEST_F(SessionTest, CountsTheReportsOfTheLastSecond) {
  session.Poll(At(0));
  for (int ms = 4; ms <= 1000; ms += 4) {
    Move();
    session.Poll(At(ms));
  }
  session.Frame(80, 24, false, At(1000));
  EXPECT_EQ(session.GetPanels()[0].rateHz, 250);
  // Half a second without a report: only the later half is still counted.
  session.Frame(80, 24, false, At(1502));
  EXPECT_EQ(session.GetPanels()[0].rateHz, 125);
  EXPECT_EQ(session.GetPanels()[1].rateHz, 0);
}

TEST_F(SessionTest, AsksTheDeviceAgainEveryTwoSeconds) {
  DeviceIdentity identity;
  identity.name = "First";
  scripted::SetIdentity(0, identity);
  session.Poll(At(0));
  identity.name = "Second";
  scripted::SetIdentity(0, identity);
  session.Poll(At(1900));
  EXPECT_EQ(session.GetPanels()[0].reading.identity.name, "First");
  session.Poll(At(2100));
  EXPECT_EQ(session.GetPanels()[0].reading.identity.name, "Second");
}

TEST_F(SessionTest, ShowsTheRumbleAnswerForFiveSeconds) {
  scripted::Plug(1);
  scripted::SetVibrationSupported(1, false);
  session.Poll(At(0));
  session.Key('r', At(0));
  EXPECT_EQ(session.GetPanels()[0].rumble, "rumble: running...");
  EXPECT_EQ(session.GetPanels()[1].rumble, "rumble: running...");
  EXPECT_EQ(session.GetPanels()[2].rumble, "");  // no pad, nothing to say
  session.Poll(At(600));                         // the low-frequency motor's half second is over
  session.Poll(At(1200));                        // and the high-frequency motor's
  EXPECT_EQ(session.GetPanels()[0].rumble, "rumble: low accepted, high accepted");
  EXPECT_EQ(session.GetPanels()[1].rumble, "rumble: no vibration");
  EXPECT_EQ(scripted::Vibration(0).wLeftMotorSpeed, 0);
  EXPECT_EQ(scripted::Vibration(0).wRightMotorSpeed, 0);
  session.Poll(At(6100));
  EXPECT_EQ(session.GetPanels()[0].rumble, "rumble: low accepted, high accepted");
  session.Poll(At(6300));
  EXPECT_EQ(session.GetPanels()[0].rumble, "");
}

TEST_F(SessionTest, ClearForgetsOutlinesAndOffsets) {
  session.Poll(At(0));
  XINPUT_GAMEPAD pad{};
  pad.sThumbLX = 32767;
  scripted::SetGamepad(0, pad);
  session.Poll(At(4));
  ASSERT_GT(session.GetPanels()[0].leftOutline.Reach(0), 0.9);
  ASSERT_TRUE(session.GetPanels()[0].reading.leftStick.Known());
  session.Key('c', At(5));
  EXPECT_EQ(session.GetPanels()[0].leftOutline.Reach(0), 0);
  EXPECT_FALSE(session.GetPanels()[0].reading.leftStick.Known());
}

}  // namespace
