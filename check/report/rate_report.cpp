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

// One series' figures: "N reports; interval ...; jitter X ms", or why
// there are none.
std::string StatsText(const RateStats& stats) {
  std::string text = std::to_string(stats.reports) + " reports";
  if (!stats.enough) {
    return text + ": too few reports (at least " + std::to_string(kMinRateIntervals + 1) +
           " are needed; keep a stick moving)";
  }
  text += "; interval min " + Fixed(stats.minMs, 3) + " ms, median " + Fixed(stats.medianMs, 3) +
          " ms, 99th percentile " + Fixed(stats.p99Ms, 3) + " ms, max " + Fixed(stats.maxMs, 3) +
          " ms; mean rate " + Fixed(stats.meanHz, 1) + " Hz";
  text += stats.usualHz != 0 ? ", usual rate " + std::to_string(stats.usualHz) + " Hz"
                             : ", no usual rate";
  return text + "; jitter " + Fixed(stats.jitterMs, 3) + " ms";
}

// The motion node's lines under a slot's: its reports by the kernel's
// timestamps, then by the pad's own clock.
std::string MotionText(const RateMeter& meter, DWORD slot) {
  const std::size_t drops = meter.MotionDrops(slot);
  std::string text = "  motion node: " + StatsText(ComputeRateStats(meter.MotionTimes(slot))) +
                     "; from the motion node's timestamps, " + std::to_string(drops) +
                     (drops == 1 ? " drop" : " drops") + "\n  pad's clock: ";
  if (!meter.MeasuresPadClock(slot)) {
    return text + "not measured: its driver makes up the times of its motion samples\n";
  }
  if (meter.PadClockTimes(slot).empty()) return text + "none came with the reports\n";
  return text + StatsText(ComputeRateStats(meter.PadClockTimes(slot))) +
         "; from the pad's own timestamps, apart from the host's\n";
}

Json StatsJson(const RateStats& stats) {
  Json entry = {{"reports", stats.reports}, {"enough", stats.enough}};
  if (stats.enough) {
    entry["intervalMs"] = {{"min", Rounded(stats.minMs, 3)},
                           {"median", Rounded(stats.medianMs, 3)},
                           {"p99", Rounded(stats.p99Ms, 3)},
                           {"max", Rounded(stats.maxMs, 3)}};
    entry["meanHz"] = Rounded(stats.meanHz, 1);
    entry["usualHz"] = stats.usualHz != 0 ? Json(stats.usualHz) : Json(nullptr);
    entry["jitterMs"] = Rounded(stats.jitterMs, 3);
  }
  return entry;
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
    text += StatsText(stats);
    text += stats.enough ? "; " + SourceText(meter, slot) + "\n" : "\n";
    if (meter.UsesMotionNode(slot)) text += MotionText(meter, slot);
  }
  return text;
}

std::string FormatRateJson(const RateMeter& meter, double seconds) {
  Json report = {
      {"tool", "padwatch-check"}, {"seconds", Rounded(seconds, 1)}, {"slots", Json::array()}};
  for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
    Json entry = {{"slot", slot}, {"connected", meter.EverConnected(slot)}};
    if (meter.EverConnected(slot)) {
      const bool kernel = meter.Source(slot) == RateSource::kKernelTimestamps;
      entry["source"] = kernel ? "kernel timestamps" : "polling";
      if (kernel) {
        entry["drops"] = meter.Drops(slot);
        const ReadDelay delay = ComputeReadDelay(meter.DelaysMs(slot));
        entry["readDelayMs"] =
            delay.known ? Json{{"p50", Rounded(delay.p50Ms, 3)}, {"p99", Rounded(delay.p99Ms, 3)}}
                        : Json(nullptr);
      }
      entry.update(StatsJson(ComputeRateStats(meter.ReportTimes(slot))));
      if (meter.UsesMotionNode(slot)) {
        Json motion = {{"source", "motion node timestamps"}, {"drops", meter.MotionDrops(slot)}};
        motion.update(StatsJson(ComputeRateStats(meter.MotionTimes(slot))));
        entry["motion"] = motion;
        if (meter.MeasuresPadClock(slot) && !meter.PadClockTimes(slot).empty()) {
          Json clock = {{"source", "pad clock"}};
          clock.update(StatsJson(ComputeRateStats(meter.PadClockTimes(slot))));
          entry["padClock"] = clock;
        } else {
          entry["padClock"] = nullptr;
        }
      }
    }
    report["slots"].push_back(entry);
  }
  return report.dump(2) + "\n";
}
