#include "check/probe/node_frames.h"

namespace {

// Frames of one report of the pad are handed over together, microseconds
// apart, or up to a millisecond or so on a busy (or emulated) machine; two
// reports are further apart than this but in a burst, where the count of
// samples tells them apart.
constexpr double kSameReportMs = 2;

}  // namespace

void NodeFrames::Add(const NodeEvent* events, std::size_t count, double readMs,
                     std::vector<NodeReport>* reports) {
  for (std::size_t i = 0; i < count; ++i) {
    const NodeEvent& event = events[i];
    if (event.type == kEvSyn && event.code == kSynDropped) {
      dropping = true;
      dropped = true;
      counts = false;
      hasClock = false;
      samples = 0;
      ++drops;
    } else if (event.type == kEvSyn && event.code == kSynReport) {
      if (dropping) {
        dropping = false;
      } else if (counts) {
        // A further sample of the report being read is not a report.
        const bool sameReport = samples > 0 && samples < samplesPerReport &&
                                event.kernelMs - lastFrameMs < kSameReportMs;
        samples = sameReport ? samples + 1 : 1;
        if (!sameReport) {
          reports->push_back({event.kernelMs, readMs, dropped, hasClock, clock});
          dropped = false;
        }
        lastFrameMs = event.kernelMs;
      }
      counts = false;
      hasClock = false;
    } else if (event.type == kEvMsc && event.code == kMscTimestamp) {
      hasClock = true;
      clock = static_cast<std::uint32_t>(event.value);
      counts |= kind == FrameKind::kEvery;
    } else if (event.type == kEvKey || event.type == kEvAbs) {
      counts = true;
    }
  }
}
