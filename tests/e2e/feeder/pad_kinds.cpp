#include "tests/e2e/feeder/pad_kinds.h"

#include <linux/input.h>

#include "tests/e2e/feeder/ds4_reports.h"
#include "tests/e2e/feeder/dualsense_reports.h"
#include "tests/e2e/feeder/switch_pro_reports.h"

namespace {

// From the drivers' sources: xpad for the Xbox pads (sticks reported with Y
// down-positive, D-pad as a hat), the PlayStation driver for the DualShock 4.
const std::vector<UinputAxis> kXpadSticks = {{ABS_X, -32768, 32767, 16, 128, 0},
                                             {ABS_Y, -32768, 32767, 16, 128, 0},
                                             {ABS_RX, -32768, 32767, 16, 128, 0},
                                             {ABS_RY, -32768, 32767, 16, 128, 0}};
const std::vector<int> kXpadKeys = {BTN_A,      BTN_B,      BTN_X,  BTN_Y,  BTN_START, BTN_SELECT,
                                    BTN_THUMBL, BTN_THUMBR, BTN_TL, BTN_TR, BTN_MODE};

std::vector<UinputAxis> With(std::vector<UinputAxis> axes, std::vector<UinputAxis> more) {
  axes.insert(axes.end(), more.begin(), more.end());
  return axes;
}

const UinputModel kX360 = {"Microsoft X-Box 360 pad",
                           0x045e,
                           0x028e,
                           0x0114,
                           kXpadKeys,
                           With(kXpadSticks, {{ABS_Z, 0, 255, 0, 0, 0},
                                              {ABS_RZ, 0, 255, 0, 0, 0},
                                              {ABS_HAT0X, -1, 1, 0, 0, 0},
                                              {ABS_HAT0Y, -1, 1, 0, 0, 0}}),
                           true};

const UinputModel kXone = {"Microsoft X-Box One S pad",
                           0x045e,
                           0x02ea,
                           0x0408,
                           kXpadKeys,
                           With(kXpadSticks, {{ABS_Z, 0, 1023, 0, 0, 0},
                                              {ABS_RZ, 0, 1023, 0, 0, 0},
                                              {ABS_HAT0X, -1, 1, 0, 0, 0},
                                              {ABS_HAT0Y, -1, 1, 0, 0, 0}}),
                           true};

const UinputModel kDs4 = {"Sony Interactive Entertainment Wireless Controller",
                          0x054c,
                          0x09cc,
                          0x8111,
                          {BTN_SOUTH, BTN_EAST, BTN_NORTH, BTN_WEST, BTN_TL, BTN_TR, BTN_TL2,
                           BTN_TR2, BTN_SELECT, BTN_START, BTN_MODE, BTN_THUMBL, BTN_THUMBR},
                          {{ABS_X, 0, 255, 0, 0, 128},
                           {ABS_Y, 0, 255, 0, 0, 128},
                           {ABS_Z, 0, 255, 0, 0, 0},
                           {ABS_RX, 0, 255, 0, 0, 128},
                           {ABS_RY, 0, 255, 0, 0, 128},
                           {ABS_RZ, 0, 255, 0, 0, 0},
                           {ABS_HAT0X, -1, 1, 0, 0, 0},
                           {ABS_HAT0Y, -1, 1, 0, 0, 0}},
                          true};

// Made up: no entry in SDL's database can match it.
const UinputModel kUnknown = {"padwatch test gamepad",
                              0x1234,
                              0x5678,
                              0x0001,
                              {BTN_SOUTH, BTN_EAST, BTN_NORTH, BTN_WEST, BTN_TL, BTN_TR, BTN_SELECT,
                               BTN_START, BTN_MODE, BTN_THUMBL, BTN_THUMBR},
                              {{ABS_X, -32768, 32767, 0, 0, 0},
                               {ABS_Y, -32768, 32767, 0, 0, 0},
                               {ABS_RX, -32768, 32767, 0, 0, 0},
                               {ABS_RY, -32768, 32767, 0, 0, 0},
                               {ABS_Z, 0, 255, 0, 0, 0},
                               {ABS_RZ, 0, 255, 0, 0, 0},
                               {ABS_HAT0X, -1, 1, 0, 0, 0},
                               {ABS_HAT0Y, -1, 1, 0, 0, 0}}};

// Made up too, and a flight stick: no A or B button, so SDL makes no
// mapping of its own and sees a joystick, not a game controller.
const UinputModel kStick = {
    "padwatch test joystick",
    0x1234,
    0x5679,
    0x0001,
    {BTN_TRIGGER, BTN_THUMB, BTN_THUMB2, BTN_TOP},
    {{ABS_X, -512, 511, 0, 0, 0}, {ABS_Y, -512, 511, 0, 0, 0}, {ABS_THROTTLE, 0, 255, 0, 0, 0}}};

// The version each uhid pad is created with: the drivers add 0x8000 for
// their own layout, and 0x8111 is the version SDL's database maps that
// layout under (with 0x8100 the DualShock 4's buttons come out wrong).
constexpr std::uint16_t kUhidVersion = 0x0111;

const UhidModel kDs4Hid = {
    "Sony Interactive Entertainment Wireless Controller",
    0x054c,
    0x09cc,
    kUhidVersion,
    ds4::ReportDescriptor,
    ds4::InputReport,
    ds4::FeatureReport,
    [](const std::uint8_t* data, int size) { return ds4::Describe(ds4::ParseOutput(data, size)); },
    nullptr};

const UhidModel kDualSenseHid = {"Sony Interactive Entertainment DualSense Wireless Controller",
                                 0x054c,
                                 0x0ce6,
                                 kUhidVersion,
                                 dualsense::ReportDescriptor,
                                 dualsense::InputReport,
                                 dualsense::FeatureReport,
                                 dualsense::DescribeOutput,
                                 nullptr};

// No feature reports: hid-nintendo asks through output reports instead.
const UhidModel kSwitchProHid = {
    "Nintendo Co., Ltd. Pro Controller",
    0x057e,
    0x2009,
    kUhidVersion,
    switch_pro::ReportDescriptor,
    switch_pro::InputReport,
    [](std::uint8_t, const std::array<std::uint8_t, 6>&) { return std::vector<std::uint8_t>(); },
    switch_pro::DescribeOutput,
    switch_pro::Replies};

const PadKind kKinds[] = {
    {"x360", Way::kUinput, &kX360, nullptr},
    {"xone", Way::kUinput, &kXone, nullptr},
    {"ds4", Way::kUinput, &kDs4, nullptr},
    {"unknown", Way::kUinput, &kUnknown, nullptr},
    {"stick", Way::kUinput, &kStick, nullptr},
    {"ds4hid", Way::kUhid, nullptr, &kDs4Hid},              // bound by hid-sony
    {"dualsensehid", Way::kUhid, nullptr, &kDualSenseHid},  // hid-playstation
    {"switchprohid", Way::kUhid, nullptr, &kSwitchProHid},  // hid-nintendo
    {"x360usb", Way::kUsb, nullptr, nullptr},               // xpad, on the guest's gadget
};

}  // namespace

const PadKind* FindPadKind(const std::string& name) {
  for (const PadKind& kind : kKinds) {
    if (name == kind.name) return &kind;
  }
  return nullptr;
}
