#include "check/rate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>

const char kRateExplanation[] =
    "Only reports that change something are counted: keep a stick moving while it measures.";

namespace {

using Json = nlohmann::ordered_json;

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof(text), "%.*f", decimals, value);
  return text;
}

double Rounded(double value, int decimals) {
  return std::strtod(Fixed(value, decimals).c_str(), nullptr);
}

}  // namespace

RateStats ComputeRateStats(const std::vector<double>& reportTimesMs) {
  RateStats stats;
  stats.reports = reportTimesMs.size();
  if (reportTimesMs.size() < 2) return stats;
  std::vector<double> intervals;
  intervals.reserve(reportTimesMs.size() - 1);
  for (std::size_t i = 1; i < reportTimesMs.size(); ++i) {
    intervals.push_back(reportTimesMs[i] - reportTimesMs[i - 1]);
  }
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

void RateMeter::Poll(double nowMs) {
  for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
    XINPUT_STATE state;
    std::memset(&state, 0, sizeof(state));
    if (XInputGetState(slot, &state) != 0) continue;
    // The first packet seen is where the count starts, not a report.
    if (seen[slot] && state.dwPacketNumber != lastPacket[slot]) times[slot].push_back(nowMs);
    seen[slot] = true;
    lastPacket[slot] = state.dwPacketNumber;
  }
}

std::string FormatRateText(const RateMeter& meter, double seconds) {
  std::string text = "Measured for " + Fixed(seconds, 1) + " s.\n";
  for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
    text += "Slot " + std::to_string(slot) + ": ";
    if (!meter.EverConnected(slot)) {
      text += "empty\n";
      continue;
    }
    const RateStats stats = ComputeRateStats(meter.ReportTimes(slot));
    text += std::to_string(stats.reports) + " reports";
    if (!stats.enough) {
      text += ": too few reports (at least " + std::to_string(kMinRateIntervals + 1) +
              " are needed; keep a stick moving)\n";
      continue;
    }
    text += "; interval min " + Fixed(stats.minMs, 3) + " ms, median " + Fixed(stats.medianMs, 3) +
            " ms, 99th percentile " + Fixed(stats.p99Ms, 3) + " ms, max " + Fixed(stats.maxMs, 3) +
            " ms; mean rate " + Fixed(stats.meanHz, 1) + " Hz";
    text += stats.usualHz != 0 ? ", usual rate " + std::to_string(stats.usualHz) + " Hz"
                               : ", no usual rate";
    text += "; jitter " + Fixed(stats.jitterMs, 3) + " ms\n";
  }
  return text;
}

std::string FormatRateJson(const RateMeter& meter, double seconds) {
  Json report = {
      {"tool", "padwatch-check"}, {"seconds", Rounded(seconds, 1)}, {"slots", Json::array()}};
  for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
    Json entry = {{"slot", slot}, {"connected", meter.EverConnected(slot)}};
    if (meter.EverConnected(slot)) {
      const RateStats stats = ComputeRateStats(meter.ReportTimes(slot));
      entry["reports"] = stats.reports;
      entry["enough"] = stats.enough;
      if (stats.enough) {
        entry["intervalMs"] = {{"min", Rounded(stats.minMs, 3)},
                               {"median", Rounded(stats.medianMs, 3)},
                               {"p99", Rounded(stats.p99Ms, 3)},
                               {"max", Rounded(stats.maxMs, 3)}};
        entry["meanHz"] = Rounded(stats.meanHz, 1);
        entry["usualHz"] = stats.usualHz != 0 ? Json(stats.usualHz) : Json(nullptr);
        entry["jitterMs"] = Rounded(stats.jitterMs, 3);
      }
    }
    report["slots"].push_back(entry);
  }
  return report.dump(2) + "\n";
}
