// Controllers that move on their own, for padwatch-check --demo: someone
// with no controller at hand, and the tests, see the live screen at work.
// Where the platform cannot make virtual controllers, there are none.
#ifndef PADWATCH_CHECK_PROBE_DEMO_PADS_H_
#define PADWATCH_CHECK_PROBE_DEMO_PADS_H_

#include <memory>

class DemoPads {
 public:
  // Whether this platform can make them.
  static bool Available();

  DemoPads();
  ~DemoPads();
  DemoPads(const DemoPads&) = delete;
  DemoPads& operator=(const DemoPads&) = delete;

  // Plugs two controllers in. Returns false, with a message on standard
  // error, where they cannot be made.
  bool Start();
  // Moves them to where they are `seconds` after the start: sticks going
  // round (one with a worn, dented gate, one drifting at rest), buttons in
  // turn, triggers pulled and let go. Changes at most every 4 ms, so they
  // report at 250 Hz as many pads do.
  void Move(double seconds);

 private:
  struct Pads;
  std::unique_ptr<Pads> pads;
};

#endif  // PADWATCH_CHECK_PROBE_DEMO_PADS_H_
