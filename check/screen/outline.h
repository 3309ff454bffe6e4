// The outline of a stick's furthest reach in each direction, traced since
// the start (or the last clear): a worn stick's gate shows as a dent.
#ifndef PADWATCH_CHECK_SCREEN_OUTLINE_H_
#define PADWATCH_CHECK_SCREEN_OUTLINE_H_

#include <array>
#include <cstdint>

class Outline {
 public:
  static constexpr int kDirections = 32;

  // Takes one reading. Readings inside deadZone (per axis, as padwatch
  // judges rest) say nothing of the stick's reach.
  void Add(std::int32_t x, std::int32_t y, std::int32_t deadZone);
  void Clear() { reach.fill(0.0); }

  // The furthest reach in direction i (0 is right, counting anticlockwise),
  // as a fraction of full scale; 0 where the stick has not been.
  double Reach(int direction) const { return reach[direction]; }
  // Whether the stick has been in every direction.
  bool GoneRound() const;
  // The mean deviation of the outline from a circle through it, as a
  // percentage of that circle's radius; meaningful once GoneRound().
  double CircularityPercent() const;

 private:
  std::array<double, kDirections> reach{};
};

#endif  // PADWATCH_CHECK_SCREEN_OUTLINE_H_
