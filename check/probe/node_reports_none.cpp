// No event nodes here: --rate polls, as padwatch does.
#include <chrono>
#include <thread>

#include "check/probe/node_reports.h"

NodeReports::NodeReports(const std::string& /*path*/, FrameKind kind, int samplesPerReport)
    : frames(kind, samplesPerReport) {}

NodeReports::~NodeReports() = default;

std::vector<NodeReport> NodeReports::Take() { return {}; }

void NodeReports::WaitAny(const std::vector<NodeReports*>& /*nodes*/, int timeoutMs) {
  std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
}
