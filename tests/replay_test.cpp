// Scenario files played through the core, compared byte for byte with the
// expected output beside them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

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

class GoldenTest : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenTest, OutputMatchesByteForByte) {
  const std::string base = std::string(PADWATCH_GOLDEN_DIR) + "/" + GetParam();
  EXPECT_EQ(Play(ReadFile(base + ".scn")), ReadFile(base + ".out"));
}

INSTANTIATE_TEST_SUITE_P(Scenarios, GoldenTest,
                         ::testing::Values("worked_example", "no_controller", "two_at_start",
                                           "unplug", "glitch", "swap", "swap_back",
                                           "depart_and_arrive", "boundaries", "repress",
                                           "single_poll_press", "order", "diagonal",
                                           "held_across_unplug", "set_while_unplugged"));

TEST(ReplayTest, HeldAxisWritesAValueLineOnEveryPoll) {
  const std::string out = Play("plug 0\nset 0 lt 255\npoll 1000\n");
  std::size_t valueLines = 0;
  for (std::size_t at = out.find("with value: 1.000000\n"); at != std::string::npos;
       at = out.find("with value: 1.000000\n", at + 1)) {
    ++valueLines;
  }
  EXPECT_EQ(valueLines, 1000u);
}

TEST(ReplayTest, TotalPollsAddsUpEveryPollCommand) {
  Scenario scenario;
  std::size_t line = 0;
  std::string error;
  ASSERT_TRUE(
      ParseScenario("poll\npoll 5\n# poll 100\npoll 10000000000\n", &scenario, &line, &error));
  EXPECT_EQ(scenario.TotalPolls(), 10000000006u);
}

}  // namespace
