// padwatch-check --once on scripted controllers: every scenario in
// check_golden/ gives its .txt and .json byte for byte.
#include "check/report/once_report.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

#include "check/probe/slot_probe.h"
#include "platform/scripted/scripted_xinput.h"
#include "replay/scenario_player.h"
#include "tests/test_files.h"

namespace {

const std::string kGoldenDir = PADWATCH_CHECK_GOLDEN_DIR;
// Plays the scenario with a poll of every slot for each poll of the
// scenario, as --once samples them, then reads the devices.
Slots Sample(const std::string& path) {
  Scenario scenario;
  std::size_t line = 0;
  std::string error;
  EXPECT_TRUE(ParseScenario(ReadFile(path), &scenario, &line, &error)) << line << ": " << error;
  scripted::Reset();
  Slots slots = MakeSlots();
  PlayPolls(scenario, [&slots] { PollSlots(slots); });
  ReadDevices(slots);
  return slots;
}
class OnceReportTest : public ::testing::TestWithParam<std::string> {};

TEST_P(OnceReportTest, TextAndJsonMatchByteForByte) {
  const std::string base = kGoldenDir + "/" + GetParam();
  const Slots slots = Sample(base + ".scn");
  EXPECT_EQ(FormatOnceText(slots), ReadFile(base + ".txt"));
  EXPECT_EQ(FormatOnceJson(slots), ReadFile(base + ".json"));
  if (std::getenv("PADWATCH_WRITE_GOLDEN") != nullptr) {
    std::ofstream(base + ".txt", std::ios::binary) << FormatOnceText(slots);
    std::ofstream(base + ".json", std::ios::binary) << FormatOnceJson(slots);
  }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, OnceReportTest, ::testing::ValuesIn(ScenarioNames(kGoldenDir)),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

// Where the platform knows the charge in percent (the kernel's power supply
// on Linux), it follows the level; a value outside 0..100 is not shown, and
// the charge word is shown escaped like any text from a device.
TEST(OnceReportTest, BatteryPercentFollowsTheLevel) {
  Slots slots = Sample(kGoldenDir + "/batteries.scn");
  SlotReading& slot = slots[1];  // other, level empty
  slot.identity.batteryPercent = 5;
  slot.identity.batteryCharge = "discharging";
  EXPECT_NE(FormatOnceText(slots).find("  Battery:  other, level empty (5%, discharging)\n"),
            std::string::npos);
  EXPECT_NE(FormatOnceJson(slots).find("\"percent\": 5,\n        \"charge\": \"discharging\""),
            std::string::npos);
  slot.identity.batteryCharge = "charging\x1b[2J";
  EXPECT_NE(FormatOnceText(slots).find("(5%, charging\\x1b[2J)\n"), std::string::npos);
  // A driver that gives a level but no percentage (hid-nintendo).
  slot.identity.batteryPercent = 101;
  slot.identity.batteryCharge = "discharging";
  EXPECT_NE(FormatOnceText(slots).find("  Battery:  other, level empty (discharging)\n"),
            std::string::npos);
  EXPECT_NE(FormatOnceJson(slots).find("\"percent\": null"), std::string::npos);
  slot.identity.batteryCharge.clear();
  EXPECT_NE(FormatOnceText(slots).find("  Battery:  other, level empty\n"), std::string::npos);
}

// Where SDL reads the pad through a kernel driver's event node, the filters
// the driver set are shown for every axis of the node.
TEST(OnceReportTest, KernelFiltersWhereADriversNodeIsRead) {
  Slots slots = Sample(kGoldenDir + "/at_rest.scn");
  slots[0].identity.kernelAxes = {{0, "ABS_X", -32768, 32767, 16, 128, 0},
                                  {2, "ABS_Z", 0, 255, 0, 0, 0}};
  EXPECT_NE(FormatOnceText(slots).find("  Right stick rests at: x 0.0, y 0.0: 0.0% of the dead "
                                       "zone (8689)\n  Filters:  fuzz/flat ABS_X 16/128, ABS_Z "
                                       "0/0\nSlot 1"),
            std::string::npos)
      << FormatOnceText(slots);
  const auto json = nlohmann::json::parse(FormatOnceJson(slots));
  EXPECT_EQ(json["slots"][0]["kernelAxes"][0],
            nlohmann::json::parse(R"({"name": "ABS_X", "minimum": -32768, "maximum": 32767,
                                      "fuzz": 16, "flat": 128, "resolution": 0})"));
  EXPECT_EQ(json["slots"][0]["kernelAxes"].size(), 2u);
}

// Where the pad's sensors were read, a line for its motion and one for the
// moment at rest, then one for its touchpad; where one could not be read,
// why not.
TEST(OnceReportTest, MotionAndTouchpadWhereTheyAreRead) {
  Slots slots = Sample(kGoldenDir + "/four_pads.scn");
  PadSensors& read = slots[0].sensors;
  read.motionKnown = true;
  read.motionSource = "kernel motion node /dev/input/event7";
  read.motion = {{2.0244, -1.0117, 0.4043}, {0, 1, -0.0006}};
  slots[0].motionRest.Add(read.motion);
  slots[0].motionRest.Add({{2.0244, -1.0117, 0.4043}, {0.6, 0.8, 0}});
  read.touchKnown = true;
  read.touchSource = "kernel touchpad node /dev/input/event8";
  read.touch = {1920, 942, true, {{400, 300}, {1500, 700}}};
  slots[0].identity.eventNode = "/dev/input/event5";
  slots[2].identity.hidrawNode = "/dev/hidraw0";
  slots[1].sensors.motionMissing = "not available through XInput";
  slots[1].sensors.touchMissing = "not available through\x1b[2J XInput";
  slots[2].sensors.motionMissing = "its kernel driver made no motion node";
  slots[2].sensors.touchKnown = true;
  slots[2].sensors.touchSource = "kernel touchpad node /dev/input/event9";
  slots[2].sensors.touch = {1919, 1079, false, {}};
  const std::string text = FormatOnceText(slots);
  EXPECT_NE(text.find("\n  SDL reads it through: evdev, /dev/input/event5\n"
                      "  Motion:   gyro x 2.02, y -1.01, z 0.40 deg/s; accel x 0.000, y 1.000, "
                      "z -0.001 g (kernel motion node /dev/input/event7)\n"
                      "  At rest:  gyro bias x 2.02, y -1.01, z 0.40 deg/s; acceleration 1.000 g "
                      "(2 readings; the pad lying still)\n"
                      "  Touchpad: 1920 x 942, 2 fingers at (400, 300), (1500, 700), clicked "
                      "(kernel touchpad node /dev/input/event8)\nSlot 1"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\n  Motion:   not read: not available through XInput\n"
                      "  Touchpad: not read: not available through\\x1b[2J XInput\nSlot 2"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\n  SDL reads it through: HIDAPI, /dev/hidraw0\n"
                      "  Motion:   not read: its kernel driver made no motion node\n"
                      "  Touchpad: 1919 x 1079, no finger, not clicked (kernel touchpad node "
                      "/dev/input/event9)\nSlot 3"),
            std::string::npos)
      << text;
  const auto json = nlohmann::json::parse(FormatOnceJson(slots));
  EXPECT_EQ(json["slots"][0]["motion"], nlohmann::json::parse(R"({
      "source": "kernel motion node /dev/input/event7", "missing": null,
      "gyroDps": [2.02, -1.01, 0.4], "accelG": [0.0, 1.0, -0.001],
      "rest": {"readings": 2, "gyroBiasDps": [2.02, -1.01, 0.4], "accelMagnitudeG": 1.0}})"));
  EXPECT_EQ(json["slots"][0]["touchpad"], nlohmann::json::parse(R"({
      "source": "kernel touchpad node /dev/input/event8", "missing": null, "width": 1920,
      "height": 942, "click": true, "fingers": [{"x": 400, "y": 300}, {"x": 1500, "y": 700}]})"));
  EXPECT_EQ(json["slots"][1]["motion"], nlohmann::json::parse(R"({
      "source": null, "missing": "not available through XInput"})"));
  EXPECT_EQ(json["slots"][0]["sdlReads"],
            nlohmann::json::parse(R"({"way": "evdev", "node": "/dev/input/event5"})"));
  EXPECT_TRUE(json["slots"][1]["sdlReads"].is_null());
  // A slot whose sensors were never read (a report made without them).
  EXPECT_FALSE(json["slots"][3].contains("motion"));
}

TEST(OnceReportTest, ScenariosAreFound) { EXPECT_GE(ScenarioNames(kGoldenDir).size(), 6u); }

}  // namespace
