#include "check/screen/picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "check/report/device_text.h"
#include "check/report/shown_text.h"
#include "input/inputs.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kPlotWidth = 9;
constexpr int kPlotHeight = 5;
constexpr int kBarCells = 10;

struct Glyphs {
  const char* horizontal;
  const char* vertical;
  const char* corners[4];  // top left, top right, bottom left, bottom right
  const char* full;
  const char* empty;
  const char* threshold;
};

constexpr Glyphs kAscii = {"-", "|", {"+", "+", "+", "+"}, "#", "-", "|"};
constexpr Glyphs kUtf8 = {"\u2500", "\u2502", {"\u250c", "\u2510", "\u2514", "\u2518"},
                          "\u2588", "\u2591", "\u2502"};

std::string Format(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof(text), format, value);
  return text;
}

std::string ShortBattery(const SlotReading& slot) {
  if (!slot.batteryKnown) return "battery ?";
  const BYTE type = slot.battery.BatteryType;
  if (type == BATTERY_TYPE_WIRED || type == BATTERY_TYPE_DISCONNECTED) {
    return BatteryTypeName(type);
  }
  return std::string("battery ") + BatteryLevelName(slot.battery.BatteryLevel);
}

class PanelPainter {
 public:
  PanelPainter(Grid& grid, int left, int top, bool utf8)
      : grid(grid), left(left), top(top), utf8(utf8), glyphs(utf8 ? kUtf8 : kAscii) {}

  void Paint(const Panel& panel) {
    const SlotReading& slot = panel.reading;
    std::string title = " Slot " + std::to_string(slot.slot) + ": ";
    if (!slot.connected) {
      title += "empty ";
    } else {
      // The name is the device's own: shown safely, cut with a mark where
      // the title has no room for it.
      const std::size_t room = kPanelWidth - 4 - title.size() - 1;
      std::string name =
          slot.identity.name.empty() ? "connected" : ShownText(slot.identity.name, room);
      title += (utf8 ? name : AsciiOnly(name)) + " ";
    }
    Border(title);
    if (!slot.connected) return;
    const XINPUT_GAMEPAD& pad = slot.state.Gamepad;
    std::string info =
        IdsText(slot.identity) + "  " + ShortBattery(slot) + "  " + Format("%.0f Hz", panel.rateHz);
    if (!panel.rumble.empty()) info = panel.rumble;
    Inside(0, 0, info);
    // The buttons by padwatch's names, in its order: the D-pad on a row of
    // its own, the others above it.
    int x[2] = {0, 0};
    for (const ButtonInput& button : kButtonInputs) {
      const std::string name = button.name;
      const int row = name.compare(0, 5, "Dpad ") == 0 ? 1 : 0;
      Inside(x[row], 1 + row, name, (pad.wButtons & button.mask) != 0);
      x[row] += static_cast<int>(name.size()) + 1;
    }
    // The input table lists each stick's X axis, then its Y axis.
    Stick(0, pad, kAxisInputs[0], kAxisInputs[1], slot.leftStick, panel.leftOutline);
    Stick(19, pad, kAxisInputs[2], kAxisInputs[3], slot.rightStick, panel.rightOutline);
    Trigger(0, "LT", pad.bLeftTrigger);
    Trigger(19, "RT", pad.bRightTrigger);
  }

 private:
  // Columns and rows inside the border.
  void Inside(int x, int y, const std::string& text, bool lit = false) {
    grid.Text(left + 1 + x, top + 1 + y, text, lit, kPanelWidth - 2 - x);
  }
  void InsideGlyph(int x, int y, const std::string& glyph) {
    grid.Put(left + 1 + x, top + 1 + y, glyph);
  }

  void Border(const std::string& title) {
    const int right = left + kPanelWidth - 1;
    const int bottom = top + kPanelHeight - 1;
    for (int x = left + 1; x < right; ++x) {
      grid.Put(x, top, glyphs.horizontal);
      grid.Put(x, bottom, glyphs.horizontal);
    }
    for (int y = top + 1; y < bottom; ++y) {
      grid.Put(left, y, glyphs.vertical);
      grid.Put(right, y, glyphs.vertical);
    }
    grid.Put(left, top, glyphs.corners[0]);
    grid.Put(right, top, glyphs.corners[1]);
    grid.Put(left, bottom, glyphs.corners[2]);
    grid.Put(right, bottom, glyphs.corners[3]);
    grid.Text(left + 2, top, title, false, kPanelWidth - 4);
  }

