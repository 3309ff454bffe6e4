#include "check/health/axis_noise.h"

#include <algorithm>
#include <cmath>

void AxisNoise::Add(double value) {
  highest = count == 0 ? value : std::max(highest, value);
  lowest = count == 0 ? value : std::min(lowest, value);
  ++count;
  sum += value;
  sumOfSquares += value * value;
}

double AxisNoise::StandardDeviation() const {
  if (count < 2) return 0.0;
  const double mean = Mean();
  // Never below zero, whatever the rounding of two close sums.
  return std::sqrt(std::max(0.0, sumOfSquares / count - mean * mean));
}
