// The health check's figures as a picture (SVG): each stick's outline
// against the full circle, every direction coloured by how far it is from
// it; each stick's resting point and its noise, magnified, inside its dead
// zone; each trigger's travel. Only numbers and this program's own words
// go into it.
#ifndef PADWATCH_CHECK_HEALTH_HEALTH_PICTURE_H_
#define PADWATCH_CHECK_HEALTH_HEALTH_PICTURE_H_

#include <string>

#include "check/health/health_check.h"

// Where the picture puts things, for whoever reads it back: each stick's
// centre and the radius of full scale, in pixels, y down.
struct PictureLayout {
  static constexpr int kWidth = 620;
  static constexpr int kHeight = 600;
  static constexpr double kStickRadius = 120;
  static constexpr double kStickCentreX[2] = {160, 460};
  static constexpr double kStickCentreY = 200;
  // The resting points' insets: their centres, and the dead zone's radius.
  static constexpr double kRestCentreY = 430;
  static constexpr double kDeadZoneRadius = 40;
};

// The colours a direction of an outline takes, by its distance from the
// full circle: within 5% of it, within 25%, or further.
constexpr const char* kOutlineGood = "#2e7d32";
constexpr const char* kOutlineWorn = "#ef8f00";
constexpr const char* kOutlineFaulty = "#c62828";

std::string HealthPictureSvg(int slot, const HealthFigures& figures);

#endif  // PADWATCH_CHECK_HEALTH_HEALTH_PICTURE_H_
