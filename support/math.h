// Range limiting for normalised axis values.
#ifndef PADWATCH_SUPPORT_MATH_H_
#define PADWATCH_SUPPORT_MATH_H_

#include <cassert>

// Returns value limited to [min, max]; max must be greater than min. A value
// equal to a bound, or a NaN, comes back unchanged.
inline float Clamp(float value, float min, float max) {
  assert("Value max must not be less than value min!" && max > min);
  if (min > value) return min;
  if (value > max) return max;
  return value;
}

// Returns value limited to [0, 1]; a NaN comes back unchanged.
inline float Clamp01(float value) {
  if (0.0f > value) return 0.0f;
  if (value > 1.0f) return 1.0f;
  return value;
}

#endif  // PADWATCH_SUPPORT_MATH_H_
