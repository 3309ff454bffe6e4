#include "check/health/health_picture.h"

#include <algorithm>
#include <cmath>

#include "check/health/health_card.h"
#include "check/report/decimal_text.h"
#include "input/inputs.h"

namespace {

using L = PictureLayout;
constexpr double kPi = 3.14159265358979323846;
constexpr const char* kGrey = "#9e9e9e";
constexpr const char* kInk = "#212121";

std::string Px(double value) { return Fixed(value, 1); }

std::string Text(double x, double y, const std::string& words, const char* anchor = "middle") {
  return "<text x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" text-anchor=\"" + anchor + "\">" + words +
         "</text>\n";
}

std::string Line(double x1, double y1, double x2, double y2, const char* colour, double width) {
  return "<line x1=\"" + Px(x1) + "\" y1=\"" + Px(y1) + "\" x2=\"" + Px(x2) + "\" y2=\"" + Px(y2) +
         "\" stroke=\"" + colour + "\" stroke-width=\"" + Px(width) + "\"/>\n";
}

std::string Circle(double cx, double cy, double r, const char* colour, const char* extra = "") {
  return "<circle cx=\"" + Px(cx) + "\" cy=\"" + Px(cy) + "\" r=\"" + Px(r) +
         "\" fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"1.5\"" + extra + "/>\n";
}

const char* OutlineColour(double reach) {
  const double error = std::fabs(reach - 1) * 100;
  if (error <= 100 - kReachWornPercent) return kOutlineGood;
  if (error <= 100 - kReachFaultyPercent) return kOutlineWorn;
  return kOutlineFaulty;
}

// A stick's outline: each direction an arc of its 7.5 degrees at its reach,
// coloured by its distance from the full circle, drawn dashed.
std::string StickPanel(int side, const StickOutline& outline, bool started) {
  const double cx = L::kStickCentreX[side], cy = L::kStickCentreY, r = L::kStickRadius;
  std::string svg = Line(cx - r - 10, cy, cx + r + 10, cy, "#e0e0e0", 1) +
                    Line(cx, cy - r - 10, cx, cy + r + 10, "#e0e0e0", 1) +
                    Circle(cx, cy, r, kGrey, " stroke-dasharray=\"4 3\"");
  const double half = kPi / StickOutline::kDirections;  // half a direction's angle
  for (int d = 0; d < StickOutline::kDirections; ++d) {
    const double reach = outline.Reach(d);
    if (reach <= 0.2) continue;  // not turned that way: nothing to say
    const double radius = std::min(reach, 1.45) * r;
    const double from = 2 * kPi * d / StickOutline::kDirections - half, to = from + 2 * half;
    // y up on the pad, down in the picture.
    svg += "<path d=\"M " + Px(cx + radius * std::cos(from)) + " " +
           Px(cy - radius * std::sin(from)) + " A " + Px(radius) + " " + Px(radius) + " 0 0 0 " +
           Px(cx + radius * std::cos(to)) + " " + Px(cy - radius * std::sin(to)) +
           "\" fill=\"none\" stroke=\"" + OutlineColour(reach) + "\" stroke-width=\"5\"/>\n";
  }
  std::string caption = std::string(side == 0 ? "left" : "right") + " stick: ";
  if (!started) {
    caption += "not measured";
  } else if (outline.ShowsError()) {
    caption += "circularity error " + Fixed(outline.CircularityErrorPercent(), 1) + "%";
  } else {
    caption += "not turned round";
  }
  return svg + Text(cx, cy + r + 30, caption);
}

// Where a stick rests and how it moves there, inside its dead zone drawn
// large: the box from each axis's lowest to highest reading, the mean a dot.
std::string RestInset(int side, const AxisNoise& x, const AxisNoise& y, int deadZone,
                      bool measured) {
  const double cx = L::kStickCentreX[side], cy = L::kRestCentreY, r = L::kDeadZoneRadius;
  const double scale = r / deadZone;
  const double edge = r * 1.6;  // the inset shows up to 1.6 dead zones out
  auto clamp = [edge](double v) { return std::max(-edge, std::min(edge, v)); };
  std::string svg = "<rect x=\"" + Px(cx - edge) + "\" y=\"" + Px(cy - edge) + "\" width=\"" +
                    Px(2 * edge) + "\" height=\"" + Px(2 * edge) +
                    "\" fill=\"none\" stroke=\"#e0e0e0\"/>\n" +
                    Line(cx - edge, cy, cx + edge, cy, "#e0e0e0", 1) +
                    Line(cx, cy - edge, cx, cy + edge, "#e0e0e0", 1) +
                    Circle(cx, cy, r, kGrey, " stroke-dasharray=\"4 3\"");
  if (measured && x.Count() > 0) {
    const double left = clamp(x.Lowest() * scale), right = clamp(x.Highest() * scale);
    const double top = clamp(-y.Highest() * scale), bottom = clamp(-y.Lowest() * scale);
    svg += "<rect x=\"" + Px(cx + left) + "\" y=\"" + Px(cy + top) + "\" width=\"" +
           Px(std::max(right - left, 1.0)) + "\" height=\"" + Px(std::max(bottom - top, 1.0)) +
           "\" fill=\"#1565c0\" fill-opacity=\"0.3\" stroke=\"#1565c0\"/>\n";
    svg += "<circle cx=\"" + Px(cx + clamp(x.Mean() * scale)) + "\" cy=\"" +
           Px(cy + clamp(-y.Mean() * scale)) + "\" r=\"3\" fill=\"#1565c0\"/>\n";
  }
  return svg + Text(cx, cy + edge + 18,
                    std::string(side == 0 ? "left" : "right") +
                        (measured ? " stick at rest, dead zone magnified"
                                  : " stick at rest: not measured"));
}

// A trigger's travel: the track from 0 to 255, the highest value reached
// filled in, the threshold and the highest value at rest marked.
std::string TriggerBar(int side, const TriggerTravel& travel, const AxisNoise& rest, bool started) {
  const double x = 110, width = 300, y = 540 + side * 28, height = 14;
  const double perUnit = width / 255;
  std::string svg = Text(x - 10, y + 12, side == 0 ? "left trigger" : "right trigger", "end") +
                    "<rect x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" width=\"" + Px(width) +
                    "\" height=\"" + Px(height) + "\" fill=\"#eeeeee\" stroke=\"" + kGrey +
                    "\"/>\n";
  // As the card has it: a trigger that never passed the threshold was not
  // measured.
  const bool measured = started && travel.Highest() > kTriggerThreshold;
  if (measured) {
    const bool full = travel.Highest() >= 255;
    svg += "<rect x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" width=\"" +
           Px(travel.Highest() * perUnit) + "\" height=\"" + Px(height) + "\" fill=\"" +
           (full                         ? kOutlineGood
            : travel.Highest() > 255 / 2 ? kOutlineWorn
                                         : kOutlineFaulty) +
           "\"/>\n";
  }
  svg += Line(x + kTriggerThreshold * perUnit, y - 3, x + kTriggerThreshold * perUnit,
              y + height + 3, kInk, 1);
  if (rest.Count() > 0) {
    svg += Line(x + rest.Highest() * perUnit, y - 3, x + rest.Highest() * perUnit, y + height + 3,
                "#1565c0", 2);
  }
  const std::string figure = measured ? std::to_string(travel.Highest()) + " of 255, " +
                                            std::to_string(travel.DistinctValues()) + " values"
                                      : "not measured";
  return svg + Text(x + width + 10, y + 12, figure, "start");
}

bool Started(const HealthFigures& figures, HealthStep step) {
  return figures.started[static_cast<int>(step)];
}

}  // namespace

