// padwatch's core on the SDL layer, driven through SDL virtual controllers.
#include "platform/sdl/sdl_xinput.h"
#include "platform/sdl/virtual_controller.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "input/controller_manager.h"
#include "platform/xinput.h"
#include "tests/stdout_capture.h"

namespace {

using VirtualPad = VirtualController;

class SdlXInputTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sdl_platform::Start()); }
  void TearDown() override {
    manager.reset();
    pads.clear();
    sdl_platform::Shutdown();
  }

  VirtualPad& Attach() {
    pads.push_back(std::make_unique<VirtualPad>());
    EXPECT_TRUE(pads.back()->Attach()) << SDL_GetError();
    return *pads.back();
  }
  // Builds the manager on first use, so that pads attached before it are
  // there on its first poll.
  std::string Poll(int polls = 1) {
    if (!manager) manager = std::make_unique<ControllerManager>();
    for (int i = 0; i < polls; ++i) manager->Poll();
    return out.Take();
  }

  StdoutCapture out;
  std::vector<std::unique_ptr<VirtualPad>> pads;
  std::unique_ptr<ControllerManager> manager;
};

TEST_F(SdlXInputTest, NoControllerWritesNothing) {
  EXPECT_EQ(Poll(10), "");
  XINPUT_STATE state{};
  EXPECT_EQ(XInputGetState(0, &state), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_EQ(XInputGetState(4, &state), static_cast<DWORD>(ERROR_BAD_ARGUMENTS));
  EXPECT_EQ(XInputGetState(0, nullptr), static_cast<DWORD>(ERROR_BAD_ARGUMENTS));
}

TEST_F(SdlXInputTest, ControllerArrivingWithAHeld) {
  VirtualPad& pad = Attach();
  pad.Button(SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_EQ(Poll(),
            "Button [A] pressed on Device: 0\nController connected!\n Connected Devices: 1\n");
  EXPECT_EQ(Poll(3), "");
  pad.Button(SDL_CONTROLLER_BUTTON_A, false);
  EXPECT_EQ(Poll(2), "Button [A] released: on Device: 0\n");
}

TEST_F(SdlXInputTest, EveryButtonByNameAndTheGuideButtonNotAtAll) {
  VirtualPad& pad = Attach();
  Poll();
  const struct {
    SDL_GameControllerButton button;
    const char* name;
  } buttons[] = {
      {SDL_CONTROLLER_BUTTON_A, "A"},
      {SDL_CONTROLLER_BUTTON_B, "B"},
      {SDL_CONTROLLER_BUTTON_X, "X"},
      {SDL_CONTROLLER_BUTTON_Y, "Y"},
      {SDL_CONTROLLER_BUTTON_BACK, "Back"},
      {SDL_CONTROLLER_BUTTON_START, "Start"},
      {SDL_CONTROLLER_BUTTON_LEFTSTICK, "L3"},
      {SDL_CONTROLLER_BUTTON_RIGHTSTICK, "R3"},
      {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, "LB"},
      {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, "RB"},
      {SDL_CONTROLLER_BUTTON_DPAD_UP, "Dpad Up"},
      {SDL_CONTROLLER_BUTTON_DPAD_DOWN, "Dpad Down"},
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, "Dpad Left"},
      {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "Dpad Right"},
  };
  for (const auto& b : buttons) {
    pad.Button(b.button, true);
    EXPECT_EQ(Poll(2), std::string("Button [") + b.name + "] pressed on Device: 0\n");
    pad.Button(b.button, false);
    EXPECT_EQ(Poll(2), std::string("Button [") + b.name + "] released: on Device: 0\n");
  }
  pad.Button(SDL_CONTROLLER_BUTTON_GUIDE, true);
  pad.Button(SDL_CONTROLLER_BUTTON_MISC1, true);
  EXPECT_EQ(Poll(2), "");
}

TEST_F(SdlXInputTest, StickAndTriggerEdges) {
  VirtualPad& pad = Attach();
  Poll();
  // At the dead zones: rest.
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 7849);
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -7849);
  pad.Axis(SDL_CONTROLLER_AXIS_RIGHTX, -8689);
  pad.Axis(SDL_CONTROLLER_AXIS_RIGHTY, 8689);
  EXPECT_EQ(Poll(2), "");
  // Full right and full up on the left stick; SDL's up is negative.
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
  EXPECT_EQ(Poll(),
            "Axis [Left Stick X] moved on device: 0\n"
            "Axis [Left Stick X] moved on device : 0 with value: 1.000000\n"
            "Axis [Left Stick Y] moved on device: 0\n"
            "Axis [Left Stick Y] moved on device : 0 with value: 1.000000\n");
  // Full left and full down.
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
  EXPECT_EQ(Poll(),
            "Axis [Left Stick X] moved on device : 0 with value: -1.000000\n"
            "Axis [Left Stick Y] moved on device : 0 with value: -1.000000\n");
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
  // One past the right stick's dead zone, and a trigger pulled all the way.
  pad.Axis(SDL_CONTROLLER_AXIS_RIGHTY, -8690);
  pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  EXPECT_EQ(Poll(),
            "Axis [Left Stick X] released on device: 0\n"
            "Axis [Left Stick Y] released on device: 0\n"
            "Axis [Right Stick Y] moved on device: 0\n"
            "Axis [Right Stick Y] moved on device : 0 with value: 0.265206\n"
            "Axis [Right Trigger] moved on device: 0\n"
            "Axis [Right Trigger] moved on device : 0 with value: 1.000000\n");
  pad.Axis(SDL_CONTROLLER_AXIS_RIGHTY, 0);
  pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  EXPECT_EQ(Poll(2),
            "Axis [Right Stick Y] released on device: 0\n"
            "Axis [Right Trigger] released on device: 0\n");
}

