// padwatch-check --once on scripted controllers: every scenario in
// check_golden/ gives its .txt and .json byte for byte.
#include "check/report/once_report.h"
#include "check/probe/slot_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/scripted/scripted_xinput.h"
#include "replay/scenario_player.h"

namespace {

const std::string kGoldenDir = PADWATCH_CHECK_GOLDEN_DIR;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

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

std::vector<std::string> Scenarios() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(kGoldenDir)) {
    if (entry.path().extension() == ".scn") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
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

INSTANTIATE_TEST_SUITE_P(Scenarios, OnceReportTest, ::testing::ValuesIn(Scenarios()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

TEST(OnceReportTest, ScenariosAreFound) { EXPECT_GE(Scenarios().size(), 6u); }

}  // namespace