std::string HealthPictureSvg(int slot, const HealthFigures& figures) {
  const bool rest = figures.done[static_cast<int>(HealthStep::kRest)];
  std::string svg =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
      std::to_string(L::kWidth) + "\" height=\"" + std::to_string(L::kHeight) +
      "\" viewBox=\"0 0 " + std::to_string(L::kWidth) + " " + std::to_string(L::kHeight) +
      "\" font-family=\"sans-serif\" font-size=\"13\" fill=\"" + kInk + "\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  svg += "<text x=\"" + Px(L::kWidth / 2.0) +
         "\" y=\"26\" text-anchor=\"middle\" font-size=\"16\" font-weight=\"bold\">" +
         "padwatch-check --test, slot " + std::to_string(slot) + "</text>\n";
  svg += Text(L::kWidth / 2.0, 48,
              "each direction green within 5% of full scale, orange within 25%, red beyond");
  svg += StickPanel(0, figures.outlines[0], Started(figures, HealthStep::kLeftStick));
  svg += StickPanel(1, figures.outlines[1], Started(figures, HealthStep::kRightStick));
  svg += RestInset(0, figures.restSticks[0], figures.restSticks[1], kLeftStickDeadZone, rest);
  svg += RestInset(1, figures.restSticks[2], figures.restSticks[3], kRightStickDeadZone, rest);
  svg += TriggerBar(0, figures.triggers[0], figures.restTriggers[0],
                    Started(figures, HealthStep::kLeftTrigger));
  svg += TriggerBar(1, figures.triggers[1], figures.restTriggers[1],
                    Started(figures, HealthStep::kRightTrigger));
  return svg + "</svg>\n";
}
