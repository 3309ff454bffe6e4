// How one axis moves while nobody touches it: the mean of its readings,
// their standard deviation and their peak to peak, in raw units.
#ifndef PADWATCH_CHECK_HEALTH_AXIS_NOISE_H_
#define PADWATCH_CHECK_HEALTH_AXIS_NOISE_H_

#include <cstdint>

class AxisNoise {
 public:
  void Add(double value);

  std::uint64_t Count() const { return count; }
  double Mean() const { return count == 0 ? 0.0 : sum / count; }
  // The population standard deviation; 0 with fewer than two readings.
  double StandardDeviation() const;
  double PeakToPeak() const { return count == 0 ? 0.0 : highest - lowest; }
  double Highest() const { return highest; }
  double Lowest() const { return lowest; }

 private:
  std::uint64_t count = 0;
  double sum = 0;
  double sumOfSquares = 0;
  double highest = 0;
  double lowest = 0;
};

#endif  // PADWATCH_CHECK_HEALTH_AXIS_NOISE_H_
