#include "check/screen/outline.h"

#include <cmath>

#include "input/inputs.h"

namespace {
constexpr double kPi = 3.14159265358979323846;
}

void Outline::Add(std::int32_t x, std::int32_t y, std::int32_t deadZone) {
  if (x >= -deadZone && x <= deadZone && y >= -deadZone && y <= deadZone) return;
  const double radius = std::hypot(x / double{kStickScale}, y / double{kStickScale});
  double angle = std::atan2(static_cast<double>(y), static_cast<double>(x));
  if (angle < 0) angle += 2 * kPi;
  const int direction =
      static_cast<int>(std::lround(angle / (2 * kPi) * kDirections)) % kDirections;
  if (radius > reach[direction]) reach[direction] = radius;
}

bool Outline::GoneRound() const {
  for (double r : reach) {
    if (r == 0.0) return false;
  }
  return true;
}

double Outline::CircularityPercent() const {
  double mean = 0;
  for (double r : reach) mean += r;
  mean /= kDirections;
  if (mean == 0) return 0;
  double deviation = 0;
  for (double r : reach) deviation += std::fabs(r - mean);
  return deviation / kDirections / mean * 100.0;
}
