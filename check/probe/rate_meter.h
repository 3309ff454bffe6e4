// How often each controller reports. A report is a change of the slot's
// packet number, so only reports that change something are counted; the
// user keeps a stick moving while it measures.
#ifndef PADWATCH_CHECK_PROBE_RATE_METER_H_
#define PADWATCH_CHECK_PROBE_RATE_METER_H_

#include <array>
#include <cstddef>
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
RateStats ComputeRateStats(const std::vector<double>& reportTimesMs);

// Notes the time of every new packet of each slot.
class RateMeter {
 public:
  // Polls the four slots once at time nowMs.
  void Poll(double nowMs);

  bool EverConnected(DWORD slot) const { return seen[slot]; }
  bool AnyConnected() const { return seen[0] || seen[1] || seen[2] || seen[3]; }
  const std::vector<double>& ReportTimes(DWORD slot) const { return times[slot]; }

 private:
  std::array<bool, XUSER_MAX_COUNT> seen{};
  std::array<DWORD, XUSER_MAX_COUNT> lastPacket{};
  std::array<std::vector<double>, XUSER_MAX_COUNT> times;
};

#endif  // PADWATCH_CHECK_PROBE_RATE_METER_H_
