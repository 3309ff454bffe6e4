// How long --rate lets reports gather in the event nodes' buffers between
// two reads: the longer, the fewer wake-ups measuring costs; too long, and
// a buffer fills and the kernel drops reports. The smallest buffer the
// kernel gives a node holds 64 events, 8 frames of 8 events.
#ifndef PADWATCH_CHECK_PROBE_GATHER_PACE_H_
#define PADWATCH_CHECK_PROBE_GATHER_PACE_H_

#include <cstddef>

class GatherPace {
 public:
  static constexpr int kMinMs = 4;
  static constexpr int kMaxMs = 32;

  // After a read in which the busiest node gave `frames` frames: halves the
  // time once that reaches 6; doubles it while it is at most 2, where the
  // read came after a gather (after a wait for the first report, one frame
  // says nothing of the pace).
  void AfterRead(std::size_t frames, bool gathered);
  int Ms() const { return ms; }

 private:
  int ms = kMinMs;
};

#endif  // PADWATCH_CHECK_PROBE_GATHER_PACE_H_
