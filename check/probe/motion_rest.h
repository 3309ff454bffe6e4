// How a pad's motion sensors read while it lies still. A still pad turns at
// 0 degrees a second about every axis, so the gyroscope's mean is its bias,
// the drift a game sees as a slow turn; and it feels 1 g of gravity, so the
// acceleration's magnitude, whichever way the pad lies, shows how well its
// accelerometer is scaled.
#ifndef PADWATCH_CHECK_PROBE_MOTION_REST_H_
#define PADWATCH_CHECK_PROBE_MOTION_REST_H_

#include "check/probe/pad_sensors.h"

class MotionRest {
 public:
  void Add(const MotionValues& motion);

  int Readings() const { return readings; }
  // The mean angular rate about axis 0 (x) to 2 (z), in degrees a second.
  double BiasDps(int axis) const;
  // The mean magnitude of the acceleration, in g.
  double MagnitudeG() const;

 private:
  int readings = 0;
  double gyroSums[3] = {0, 0, 0};
  double magnitudeSum = 0;
};

#endif  // PADWATCH_CHECK_PROBE_MOTION_REST_H_
