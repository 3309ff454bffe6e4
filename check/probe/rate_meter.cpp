#include "check/probe/rate_meter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

RateStats ComputeRateStats(const std::vector<double>& reportTimesMs) {
  RateStats stats;
  std::vector<double> intervals;
  for (std::size_t i = 0; i < reportTimesMs.size(); ++i) {
    if (std::isnan(reportTimesMs[i])) continue;
    ++stats.reports;
    if (i > 0 && !std::isnan(reportTimesMs[i - 1])) {
      intervals.push_back(reportTimesMs[i] - reportTimesMs[i - 1]);
    }
  }
  if (intervals.empty()) return stats;
  const std::size_t n = intervals.size();
  stats.enough = n >= kMinRateIntervals;
  double sum = 0;
  for (double interval : intervals) sum += interval;
  const double mean = sum / n;
  double squares = 0;
  for (double interval : intervals) squares += (interval - mean) * (interval - mean);
  stats.jitterMs = std::sqrt(squares / n);
  stats.meanHz = mean > 0 ? 1000.0 / mean : 0;
  std::sort(intervals.begin(), intervals.end());
  stats.minMs = intervals.front();
  stats.maxMs = intervals.back();
  stats.medianMs = n % 2 == 1 ? intervals[n / 2] : (intervals[n / 2 - 1] + intervals[n / 2]) / 2;
  const std::size_t rank = static_cast<std::size_t>(std::ceil(0.99 * n));
  stats.p99Ms = intervals[std::max<std::size_t>(rank, 1) - 1];
  if (stats.medianMs > 0) {
    const double medianHz = 1000.0 / stats.medianMs;
    double nearest = 1e300;
    for (int usual : kUsualRatesHz) {
      const double off = std::fabs(medianHz - usual);
      if (off <= 0.1 * usual && off < nearest) {
        nearest = off;
        stats.usualHz = usual;
      }
    }
  }
  return stats;
}

ReadDelay ComputeReadDelay(std::vector<double> delaysMs) {
  ReadDelay delay;
  if (delaysMs.empty()) return delay;
  std::sort(delaysMs.begin(), delaysMs.end());
  const auto rank = [&delaysMs](double share) {
    const std::size_t r = static_cast<std::size_t>(std::ceil(share * delaysMs.size()));
    return delaysMs[std::max<std::size_t>(r, 1) - 1];
  };
  delay.known = true;
  delay.p50Ms = rank(0.5);
  delay.p99Ms = rank(0.99);
  return delay;
}

void RateMeter::AddKernelReport(DWORD slot, double kernelMs, double readMs, bool afterDrop) {
  if (afterDrop && !times[slot].empty()) times[slot].push_back(std::nan(""));
  times[slot].push_back(kernelMs);
  if (!std::isnan(readMs)) delays[slot].push_back(readMs - kernelMs);
}

void RateMeter::UseMotionNode(DWORD slot, bool padClock) {
  motion[slot].used = true;
  motion[slot].padClock = padClock;
}

void RateMeter::AddMotionReport(DWORD slot, double kernelMs, bool afterDrop, bool hasPadClock,
                                std::uint32_t padUs) {
  MotionSeries& series = motion[slot];
  if (afterDrop && !series.times.empty()) {
    series.times.push_back(std::nan(""));
    if (series.clockStarted) series.padTimes.push_back(std::nan(""));
  }
  series.times.push_back(kernelMs);
  if (!series.padClock || !hasPadClock) return;
  // Unsigned differences follow the clock round its wrap.
  if (series.clockStarted)
    series.padMs += static_cast<std::uint32_t>(padUs - series.lastPadUs) / 1000.0;
  series.clockStarted = true;
  series.lastPadUs = padUs;
  series.padTimes.push_back(series.padMs);
}

void RateMeter::Poll(double nowMs) {
  for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
    XINPUT_STATE state;
    std::memset(&state, 0, sizeof(state));
    if (XInputGetState(slot, &state) != 0) continue;
    if (sources[slot] == RateSource::kKernelTimestamps) {
      seen[slot] = true;
      continue;
    }
    // The first packet seen is where the count starts, not a report.
    if (seen[slot] && state.dwPacketNumber != lastPacket[slot]) times[slot].push_back(nowMs);
    seen[slot] = true;
    lastPacket[slot] = state.dwPacketNumber;
  }
}
