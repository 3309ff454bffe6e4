// The live screen as a picture: a pure function from what is known of the
// four slots and the terminal's size to a grid of cells. It asks the
// platform nothing.
#ifndef PADWATCH_CHECK_SCREEN_PICTURE_H_
#define PADWATCH_CHECK_SCREEN_PICTURE_H_

#include <array>
#include <string>

#include "check/health/stick_outline.h"
#include "check/probe/slot_reading.h"
#include "check/screen/grid.h"

// Everything one slot's panel shows.
struct Panel {
  explicit Panel(DWORD slot) : reading(slot) {}
  SlotReading reading;
  StickOutline leftOutline;
  StickOutline rightOutline;
  double rateHz = 0;   // reports in the last second
  std::string rumble;  // the last rumble test's answer, if any
};

using Panels = std::array<Panel, XUSER_MAX_COUNT>;

Panels MakePanels();

// A panel's size; four fit 2 x 2 in 80 x 24 with the line of keys below.
constexpr int kPanelWidth = 40;
constexpr int kPanelHeight = 11;

// The picture for a terminal of width x height: the panels 2 x 2 where they
// fit, stacked where the terminal is narrow, as many as fit where it is
// small, and one line asking for a larger window where not even one does.
// With utf8, borders and bars use line-drawing and block characters. A
// notice, if any, takes the place of the line of keys.
Grid DrawPicture(const Panels& panels, int width, int height, bool utf8,
                 const std::string& notice = "");

#endif  // PADWATCH_CHECK_SCREEN_PICTURE_H_