  // A plot of the stick (dead zone '.', centre '+', traced outline '*',
  // the stick itself 'O', lit outside the dead zone) and its figures.
  void Stick(int x0, const XINPUT_GAMEPAD& pad, const AxisInput& xAxis, const AxisInput& yAxis,
             const RestingOffset& rest, const StickOutline& outline) {
    const int y0 = 3;
    const std::int32_t x = xAxis.Reading(pad);
    const std::int32_t y = yAxis.Reading(pad);
    const std::int32_t deadZone = xAxis.rest;
    // A stick's whole range, -32768 to 32767, across the plot.
    constexpr double kLow = -kStickScale - 1.0;
    constexpr double kSpan = kStickScale - kLow;
    auto column = [](double value) {
      return static_cast<int>(std::lround((value - kLow) / kSpan * (kPlotWidth - 1)));
    };
    auto row = [](double value) {
      return static_cast<int>(std::lround((kStickScale - value) / kSpan * (kPlotHeight - 1)));
    };
    for (int r = 0; r < kPlotHeight; ++r) {
      for (int c = 0; c < kPlotWidth; ++c) {
        const double cx = c * kSpan / (kPlotWidth - 1) + kLow;
        const double cy = kStickScale - r * kSpan / (kPlotHeight - 1);
        const bool inDeadZone = std::fabs(cx) <= deadZone && std::fabs(cy) <= deadZone;
        InsideGlyph(x0 + c, y0 + r, inDeadZone ? "." : " ");
      }
    }
    InsideGlyph(x0 + column(0), y0 + row(0), "+");
    for (int d = 0; d < StickOutline::kDirections; ++d) {
      // Only reaches the roundness counts: nearer the centre they would
      // cover it.
      if (outline.Reach(d) <= 0.2) continue;
      const double reach = outline.Reach(d) * kStickScale;
      const double angle = 2 * kPi * d / StickOutline::kDirections;
      InsideGlyph(x0 + column(reach * std::cos(angle)), y0 + row(reach * std::sin(angle)), "*");
    }
    const bool xActive = !xAxis.AtRest(x);
    const bool yActive = !yAxis.AtRest(y);
    grid.Put(left + 1 + x0 + column(x), top + 1 + y0 + row(y), "O", xActive || yActive);

    const int tx = x0 + kPlotWidth + 1;
    const int width = 19 - kPlotWidth - 1;
    auto put = [&](int r, const std::string& text) {
      grid.Text(left + 1 + tx, top + 1 + y0 + r, text, false, width);
    };
    put(0, "x " + Format("%6.0f", x));
    put(1, "y " + Format("%6.0f", y));
    put(2, (xActive ? Format("%+.1f", xAxis.NormalisedValue(x)) : "    ") + " " +
               (yActive ? Format("%+.1f", yAxis.NormalisedValue(y)) : "    "));
    put(3, rest.Known() ? "rest " + Format("%.0f%%", rest.PercentOfDeadZone()) : "rest ?");
    put(4, outline.ShowsError() ? "rnd " + Format("%.1f%%", outline.CircularityErrorPercent())
                                : "rnd ?");
  }

  // "LT" and a bar of the trigger with the threshold marked, then its raw value.
  void Trigger(int x0, const char* name, BYTE value) {
    const int y = 8;
    Inside(x0, y, name);
    const int filled = static_cast<int>(std::lround(value / double{kTriggerScale} * kBarCells));
    const int mark =
        static_cast<int>(std::lround(kTriggerThreshold / double{kTriggerScale} * kBarCells));
    for (int i = 0; i < kBarCells; ++i) {
      const char* glyph = i < filled ? glyphs.full : glyphs.empty;
      if (i == mark && i >= filled) glyph = glyphs.threshold;
      InsideGlyph(x0 + 3 + i, y, glyph);
    }
    Inside(x0 + 4 + kBarCells, y, Format("%3.0f", value));
  }

  Grid& grid;
  int left;
  int top;
  bool utf8;
  const Glyphs& glyphs;
};

constexpr char kKeys[] = "q quit   r rumble test   c clear outlines and offsets";
constexpr char kShortKeys[] = "q quit  r rumble  c clear";

}  // namespace

Panels MakePanels() { return {Panel(0), Panel(1), Panel(2), Panel(3)}; }

Grid DrawPicture(const Panels& panels, int width, int height, bool utf8,
                 const std::string& notice) {
  Grid grid(width, height);
  if (width < kPanelWidth || height < kPanelHeight + 1) {
    // One line where it fits; word by word over the next ones where not.
    const std::string request = "Make the window at least " + std::to_string(kPanelWidth) + "x" +
                                std::to_string(kPanelHeight + 1) + " (it is " +
                                std::to_string(width) + "x" + std::to_string(height) + ").";
    int x = 0, y = 0;
    std::size_t at = 0;
    while (at < request.size() && y < height) {
      std::size_t end = request.find(' ', at);
      if (end == std::string::npos) end = request.size();
      const int length = static_cast<int>(end - at);
      if (x > 0 && x + length > width) {
        x = 0;
        ++y;
      }
      grid.Text(x, y, request.substr(at, end - at), false, width - x);
      x += length + 1;
      at = end + 1;
    }
    return grid;
  }
  const int columns = width >= 2 * kPanelWidth ? 2 : 1;
  const int rows = std::min((height - 1) / kPanelHeight, (4 + columns - 1) / columns);
  const int shown = std::min(4, columns * rows);
  for (int i = 0; i < shown; ++i) {
    PanelPainter(grid, (i % columns) * kPanelWidth, (i / columns) * kPanelHeight, utf8)
        .Paint(panels[i]);
  }
  std::string footer = kKeys;
  if (shown < 4) {
    footer = "Slots " + std::to_string(shown) + "-3: enlarge the window.  " + kShortKeys;
  }
  if (!notice.empty()) footer = notice;
  grid.Text(0, rows * kPanelHeight, footer, false, width);
  return grid;
}
