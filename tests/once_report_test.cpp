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

TEST(OnceReportTest, ScenariosAreFound) { EXPECT_GE(ScenarioNames(kGoldenDir).size(), 6u); }

}  // namespace
