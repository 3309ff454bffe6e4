// Scenario files played through the core, compared byte for byte with the
// expected output beside them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/application.h"
#include "platform/scripted/scripted_xinput.h"
#include "replay/scenario_player.h"
#include "tests/stdout_capture.h"
#include "tests/test_files.h"

namespace {
std::string Play(const std::string& scenarioText) {
  Scenario scenario;
  std::size_t errorLine = 0;
  std::string error;
  EXPECT_TRUE(ParseScenario(scenarioText, &scenario, &errorLine, &error))
      << "line " << errorLine << ": " << error;
  scripted::Reset();
  StdoutCapture out;
  Application* application = new Application();
  PlayScenario(scenario, *application);
  application->Stop();
  delete application;
  return out.Take();
}

class GoldenTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTest, OutputMatchesByteForByte) {
  const std::string base = std::string(PADWATCH_GOLDEN_DIR) + "/" + GetParam();
  ASSERT_TRUE(std::filesystem::exists(base + ".out")) << GetParam() << ".scn has no .out beside it";
  EXPECT_EQ(Play(ReadFile(base + ".scn")), ReadFile(base + ".out"));
}

INSTANTIATE_TEST_SUITE_P(Scenarios, GoldenTest,
                         ::testing::ValuesIn(ScenarioNames(PADWATCH_GOLDEN_DIR)),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

TEST(GoldenScenariosTest, AreFound) { EXPECT_GE(ScenarioNames(PADWATCH_GOLDEN_DIR).size(), 15u); }

TEST(ReplayTest, HeldAxisWritesAValueLineOnEveryPoll) {
  const std::string out = Play("plug 0\nset 0 lt 255\npoll 1000\n");
  std::size_t valueLines = 0;
  for (std::size_t at = out.find("with value: 1.000000\n"); at != std::string::npos;
       at = out.find("with value: 1.000000\n", at + 1)) {
    ++valueLines;
  }
  EXPECT_EQ(valueLines, 1000u);
}

}  // namespace
