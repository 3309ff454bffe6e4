#include "input/controller_manager.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/scripted/scripted_xinput.h"
#include "tests/stdout_capture.h"

namespace {

class ControllerManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { scripted::Reset(); }
  StdoutCapture out;
};

TEST_F(ControllerManagerTest, ConstructionInitialisesComOnceAndWritesNothing) {
  ControllerManager manager;
#ifndef _WIN32
  EXPECT_EQ(scripted::CoInitializeCalls(), 1u);
#endif
  EXPECT_EQ(manager.ConnectedCount(), 0);
  EXPECT_EQ(manager.LastReportedCount(), 0);
  for (std::uint32_t slot = 0; slot < kSlotCount; ++slot) {
    EXPECT_FALSE(manager.IsConnected(slot));
    EXPECT_FALSE(manager.IsReported(slot));
    const ControllerRecord& record = manager.Record(slot);
    EXPECT_EQ(record.a.phase, InputPhase::Up);
    EXPECT_EQ(record.rightTrigger.value, 0.0f);
  }
  EXPECT_EQ(out.Take(), "");
}

TEST_F(ControllerManagerTest, EveryPollQueriesAllFourSlots) {
  ControllerManager manager;
  scripted::Plug(1);
  manager.Poll();
  manager.Poll();
  EXPECT_EQ(scripted::GetStateCalls(), 8u);
}

TEST_F(ControllerManagerTest, DestructionUnsubscribesSilently) {
  { ControllerManager manager; }
  EXPECT_EQ(out.Take(), "");
}

TEST_F(ControllerManagerTest, FlagsAndCountsFollowTheSlotsAndTheReports) {
  ControllerManager manager;
  scripted::Plug(0);
  scripted::Plug(2);
  manager.Poll();
  EXPECT_EQ(manager.ConnectedCount(), 2);
  EXPECT_EQ(manager.LastReportedCount(), 2);
  EXPECT_TRUE(manager.IsConnected(0) && manager.IsReported(0));
  EXPECT_FALSE(manager.IsConnected(1) || manager.IsReported(1));
  EXPECT_TRUE(manager.IsConnected(2) && manager.IsReported(2));

  // A swap keeps the count, so the announced state stays behind.
  scripted::Unplug(0);
  scripted::Plug(1);
  manager.Poll();
  EXPECT_EQ(manager.ConnectedCount(), 2);
  EXPECT_FALSE(manager.IsConnected(0));
  EXPECT_TRUE(manager.IsReported(0));
  EXPECT_TRUE(manager.IsConnected(1));
  EXPECT_FALSE(manager.IsReported(1));
  EXPECT_EQ(out.Take(), "Controller connected!\nController connected!\n Connected Devices: 2\n");
}

TEST_F(ControllerManagerTest, ReportRunsOnlyWhenTheCountDiffersFromTheLastReport) {
  ControllerManager manager;
  manager.ReportConnectionChanges();  // called directly, it always writes the count
  EXPECT_EQ(out.Take(), " Connected Devices: 0\n");
  for (int i = 0; i < 10; ++i) manager.Poll();
  EXPECT_EQ(out.Take(), "");
}

TEST_F(ControllerManagerTest, UpdateSlotOutOfRangeThrowsBeforeAnyChange) {
  ControllerManager manager;
  EXPECT_THROW(manager.UpdateSlot(4), std::out_of_range);
  EXPECT_THROW(manager.UpdateSlot(65535), std::out_of_range);
  for (std::uint32_t slot = 0; slot < kSlotCount; ++slot) EXPECT_FALSE(manager.IsConnected(slot));
  EXPECT_EQ(out.Take(), "");
}

TEST_F(ControllerManagerTest, PhasesFollowTheCycleAndAxisValuesResetOnRelease) {
  ControllerManager manager;
  scripted::Plug(0);
  XINPUT_GAMEPAD pad{};
  pad.wButtons = XINPUT_GAMEPAD_LEFT_SHOULDER;
  pad.sThumbRY = -32768;
  scripted::SetGamepad(0, pad);
  manager.Poll();
  EXPECT_EQ(manager.Record(0).lb.phase, InputPhase::Pressed);
  EXPECT_EQ(manager.Record(0).rightStickY.phase, InputPhase::Pressed);
  EXPECT_EQ(manager.Record(0).rightStickY.value, -1.0f);
  manager.Poll();
  EXPECT_EQ(manager.Record(0).lb.phase, InputPhase::Down);
  EXPECT_EQ(manager.Record(0).rightStickY.phase, InputPhase::Down);
  scripted::SetGamepad(0, XINPUT_GAMEPAD{});
  manager.Poll();
  EXPECT_EQ(manager.Record(0).lb.phase, InputPhase::Released);
  EXPECT_EQ(manager.Record(0).rightStickY.phase, InputPhase::Released);
  EXPECT_EQ(manager.Record(0).rightStickY.value, 0.0f);
  manager.Poll();
  EXPECT_EQ(manager.Record(0).lb.phase, InputPhase::Up);
  EXPECT_EQ(manager.Record(0).rightStickY.phase, InputPhase::Up);
}

TEST_F(ControllerManagerTest, UnansweredSlotsKeepTheirPhases) {
  ControllerManager manager;
  scripted::Plug(3);
  scripted::Press(3, XINPUT_GAMEPAD_B);
  manager.Poll();
  manager.Poll();
  scripted::Unplug(3);
  for (int i = 0; i < 5; ++i) manager.Poll();
  EXPECT_EQ(manager.Record(3).b.phase, InputPhase::Down);
}

TEST_F(ControllerManagerTest, ConnectedFlagIsSetBeforeTheFirstLineOfTheSlot) {
  // The press line is written from inside UpdateSlot; by then the slot must
  // already count as connected.
  ControllerManager manager;
  scripted::Plug(1);
  scripted::Press(1, XINPUT_GAMEPAD_A);
  manager.Poll();
  EXPECT_TRUE(manager.IsConnected(1));
  EXPECT_EQ(out.Take(),
            "Button [A] pressed on Device: 1\nController connected!\n Connected Devices: 1\n");
}

}  // namespace
