#include "check/health/stick_outline.h"

#include <cmath>

#include "input/inputs.h"

namespace {
constexpr double kPi = 3.14159265358979323846;
}

void StickOutline::Add(std::int32_t x, std::int32_t y) {
  if (x == 0 && y == 0) return;  // no direction
  const double radius = std::hypot(x / double{kStickScale}, y / double{kStickScale});
  const long turn = std::lround(std::atan2(static_cast<double>(y), static_cast<double>(x)) *
                                kDirections / (2 * kPi));
  const int direction = static_cast<int>(((turn % kDirections) + kDirections) % kDirections);
  if (radius > reach[direction]) reach[direction] = radius;
}

int StickOutline::DirectionsPast(double radius) const {
  int count = 0;
  for (double r : reach) count += r > radius ? 1 : 0;
  return count;
}

double StickOutline::CircularityErrorPercent() const {
  double sum = 0;
  int count = 0;
  for (double r : reach) {
    if (r <= 0.2) continue;
    sum += (r - 1) * (r - 1);
    ++count;
  }
  return count == 0 ? 0.0 : std::sqrt(sum / count) * 100.0;
}
