// Comparing a card with an earlier one: the figures and the change, and
// earlier files that are not what they claim to be.
#include "check/health/health_compare.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A card as --test --json writes it, cut down to what is compared here: the
// left stick's reach (every direction at 100 but `up`, one direction barely
// turned), two buttons, and a trigger whose step never started.
std::string Card(const char* reachVerdict, const char* circularity, int up, int bounces) {
  std::string reach;
  for (int d = 0; d < 48; ++d) {
    reach += (d ? "," : "") + std::to_string(d == 12 ? up : d == 30 ? 10 : 100);
  }
  return std::string(R"({"tool": "padwatch-check", "report": "health", "version": 1,
    "checks": [{"check": "left stick's reach", "verdict": ")") +
         reachVerdict + R"(", "figure": "..."},
               {"check": "battery", "verdict": "info", "figure": "..."}],
    "sticks": [{"stick": "left", "circularity_error_percent": )" +
         circularity + R"(, "reach_percent": [)" + reach + R"(]}],
    "buttons": [{"button": "A", "pressed": true, "released": true, "bounces": )" +
         std::to_string(bounces) + R"(},
                {"button": "B", "pressed": false, "released": false, "bounces": 0}],
    "triggers": [{"trigger": "left", "highest": 200}],
    "steps": [{"step": "left stick", "started": true, "done": true},
              {"step": "left trigger", "started": false, "done": false},
              {"step": "buttons", "started": true, "done": false}]})";
}

// The line of the comparison that starts with `name`, or "".
std::string LineOf(const std::string& text, const std::string& name) {
  const std::size_t at = text.find("\n  " + name + " ");
  if (at == std::string::npos) return "";
  return text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(HealthCompareTest, EachFigureBesideTheEarlierOneWithTheChange) {
  CardSummary before;
  std::string why;
  ASSERT_TRUE(ReadCardSummary(Card("worn", "12.5", 85, 2), &before, &why)) << why;
  const std::string now = Card("good", "3.25", 99, 0);
  const std::string text = HealthCompareText(now, before);
  // Verdicts: before, then now; a line without a verdict is left out.
  EXPECT_TRUE(EndsWith(LineOf(text, "left stick's reach"), "  worn          good")) << text;
  EXPECT_EQ(LineOf(text, "battery"), "") << text;
  // Figures: before, now, change; the lowest reach leaves out the direction
  // the stick was hardly turned in (10%).
  const std::pair<const char*, const char*> figures[] = {
      {"left stick: circularity error %", "    12.50      3.25     -9.25"},
      {"left stick: lowest reach %", "     85.0      99.0     +14.0"},
      {"left stick: reach up %", "     85.0      99.0     +14.0"},
      {"left stick: reach right %", "    100.0     100.0       0.0"},
      {"buttons pressed and released", "        1         1         0"},
      {"button bounces", "        2         0        -2"},
      {"right stick: circularity error %", "        -         -         -"},
      // A figure of a step that never started is no figure.
      {"left trigger: highest", "        -         -         -"},
  };
  for (const auto& [name, end] : figures) {
    EXPECT_TRUE(EndsWith(LineOf(text, name), end)) << name << "\n" << text;
  }
  const std::string json = HealthJsonCompared(now, before);
  EXPECT_NE(json.find(R"("figure": "button bounces",
        "before": 2,
        "now": 0,
        "change": -2)"),
            std::string::npos)
      << json;
}

struct EarlierFile {
  const char* name;
  std::string text;
  bool read;
  const char* why;
};

class EarlierFileTest : public ::testing::TestWithParam<EarlierFile> {};

// Whatever the earlier file holds, it is read without a crash, and none of
// its own text reaches the comparison.
TEST_P(EarlierFileTest, IsReadSafely) {
  CardSummary before;
  std::string why;
  EXPECT_EQ(ReadCardSummary(GetParam().text, &before, &why), GetParam().read);
  EXPECT_EQ(why, GetParam().why);
  const std::string text = HealthCompareText(Card("good", "3.25", 99, 0), before);
  EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
  EXPECT_EQ(text.find("evil"), std::string::npos) << text;
}

const std::string kHead = R"({"tool": "padwatch-check", "report": "health", "version": 1)";

INSTANTIATE_TEST_SUITE_P(
    Files, EarlierFileTest,
    ::testing::Values(
        EarlierFile{"NotJson", "left stick: fine", false, "it is not JSON"},
        EarlierFile{"Array", "[1, 2]", false, "it is not a card from padwatch-check --test --json"},
        EarlierFile{"OnceReport", R"({"tool": "padwatch-check", "report": "once"})", false,
                    "it is not a card from padwatch-check --test --json"},
        EarlierFile{"NextVersion",
                    R"({"tool": "padwatch-check", "report": "health", "version": 2})", false,
                    "its card is of a version this padwatch-check does not read (it reads "
                    "version 1)"},
        EarlierFile{
            "DeeplyNested",
            kHead + ", \"sticks\": " + std::string(100000, '[') + std::string(100000, ']') + "}",
            true, ""},
        EarlierFile{"WrongTypesEverywhere",
                    kHead + R"(, "rest": 5, "sticks": [{"reach_percent": "evil"}],
                    "triggers": [[]], "buttons": [1, {"bounces": "evil"}],
                    "checks": [{"check": "left stick's reach", "verdict": "\u001b[31mevil"},
                               {"check": 7, "verdict": "good"}, "evil"]})",
                    true, ""}),
    [](const ::testing::TestParamInfo<EarlierFile>& info) { return info.param.name; });

}  // namespace
