#include "platform/scripted/scripted_xinput.h"

#include <gtest/gtest.h>

namespace {

class ScriptedXInputTest : public ::testing::Test {
 protected:
  void SetUp() override { scripted::Reset(); }
};

TEST_F(ScriptedXInputTest, AnswersLikeTheRealFunction) {
  XINPUT_STATE state{};
  EXPECT_EQ(XInputGetState(0, &state), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_EQ(XInputGetState(4, &state), static_cast<DWORD>(ERROR_BAD_ARGUMENTS));
  EXPECT_EQ(XInputGetState(0xFFFFFFFFu, &state), static_cast<DWORD>(ERROR_BAD_ARGUMENTS));
  scripted::Plug(0);
  EXPECT_EQ(XInputGetState(0, nullptr), static_cast<DWORD>(ERROR_BAD_ARGUMENTS));
  EXPECT_EQ(XInputGetState(0, &state), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(ScriptedXInputTest, CopiesTheReadingAndCountsItsChanges) {
  XINPUT_GAMEPAD pad{};
  pad.wButtons = XINPUT_GAMEPAD_Y | XINPUT_GAMEPAD_DPAD_LEFT;
  pad.bLeftTrigger = 255;
  pad.sThumbLX = -32768;
  pad.sThumbRY = 32767;
  scripted::Plug(2);
  scripted::SetGamepad(2, pad);
  XINPUT_STATE state{};
  ASSERT_EQ(XInputGetState(2, &state), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(state.Gamepad.wButtons, pad.wButtons);
  EXPECT_EQ(state.Gamepad.bLeftTrigger, 255);
  EXPECT_EQ(state.Gamepad.sThumbLX, -32768);
  EXPECT_EQ(state.Gamepad.sThumbRY, 32767);
  EXPECT_EQ(state.dwPacketNumber, 1u);

  scripted::SetGamepad(2, pad);  // unchanged: same packet
  EXPECT_EQ(scripted::PacketNumber(2), 1u);
  scripted::Press(2, XINPUT_GAMEPAD_A);
  EXPECT_EQ(scripted::PacketNumber(2), 2u);
  scripted::Release(2, XINPUT_GAMEPAD_A);
  EXPECT_EQ(scripted::PacketNumber(2), 3u);
}

TEST_F(ScriptedXInputTest, UnplugClearsTheReadingToRest) {
  scripted::Plug(1);
  scripted::Press(1, XINPUT_GAMEPAD_START);
  scripted::Unplug(1);
  EXPECT_FALSE(scripted::IsPlugged(1));
  EXPECT_EQ(scripted::Gamepad(1).wButtons, 0);
  XINPUT_STATE state{};
  EXPECT_EQ(XInputGetState(1, &state), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
}

}  // namespace
