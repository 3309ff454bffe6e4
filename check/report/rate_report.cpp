#include "check/report/rate_report.h"

#include <nlohmann/json.hpp>

#include "check/report/decimal_text.h"

const char kRateExplanation[] =
    "Only reports that change something are counted: keep a stick moving while it measures.";

namespace {

using Json = nlohmann::ordered_json;

// Where the figures come from, and for the kernel's timestamps what was
// dropped and how late the reports were read.
std::string SourceText(const RateMeter& meter, DWORD slot) {
  if (meter.Source(slot) == RateSource::kPolling) return "by polling";
  std::string text = "from the input node's timestamps, " + std::to_string(meter.Drops(slot)) +
                     (meter.Drops(slot) == 1 ? " drop" : " drops");
  const ReadDelay delay = ComputeReadDelay(meter.DelaysMs(slot));
  if (delay.known) {
    text += ", read " + Fixed(delay.p50Ms, 3) + " ms after them at the median, " +
            Fixed(delay.p99Ms, 3) + " ms at the 99th percentile";
  }
  return text;
}

}  // namespace

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
    text += "; jitter " + Fixed(stats.jitterMs, 3) + " ms; " + SourceText(meter, slot) + "\n";
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
      const bool kernel = meter.Source(slot) == RateSource::kKernelTimestamps;
      entry["source"] = kernel ? "kernel timestamps" : "polling";
      if (kernel) {
        entry["drops"] = meter.Drops(slot);
        const ReadDelay delay = ComputeReadDelay(meter.DelaysMs(slot));
        entry["readDelayMs"] =
            delay.known ? Json{{"p50", Rounded(delay.p50Ms, 3)}, {"p99", Rounded(delay.p99Ms, 3)}}
                        : Json(nullptr);
      }
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