TEST_F(SdlXInputTest, ReadingsReachXInputExactly) {
  VirtualPad& pad = Attach();
  pad.Button(SDL_CONTROLLER_BUTTON_Y, true);
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  pad.Axis(SDL_CONTROLLER_AXIS_RIGHTX, -12345);
  pad.Axis(SDL_CONTROLLER_AXIS_RIGHTY, 12345);
  pad.Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
  XINPUT_STATE state{};
  ASSERT_EQ(XInputGetState(0, &state), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(state.Gamepad.wButtons, XINPUT_GAMEPAD_Y | XINPUT_GAMEPAD_DPAD_LEFT);
  EXPECT_EQ(state.Gamepad.sThumbRX, -12345);
  EXPECT_EQ(state.Gamepad.sThumbRY, -12345);
  EXPECT_EQ(state.Gamepad.bLeftTrigger, 255);
  EXPECT_EQ(state.Gamepad.bRightTrigger, 0);
  const DWORD packet = state.dwPacketNumber;
  ASSERT_EQ(XInputGetState(0, &state), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(state.dwPacketNumber, packet);  // unchanged reading, same packet
  pad.Button(SDL_CONTROLLER_BUTTON_Y, false);
  ASSERT_EQ(XInputGetState(0, &state), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_GT(state.dwPacketNumber, packet);
  EXPECT_EQ(state.Gamepad.wButtons, XINPUT_GAMEPAD_DPAD_LEFT);
}

TEST_F(SdlXInputTest, RemovalWithAButtonHeld) {
  VirtualPad& pad = Attach();
  pad.Button(SDL_CONTROLLER_BUTTON_B, true);
  EXPECT_EQ(Poll(2),
            "Button [B] pressed on Device: 0\nController connected!\n Connected Devices: 1\n");
  pad.Detach();
  EXPECT_EQ(Poll(3), "Controller disconnected!\n Connected Devices: 0\n");
  // The slot kept B down; the next controller there arrives at rest.
  Attach();
  EXPECT_EQ(Poll(),
            "Button [B] released: on Device: 0\nController connected!\n Connected Devices: 1\n");
}

TEST_F(SdlXInputTest, FifthControllerTakesTheFirstSlotThatFreesUp) {
  for (int i = 0; i < 5; ++i) Attach();
  EXPECT_EQ(Poll(2),
            "Controller connected!\nController connected!\nController connected!\n"
            "Controller connected!\n Connected Devices: 4\n");
  pads[1]->Detach();
  // The fifth moves into slot 1 in the same refresh, so the count never
  // changes and nothing is announced; its buttons now report slot 1.
  EXPECT_EQ(Poll(2), "");
  pads[4]->Button(SDL_CONTROLLER_BUTTON_X, true);
  pads[3]->Button(SDL_CONTROLLER_BUTTON_X, true);
  EXPECT_EQ(Poll(), "Button [X] pressed on Device: 1\nButton [X] pressed on Device: 3\n");
  pads[0]->Detach();
  EXPECT_EQ(Poll(), "Controller disconnected!\n Connected Devices: 3\n");
}

TEST_F(SdlXInputTest, RemovalAndArrivalInTheSamePass) {
  Attach();
  VirtualPad& second = Attach();
  EXPECT_EQ(Poll(), "Controller connected!\nController connected!\n Connected Devices: 2\n");
  pads[0]->Detach();
  VirtualPad& third = Attach();
  EXPECT_EQ(Poll(2), "");
  third.Button(SDL_CONTROLLER_BUTTON_START, true);
  second.Button(SDL_CONTROLLER_BUTTON_BACK, true);
  EXPECT_EQ(Poll(), "Button [Start] pressed on Device: 0\nButton [Back] pressed on Device: 1\n");
}

}  // namespace
