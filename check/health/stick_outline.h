// A stick's outline as controller testers trace it: the furthest reach in
// each of 48 directions of 7.5 degrees, in units of full scale, and how far
// that outline is from the full circle. One definition for the live
// screen's roundness and the health check's, so that the figures compare
// with other testers'.
#ifndef PADWATCH_CHECK_HEALTH_STICK_OUTLINE_H_
#define PADWATCH_CHECK_HEALTH_STICK_OUTLINE_H_

#include <array>
#include <cstdint>

class StickOutline {
 public:
  static constexpr int kDirections = 48;

  // Takes one reading: its direction is round(atan2(y, x) * 48 / 2pi) mod
  // 48 (0 is right, counting anticlockwise, y up as XInput has it), its
  // radius hypot(x, y) over full scale; each direction keeps its largest.
  void Add(std::int32_t x, std::int32_t y);
  void Clear() { reach.fill(0.0); }

  // The furthest reach in direction d; 0 where the stick has not been.
  double Reach(int direction) const { return reach[direction]; }
  // How many directions reach beyond radius.
  int DirectionsPast(double radius) const;
  // Whether the error means anything yet: more than 10 directions past 0.3.
  bool ShowsError() const { return DirectionsPast(0.3) > 10; }
  // Whether the stick has gone round, as range calibrators count a circle:
  // 95% of the directions past 0.8.
  bool GoneRound() const { return DirectionsPast(0.8) * 100 >= 95 * kDirections; }
  // The circularity error: the root mean square of (r - 1) over the
  // directions with r > 0.2, as a percentage; 0 where there are none.
  double CircularityErrorPercent() const;
  // The reach toward main direction m (0 right, 1 up-right, ... 7
  // down-right, 45 degrees apart), as a percentage of full scale.
  double MainReachPercent(int m) const { return reach[m * kDirections / 8] * 100.0; }

 private:
  std::array<double, kDirections> reach{};
};

#endif  // PADWATCH_CHECK_HEALTH_STICK_OUTLINE_H_
