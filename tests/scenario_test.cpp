#include "replay/scenario.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

std::vector<ScenarioStep> Steps(const Scenario& scenario) {
  std::vector<ScenarioStep> steps;
  scenario.ForEach([&steps](const ScenarioStep& step) {
    steps.push_back(step);
    return true;
  });
  return steps;
}

struct BadLine {
  const char* text;
  std::size_t line;
  const char* error;
};

class ScenarioErrorTest : public ::testing::TestWithParam<BadLine> {};

TEST_P(ScenarioErrorTest, NamesTheLineAndWhatIsWrong) {
  Scenario scenario;
  std::size_t line = 0;
  std::string error;
  EXPECT_FALSE(ParseScenario(GetParam().text, &scenario, &line, &error));
  EXPECT_EQ(line, GetParam().line);
  EXPECT_EQ(error, GetParam().error);
}

const std::string kLongName = "name 0 " + std::string(1001, 'n') + "\n";

INSTANTIATE_TEST_SUITE_P(
    BadLines, ScenarioErrorTest,
    ::testing::Values(
        BadLine{"plug 0\njump 1\n", 2,
                "unknown command 'jump' (expected plug, unplug, press, release, set, poll, name, "
                "guid, mapping, ids, subtype, wireless, vibration, battery or at)"},
        BadLine{"ids 0 45e 028e\n", 1, "ids: expected four hexadecimal digits, not '45e'"},
        BadLine{"ids 0 045e\n", 1, "ids: missing product id"},
        BadLine{"name 1\n", 1, "name: missing value"},
        BadLine{"name 1 a\\qb\n", 1,
                "name: unknown escape '\\qb' (a backslash is written \\\\, any byte \\xNN)"},
        BadLine{"guid 1 ab\\x4\n", 1,
                "guid: unknown escape '\\x4' (a backslash is written \\\\, any byte \\xNN)"},
        BadLine{kLongName.c_str(), 1, "name: text is longer than 1000 bytes"},
        BadLine{"at -1\n", 1, "at: time must be a whole number of milliseconds, not '-1'"},
        BadLine{"at\n", 1, "at: missing time (milliseconds since the start)"},
        BadLine{"subtype 0 car\n", 1,
                "subtype: unknown 'car' (expected gamepad wheel arcade_stick flight_stick "
                "dance_pad guitar guitar_alternate drum_kit guitar_bass arcade_pad unknown)"},
        BadLine{"wireless 0 maybe\n", 1, "wireless: expected yes or no, not 'maybe'"},
        BadLine{"battery 0 nimh\n", 1, "battery: missing level (empty low medium full)"},
        BadLine{"battery 0 wired full\n", 1, "battery: unexpected extra word 'full'"},
        BadLine{"plug\n", 1, "plug: missing slot (0 to 3)"},
        BadLine{"plug 4\n", 1, "plug: slot must be 0 to 3, not '4'"},
        BadLine{"unplug -1\n", 1, "unplug: slot must be 0 to 3, not '-1'"},
        BadLine{"press x A\n", 1, "press: slot must be 0 to 3, not 'x'"},
        BadLine{"plug 0 1\n", 1, "plug: unexpected extra word '1'"},
        BadLine{"press 0\n", 1, "press: missing button name"},
        BadLine{"release 0 A start\n", 1,
                "release: unknown button 'start' (expected A B X Y DPAD_UP DPAD_DOWN DPAD_LEFT "
                "DPAD_RIGHT START BACK LB RB L3 R3)"},
        BadLine{"set 0\n", 1, "set: missing field and value"},
        BadLine{"set 0 lz 5\n", 1, "set: unknown field 'lz' (expected lx ly rx ry lt rt)"},
        BadLine{"set 0 lx\n", 1, "set: missing value for 'lx'"},
        BadLine{"set 0 lx 5 ly\n", 1, "set: missing value for 'ly'"},
        BadLine{"set 0 lx 32768\n", 1, "set: value for 'lx' must be -32768 to 32767, not '32768'"},
        BadLine{"set 0 ry -32769\n", 1,
                "set: value for 'ry' must be -32768 to 32767, not '-32769'"},
        BadLine{"set 0 lt 256\n", 1, "set: value for 'lt' must be 0 to 255, not '256'"},
        BadLine{"set 0 rt -1\n", 1, "set: value for 'rt' must be 0 to 255, not '-1'"},
        BadLine{"set 0 lx 99999999999999999999\n", 1,
                "set: value for 'lx' must be -32768 to 32767, not '99999999999999999999'"},
        BadLine{"set 0 lx 1.5\n", 1, "set: value for 'lx' is not a whole number: '1.5'"},
        BadLine{"set 0 lx +5\n", 1, "set: value for 'lx' is not a whole number: '+5'"},
        BadLine{"set 0 lx 0x10\n", 1, "set: value for 'lx' is not a whole number: '0x10'"},
        BadLine{"set 0 lx -\n", 1, "set: value for 'lx' is not a whole number: '-'"},
        BadLine{"poll 0\n", 1, "poll: count must be at least 1, not '0'"},
        BadLine{"poll -3\n", 1, "poll: count must be at least 1, not '-3'"},
        BadLine{"poll many\n", 1, "poll: count is not a whole number: 'many'"},
        BadLine{"poll 99999999999999999999\n", 1,
                "poll: count is too large: '99999999999999999999'"},
        BadLine{"poll 2 3\n", 1, "poll: unexpected extra word '3'"},
        BadLine{"# ok\n\n   \nplug 0 # fine\npoll\nplug 9\n", 6,
                "plug: slot must be 0 to 3, not '9'"}));

