#include "check/probe/motion_rest.h"

#include <cmath>

void MotionRest::Add(const MotionValues& motion) {
  ++readings;
  for (int i = 0; i < 3; ++i) gyroSums[i] += motion.gyroDps[i];
  magnitudeSum +=
      std::sqrt(motion.accelG[0] * motion.accelG[0] + motion.accelG[1] * motion.accelG[1] +
                motion.accelG[2] * motion.accelG[2]);
}

double MotionRest::BiasDps(int axis) const { return readings == 0 ? 0 : gyroSums[axis] / readings; }

double MotionRest::MagnitudeG() const { return readings == 0 ? 0 : magnitudeSum / readings; }
