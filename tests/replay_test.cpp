// Scenario files played through the core, compared byte for byte with the
// expected output beside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/application.h"
#include "platform/scripted/scripted_xinput.h"
#include "replay/scenario_player.h"
#include "tests/stdout_capture.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot open " << path;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

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

// Every NAME.scn in the golden folder, so that a new one cannot be left out.
std::vector<std::string> GoldenScenarios() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(PADWATCH_GOLDEN_DIR)) {
    if (entry.path().extension() == ".scn") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class GoldenTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTest, OutputMatchesByteForByte) {
  const std::string base = std::string(PADWATCH_GOLDEN_DIR) + "/" + GetParam();
  ASSERT_TRUE(std::filesystem::exists(base + ".out")) << GetParam() << ".scn has no .out beside it";
  EXPECT_EQ(Play(ReadFile(base + ".scn")), ReadFile(base + ".out"));
}

INSTANTIATE_TEST_SUITE_P(Scenarios, GoldenTest, ::testing::ValuesIn(GoldenScenarios()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

TEST(GoldenScenariosTest, AreFound) { EXPECT_GE(GoldenScenarios().size(), 15u); }

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
