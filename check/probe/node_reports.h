// The reports of an event node as the kernel timestamped them, for --rate
// on Linux: a pad's own node, or the node of its motion sensors. A report's
// time is the kernel's, taken when the driver handed the report over, on
// the clock of std::chrono::steady_clock. They are read while waiting on
// the node, so measuring spins no core, and the node is opened read-only,
// never grabbed. Where there are no such nodes (Windows), nothing opens.
#ifndef PADWATCH_CHECK_PROBE_NODE_REPORTS_H_
#define PADWATCH_CHECK_PROBE_NODE_REPORTS_H_

#include <cstddef>
#include <string>
#include <vector>

#include "check/probe/node_frames.h"

class NodeReports {
 public:
  // kind and samplesPerReport as NodeFrames takes them.
  explicit NodeReports(const std::string& path, FrameKind kind = FrameKind::kChanges,
                       int samplesPerReport = 1);
  ~NodeReports();
  NodeReports(const NodeReports&) = delete;
  NodeReports& operator=(const NodeReports&) = delete;

  // False where the node cannot be read, and once the pad has gone.
  bool IsOpen() const { return fd >= 0; }
  // The reports that have come since the last call, without waiting.
  std::vector<NodeReport> Take();
  // How many times the kernel's buffer overflowed and it dropped reports.
  std::size_t Drops() const { return frames.Drops(); }

  // Waits up to timeoutMs until one of nodes has something to read.
  static void WaitAny(const std::vector<NodeReports*>& nodes, int timeoutMs);

 private:
  int fd = -1;
  NodeFrames frames;
};

#endif  // PADWATCH_CHECK_PROBE_NODE_REPORTS_H_
