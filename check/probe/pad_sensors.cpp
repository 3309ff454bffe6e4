#include "check/probe/pad_sensors.h"

bool MotionFromAxes(const std::array<int, 6>& values, const std::array<int, 6>& resolutions,
                    MotionValues* motion) {
  for (int resolution : resolutions) {
    if (resolution <= 0) return false;
  }
  for (int i = 0; i < 3; ++i) {
    motion->accelG[i] = static_cast<double>(values[i]) / resolutions[i];
    motion->gyroDps[i] = static_cast<double>(values[3 + i]) / resolutions[3 + i];
  }
  return true;
}
