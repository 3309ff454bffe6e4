// Which of an event node's axes SDL reads as which joystick axis, and their
// names. (Reading real nodes is the end-to-end tests' part: through xpad,
// hid-sony, hid-playstation and hid-nintendo in the guest.)
#include "platform/linux/kernel_axes.h"

#include <gtest/gtest.h>
#include <linux/input.h>

namespace {

std::vector<KernelAxis> Axes(std::initializer_list<int> codes) {
  std::vector<KernelAxis> axes;
  for (int code : codes) axes.push_back({code, AbsoluteAxisName(code)});
  return axes;
}

int CodeOfSdlAxis(const std::vector<KernelAxis>& axes, int sdlAxis) {
  const int index = SdlAxisIndex(axes, sdlAxis);
  return index < 0 ? -1 : axes[index].code;
}

TEST(KernelAxesTest, SdlNumbersTheAxesInCodeOrderLeavingOutTheHats) {
  // xpad's and hid-sony's pads: sticks and triggers, then the D-pad's hat.
  const auto pad = Axes({ABS_X, ABS_Y, ABS_Z, ABS_RX, ABS_RY, ABS_RZ, ABS_HAT0X, ABS_HAT0Y});
  const struct {
    int sdlAxis;
    int code;
  } cases[] = {{0, ABS_X}, {2, ABS_Z}, {3, ABS_RX}, {5, ABS_RZ}, {6, -1}, {-1, -1}};
  for (const auto& c : cases) EXPECT_EQ(CodeOfSdlAxis(pad, c.sdlAxis), c.code) << c.sdlAxis;
  // Hats before an axis take no number from it.
  const auto hatsFirst = Axes({ABS_X, ABS_HAT0X, ABS_HAT0Y, ABS_HAT3Y, ABS_MISC});
  EXPECT_EQ(CodeOfSdlAxis(hatsFirst, 1), ABS_MISC);
  EXPECT_EQ(CodeOfSdlAxis({}, 0), -1);
}

TEST(KernelAxesTest, NamesAreTheKernelsOrTheCode) {
  const struct {
    int code;
    const char* name;
  } cases[] = {{ABS_X, "ABS_X"},       {ABS_RZ, "ABS_RZ"}, {ABS_HAT3Y, "ABS_HAT3Y"},
               {ABS_MISC, "ABS_MISC"}, {0x0b, "ABS_0x0b"}, {ABS_MT_SLOT, "ABS_0x2f"},
               {ABS_MAX, "ABS_0x3f"},  {-1, "ABS_0x3ff"}};
  for (const auto& c : cases) EXPECT_EQ(AbsoluteAxisName(c.code), c.name) << c.code;
}

TEST(KernelAxesTest, WhatIsNotAnEventNodeHasNoAxes) {
  EXPECT_TRUE(ReadKernelAxes("/nonexistent/event0").empty());
  EXPECT_TRUE(ReadKernelAxes("/dev/null").empty());
}

}  // namespace
