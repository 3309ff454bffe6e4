// How often each controller reports. A report is a change of the slot's
// packet number, or on Linux a report of its event node that changed
// something, so the user keeps a stick moving while it measures. A pad with
// a motion node (the Sony and Nintendo drivers make one) is measured there
// too, where it reports whether it moves or not, and from the pad's own
// clock where the node passes it on.
#ifndef PADWATCH_CHECK_PROBE_RATE_METER_H_
#define PADWATCH_CHECK_PROBE_RATE_METER_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/xinput.h"

// Below this many intervals the figures say nothing.
constexpr std::size_t kMinRateIntervals = 20;

// The rates controllers usually report at.
constexpr int kUsualRatesHz[] = {125, 250, 500, 1000};

struct RateStats {
  std::size_t reports = 0;
  bool enough = false;  // at least kMinRateIntervals intervals; the rest is
                        // meaningful only then
  double minMs = 0;
  double medianMs = 0;
  double p99Ms = 0;  // nearest rank
  double maxMs = 0;
  double meanHz = 0;    // from the mean interval
  double jitterMs = 0;  // standard deviation of the intervals
  // The usual rate nearest to the rate of the median interval, where that
  // lies within 10% of it; 0 otherwise. The median, so that a pause in the
  // movement does not hide the rate.
  int usualHz = 0;
};

// The figures for reports seen at the given times (milliseconds, in order).
// A NaN among them marks reports lost between its neighbours: the interval
// across it is left out.
RateStats ComputeRateStats(const std::vector<double>& reportTimesMs);

// Where a slot's report times come from.
enum class RateSource {
  kPolling,           // the polls that saw a new packet, as padwatch sees them
  kKernelTimestamps,  // the kernel's timestamps on the pad's event node (Linux)
};

// The delay from the kernel's timestamp to the moment a report was read:
// a figure of the machine's load.
struct ReadDelay {
  bool known = false;
  double p50Ms = 0;
  double p99Ms = 0;  // nearest rank
};
ReadDelay ComputeReadDelay(std::vector<double> delaysMs);

// Notes the time of every new packet of each slot, or of every report its
// event node gives, whichever way the slot is measured.
class RateMeter {
 public:
  // Polls the four slots once at time nowMs. Slots measured by their nodes
  // are only noted as connected.
  void Poll(double nowMs);
  // From now on slot is measured from its node's timestamps: the caller
  // adds each report.
  void UseKernelTimestamps(DWORD slot) { sources[slot] = RateSource::kKernelTimestamps; }
  // A report the node gave: its kernel time, when it was read (NaN where
  // that says nothing of how late this process woke: it had waited on
  // purpose), and whether reports were dropped just before it.
  void AddKernelReport(DWORD slot, double kernelMs, double readMs, bool afterDrop);
  void SetDrops(DWORD slot, std::size_t count) { drops[slot] = count; }

  // From now on slot's motion node is read too: every report of the pad,
  // moving or not, with the pad's own clock where padClock (a driver that
  // makes its times up, hid-nintendo, gives none worth measuring).
  void UseMotionNode(DWORD slot, bool padClock);
  // A report the motion node gave, with the pad's clock where it came with
  // one (microseconds, wrapping at 2^32).
  void AddMotionReport(DWORD slot, double kernelMs, bool afterDrop, bool hasPadClock,
                       std::uint32_t padUs);
  void SetMotionDrops(DWORD slot, std::size_t count) { motion[slot].drops = count; }

  bool EverConnected(DWORD slot) const { return seen[slot]; }
  bool AnyConnected() const { return seen[0] || seen[1] || seen[2] || seen[3]; }
  const std::vector<double>& ReportTimes(DWORD slot) const { return times[slot]; }
  RateSource Source(DWORD slot) const { return sources[slot]; }
  std::size_t Drops(DWORD slot) const { return drops[slot]; }
  const std::vector<double>& DelaysMs(DWORD slot) const { return delays[slot]; }
  bool UsesMotionNode(DWORD slot) const { return motion[slot].used; }
  bool MeasuresPadClock(DWORD slot) const { return motion[slot].padClock; }
  // The motion node's report times, and the pad's clock at them (ms from
  // its first), each with NaN where reports were dropped.
  const std::vector<double>& MotionTimes(DWORD slot) const { return motion[slot].times; }
  const std::vector<double>& PadClockTimes(DWORD slot) const { return motion[slot].padTimes; }
  std::size_t MotionDrops(DWORD slot) const { return motion[slot].drops; }

 private:
  struct MotionSeries {
    bool used = false;
    bool padClock = false;
    std::vector<double> times;
    std::vector<double> padTimes;
    std::size_t drops = 0;
    bool clockStarted = false;
    std::uint32_t lastPadUs = 0;
    double padMs = 0;
  };

  std::array<bool, XUSER_MAX_COUNT> seen{};
  std::array<DWORD, XUSER_MAX_COUNT> lastPacket{};
  std::array<std::vector<double>, XUSER_MAX_COUNT> times;
  std::array<RateSource, XUSER_MAX_COUNT> sources{};
  std::array<std::size_t, XUSER_MAX_COUNT> drops{};
  std::array<std::vector<double>, XUSER_MAX_COUNT> delays;
  std::array<MotionSeries, XUSER_MAX_COUNT> motion;
};

#endif  // PADWATCH_CHECK_PROBE_RATE_METER_H_
