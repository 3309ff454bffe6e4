// The reports of a pad's event node as the kernel timestamped them, for
// --rate on Linux. A report is a frame (events up to SYN_REPORT) that
// changed a key or an axis; its time is the kernel's, taken when the driver
// handed the report over, on the clock of std::chrono::steady_clock. They
// are read while waiting on the node, so measuring spins no core, and the
// node is opened read-only, never grabbed. Where there are no such nodes
// (Windows), nothing opens.
#ifndef PADWATCH_CHECK_PROBE_NODE_REPORTS_H_
#define PADWATCH_CHECK_PROBE_NODE_REPORTS_H_

#include <cstddef>
#include <string>
#include <vector>

struct NodeReport {
  double kernelMs;  // the kernel's timestamp
  double readMs;    // when this program read it, on the same clock
  bool afterDrop;   // the kernel dropped reports just before this one
};

class NodeReports {
 public:
  explicit NodeReports(const std::string& path);
  ~NodeReports();
  NodeReports(const NodeReports&) = delete;
  NodeReports& operator=(const NodeReports&) = delete;

  // False where the node cannot be read, and once the pad has gone.
  bool IsOpen() const { return fd >= 0; }
  // The reports that have come since the last call, without waiting.
  std::vector<NodeReport> Take();
  // How many times the kernel's buffer overflowed and it dropped reports.
  std::size_t Drops() const { return drops; }

  // Waits up to timeoutMs until one of nodes has something to read.
  static void WaitAny(const std::vector<NodeReports*>& nodes, int timeoutMs);

 private:
  int fd = -1;
  bool changed = false;   // the frame being read changed a key or an axis
  bool dropping = false;  // reading past a SYN_DROPPED, up to the next report
  bool dropped = false;   // the next report comes after a drop
  std::size_t drops = 0;
};

#endif  // PADWATCH_CHECK_PROBE_NODE_REPORTS_H_