TEST(ScenarioTest, AcceptsCommentsBlankLinesTabsAndCrlf) {
  Scenario scenario;
  std::size_t line = 0;
  std::string error;
  ASSERT_TRUE(
      ParseScenario("# header\r\n\r\n\tplug\t2  # trailing\r\n"
                    "press 2 A B\r\nset 2 lx -32768 lt 255 lx 5\r\npoll\r\npoll 3",
                    &scenario, &line, &error))
      << error;
  const std::vector<ScenarioStep> steps = Steps(scenario);
  ASSERT_EQ(steps.size(), 5u);
  EXPECT_EQ(steps[0].kind, ScenarioStep::Kind::kPlug);
  EXPECT_EQ(steps[0].slot, 2u);
  EXPECT_EQ(steps[1].buttons, XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_B);
  EXPECT_EQ(steps[2].values[static_cast<int>(ScenarioField::kLX)], 5);  // last one wins
  EXPECT_EQ(steps[2].values[static_cast<int>(ScenarioField::kLT)], 255);
  EXPECT_EQ(steps[3].polls, 1u);
  EXPECT_EQ(steps[4].polls, 3u);
}

// Steps are kept in a compact form: every kind of step, at the ends of its
// ranges, must come back as it went in.
TEST(ScenarioTest, WritesBackWhatItRead) {
  const std::string text =
      "plug 3\nunplug 0\npress 1 A B X Y DPAD_UP DPAD_RIGHT DPAD_DOWN DPAD_LEFT START BACK LB "
      "RB L3 R3\nrelease 2 R3\nset 3 lx -32768 ly 32767 rx -1 ry 0 lt 0 rt 255\nset 0 rt 1\n"
      "poll 1\npoll 127\npoll 128\npoll 9223372036854775807\nname 2 Pad  # 2\n"
      "guid 0 0300abc\nmapping 3 a,b c\nids 1 045e 0b13\nsubtype 0 drum_kit\nwireless 1 yes\n"
      "vibration 2 no\nbattery 0 unknown\nbattery 1 wired\nbattery 2 other low\nat 0\n"
      "at 1099511627776\nname 1 a\\x1b]0;x\\x07 b\\\\\\x23c \\xff\n"
      "guid 2 a\\x20b\nmapping 0 \\x20lead, trail\\x20\n";
  Scenario scenario;
  std::size_t line = 0;
  std::string error;
  ASSERT_TRUE(ParseScenario(text, &scenario, &line, &error)) << error;
  EXPECT_EQ(FormatScenario(scenario), std::regex_replace(text, std::regex("  # 2"), ""));
  EXPECT_EQ(scenario.StepCount(), 25u);
}

// Device texts may hold any byte; they come back as they were, and every
// line stays one line of printable ASCII.
TEST(ScenarioTest, DeviceTextsGoInEscaped) {
  ScenarioStep step;
  step.kind = ScenarioStep::Kind::kName;
  step.slot = 1;
  step.text = std::string("  Evil\x1b]0;x\x07 #1 \\ \xff\0 end  ", 26);
  const std::string line = FormatStep(step);
  EXPECT_EQ(line, "name 1 \\x20\\x20Evil\\x1b]0;x\\x07 \\x231 \\\\ \\xff\\x00 end\\x20\\x20\n");
  Scenario scenario;
  std::size_t errorLine = 0;
  std::string error;
  ASSERT_TRUE(ParseScenario(line, &scenario, &errorLine, &error)) << error;
  EXPECT_EQ(Steps(scenario)[0].text, step.text);
}

// The longest text there may be, every byte escaped, still reads back.
TEST(ScenarioTest, TheLongestTextWrittenBackFitsOnItsLine) {
  ScenarioStep step;
  step.kind = ScenarioStep::Kind::kMapping;
  step.slot = 3;
  step.text = std::string(kScenarioMaxTextBytes, '\xcc');
  Scenario scenario;
  std::size_t errorLine = 0;
  std::string error;
  ASSERT_TRUE(ParseScenario(FormatStep(step), &scenario, &errorLine, &error)) << error;
  EXPECT_EQ(Steps(scenario)[0].text, step.text);
}

TEST(ScenarioTest, EmptyScenarioIsValid) {
  Scenario scenario;
  std::size_t line = 0;
  std::string error;
  EXPECT_TRUE(ParseScenario("", &scenario, &line, &error));
  EXPECT_EQ(scenario.StepCount(), 0u);
}

}  // namespace
