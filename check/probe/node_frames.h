// Reports out of the events an event node gives, frame by frame (a frame
// ends at SYN_REPORT). Apart from the node itself so that any platform can
// test it: evdev's numbers are spelt out here.
#ifndef PADWATCH_CHECK_PROBE_NODE_FRAMES_H_
#define PADWATCH_CHECK_PROBE_NODE_FRAMES_H_

#include <cstddef>
#include <cstdint>
#include <vector>

// evdev's event types and codes, as linux/input-event-codes.h has them.
constexpr std::uint16_t kEvSyn = 0x00, kEvKey = 0x01, kEvAbs = 0x03, kEvMsc = 0x04;
constexpr std::uint16_t kSynReport = 0, kSynDropped = 3, kMscTimestamp = 0x05;

// One event: the kernel's timestamp (ms, on steady_clock's clock) and
// struct input_event's fields.
struct NodeEvent {
  double kernelMs;
  std::uint16_t type;
  std::uint16_t code;
  std::int32_t value;
};

struct NodeReport {
  double kernelMs;  // the kernel's timestamp
  double readMs;    // when this program read it, on the same clock
  bool afterDrop;   // the kernel dropped reports just before this one
  // The pad's own clock (MSC_TIMESTAMP, microseconds, wrapping at 2^32),
  // where the driver passes it on.
  bool hasPadClock;
  std::uint32_t padUs;
};

// Which frames are reports.
enum class FrameKind {
  kChanges,  // those that change a key or an axis: a pad's own node,
             // which says only what changed
  kEvery,    // every frame: a motion node, which reports on every report
             // of the pad, lying still or not
};

class NodeFrames {
 public:
  // One report of the pad becomes samplesPerReport frames (hid-nintendo's
  // motion node: three samples, each a frame, handed over at one moment);
  // the first stands for the report.
  explicit NodeFrames(FrameKind kind = FrameKind::kChanges, int samplesPerReport = 1)
      : kind(kind), samplesPerReport(samplesPerReport) {}

  // Takes events in the order the node gave them, read at readMs; adds the
  // reports they complete to *reports. Everything up to the report after a
  // SYN_DROPPED is incomplete: left out, and that report marked afterDrop.
  void Add(const NodeEvent* events, std::size_t count, double readMs,
           std::vector<NodeReport>* reports);
  // How many times the kernel's buffer overflowed and it dropped reports.
  std::size_t Drops() const { return drops; }

 private:
  FrameKind kind;
  int samplesPerReport;
  bool counts = false;    // the frame being read is a report of kind
  bool dropping = false;  // reading past a SYN_DROPPED, up to the next report
  bool dropped = false;   // the next report comes after a drop
  bool hasClock = false;  // the frame being read carries the pad's clock
  std::uint32_t clock = 0;
  int samples = 0;         // frames of the pad's report being read so far
  double lastFrameMs = 0;  // the kernel's time of the last frame
  std::size_t drops = 0;
};

#endif  // PADWATCH_CHECK_PROBE_NODE_FRAMES_H_
