// padwatch-check's reports through the SDL layer, on SDL's virtual
// controllers.
#include <SDL.h>
#include <gtest/gtest.h>

#include "check/probe/rumble_sequence.h"
#include "check/probe/slot_probe.h"
#include "check/report/once_report.h"
#include "check/report/rumble_report.h"
#include "platform/sdl/sdl_xinput.h"
#include "platform/sdl/virtual_controller.h"

namespace {

class CheckSdlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sdl_platform::Start());
    ASSERT_TRUE(pad.Attach()) << SDL_GetError();
  }
  void TearDown() override {
    pad.Detach();
    sdl_platform::Shutdown();
  }
  VirtualController pad;
};

TEST_F(CheckSdlTest, OnceFindsThePadWithItsName) {
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 1200);
  pad.Button(SDL_CONTROLLER_BUTTON_B, true);
  Slots slots = MakeSlots();
  SampleSlots(slots, std::chrono::milliseconds(0));
  ASSERT_TRUE(slots[0].connected);
  EXPECT_FALSE(slots[1].connected);
  const DeviceIdentity& identity = slots[0].identity;
  EXPECT_EQ(identity.name, SDL_GameControllerNameForIndex(0));
  EXPECT_EQ(identity.guid.size(), 32u);
  EXPECT_NE(identity.mapping.find(identity.guid), std::string::npos);
  const std::string text = FormatOnceText(slots);
  EXPECT_NE(text.find("  Name:     " + identity.name + "\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  Buttons:  B\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  Left stick rests at:  x 1200.0, y 0.0: 15.3% of the dead zone"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Slot 1: empty\n"), std::string::npos);
}

TEST_F(CheckSdlTest, RumbleReportsWhatSdlAnswers) {
  SDL_GameController* controller = SDL_GameControllerOpen(0);
  ASSERT_NE(controller, nullptr);
  const bool hasRumble = SDL_GameControllerHasRumble(controller) == SDL_TRUE;
  SDL_GameControllerClose(controller);
  const RumbleResults results = RunRumble(std::chrono::milliseconds(1));
  EXPECT_TRUE(results[0].connected);
  EXPECT_EQ(results[0].supported, hasRumble);
  EXPECT_EQ(FormatRumbleText(results).substr(0, 8 + 23),
            hasRumble ? "Slot 0: low-frequency motor acc" : "Slot 0: vibration not supported");
}

}  // namespace
