// A trigger's travel while it is pulled: the highest value it reached, how
// many different values it went through (its resolution), how many pulls
// it made (past half its travel and back to rest), and whether it is at
// rest now.
#ifndef PADWATCH_CHECK_HEALTH_TRIGGER_TRAVEL_H_
#define PADWATCH_CHECK_HEALTH_TRIGGER_TRAVEL_H_

#include <bitset>
#include <cstdint>

class TriggerTravel {
 public:
  void Add(std::uint8_t value);

  int Highest() const { return highest; }
  int DistinctValues() const { return static_cast<int>(seen.count()); }
  int Pulls() const { return pulls; }
  bool AtRest() const;

 private:
  int highest = 0;
  int last = 0;
  int pulls = 0;
  bool pulling = false;
  std::bitset<256> seen;
};

#endif  // PADWATCH_CHECK_HEALTH_TRIGGER_TRAVEL_H_
