// padwatch-check --once on scripted controllers: every scenario in
// check_golden/ gives its .txt and .json byte for byte.
#include "check/report/once_report.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

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
  scenario.ForEach([&slots](const ScenarioStep& step) {
    if (step.kind != ScenarioStep::Kind::kPoll) ApplyStep(step);
    for (std::uint64_t i = 0; step.kind == ScenarioStep::Kind::kPoll && i < step.polls; ++i) {
      PollSlots(slots);
    }
    return true;
  });
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

TEST(OnceReportTest, ScenariosAreFound) { EXPECT_GE(ScenarioNames(kGoldenDir).size(), 6u); }

}  // namespace
