// The live screen's picture, a pure function of the slots and the terminal's
// size: golden grids compared byte for byte (text, then which cells are lit).
#include "check/screen/picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "check/probe/slot_probe.h"
#include "input/inputs.h"
#include "platform/scripted/scripted_xinput.h"
#include "replay/scenario_player.h"
#include "tests/test_files.h"

namespace {

struct Screen {
  const char* name;
  const char* scenario;  // played on the scripted platform, a poll per poll
  int width;
  int height;
  bool utf8 = false;
  bool traceCircle = false;  // run slot 0's left stick round a dented gate
};

void PrintTo(const Screen& screen, std::ostream* out) { *out << screen.name; }

Panels Play(const Screen& screen) {
  Scenario scenario;
  std::size_t line = 0;
  std::string error;
  EXPECT_TRUE(ParseScenario(screen.scenario, &scenario, &line, &error)) << error;
  scripted::Reset();
  Panels panels = MakePanels();
  PlayPolls(scenario, [&panels] {
    for (Panel& panel : panels) PollSlot(&panel.reading);
  });
  for (Panel& panel : panels) {
    if (!panel.reading.connected) continue;
    ReadDevice(&panel.reading);
    panel.rateHz = 250;
  }
  if (screen.traceCircle) {
    for (int i = 0; i < 360; ++i) {
      const double angle = i * 3.14159265358979 / 180;
      const double reach = std::cos(angle) > 0.8 ? 0.8 / std::cos(angle) : 1.0;  // flat right
      panels[0].leftOutline.Add(static_cast<int>(32767 * reach * std::cos(angle)),
                                static_cast<int>(32767 * reach * std::sin(angle)));
    }
  }
  return panels;
}
class PictureTest : public ::testing::TestWithParam<Screen> {};

TEST_P(PictureTest, MatchesItsGoldenGrid) {
  const Screen& screen = GetParam();
  const std::string path = std::string(PADWATCH_SCREEN_GOLDEN_DIR) + "/" + screen.name + ".txt";
  const std::string actual =
      DrawPicture(Play(screen), screen.width, screen.height, screen.utf8).Dump();
  if (std::getenv("PADWATCH_WRITE_GOLDEN") != nullptr) {
    std::ofstream(path, std::ios::binary) << actual;
  }
  EXPECT_EQ(actual, ReadFile(path));
}

const char kOneAtRest[] = "plug 0\nname 0 Xbox 360 Controller\nids 0 045e 028e\npoll\n";
// Names from devices: an escape sequence, accents, wide characters, a
// combining mark, and more than the title has room for.
const char kNames[] =
    "plug 0\nname 0 Evil\x1b]0;pwned\x07 Pad\nplug 1\nname 1 Manette g\xc3\xa9n\xc3\xa9rique\n"
    "plug 2\nname 2 \xe6\x89\x8b\xe6\x9f\x84 \xe6\x89\x8b\xe6\x9f\x84 \xe6\x89\x8b\xe6\x9f\x84 "
    "\xe6\x89\x8b\xe6\x9f\x84 \xe6\x89\x8b\xe6\x9f\x84 \xe6\x89\x8b\xe6\x9f\x84\n"
    "plug 3\nname 3 Cafe\xcc\x81 Pad with a name far too long for its title\npoll\n";
const char kFour[] =
    "plug 0\nplug 1\nplug 2\nplug 3\nname 0 Pad Zero\nname 2 Pad Two\nwireless 2 yes\n"
    "battery 2 nimh low\npress 1 A\nset 3 lt 255\npoll\n";

INSTANTIATE_TEST_SUITE_P(
    Screens, PictureTest,
    ::testing::Values(
        Screen{"all_empty", "poll\n", 80, 24}, Screen{"one_at_rest", kOneAtRest, 80, 24},
        Screen{"one_at_rest_utf8", kOneAtRest, 80, 24, true},
        Screen{"buttons_held", "plug 0\npress 0 A LB DPAD_UP START\npoll\n", 80, 24},
        Screen{"sticks", "plug 1\nset 1 lx 32767 ly -32768 rx 1000 ry -2000 lt 255 rt 31\npoll\n",
               80, 24},
        Screen{"traced_outline", "plug 0\npoll\n", 80, 24, false, true},
        Screen{"four_pads", kFour, 80, 24}, Screen{"device_names_utf8", kNames, 80, 24, true},
        Screen{"device_names_ascii", kNames, 80, 24}, Screen{"narrow", kFour, 40, 48},
        Screen{"short", kFour, 80, 14}, Screen{"too_small", kFour, 30, 10}),
    [](const ::testing::TestParamInfo<Screen>& info) { return info.param.name; });

}  // namespace
