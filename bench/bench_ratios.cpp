#include "bench/bench_ratios.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

// Remembers each benchmark's real time per iteration, preferring the median
// when repetitions are run.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const std::string name = run.run_name.str();
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type == Run::RT_Iteration && medians.count(name) == 0) {
        times[name] = run.GetAdjustedRealTime();
      } else if (median) {
        times[name] = run.GetAdjustedRealTime();
        medians[name] = true;
      }
    }
  }
  std::map<std::string, double> times;
  std::map<std::string, bool> medians;
};

}  // namespace

int RunBenchmarksWithRatios(int argc, char** argv, const std::vector<RatioTarget>& targets) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\n%-44s %12s %12s %7s %7s\n", "benchmark / floor", "time", "floor", "ratio",
              "target");
  for (const RatioTarget& t : targets) {
    auto measured = reporter.times.find(t.name);
    auto floor = reporter.times.find(t.floor);
    if (measured == reporter.times.end() || floor == reporter.times.end()) continue;
    const double ratio = measured->second / floor->second;
    char target[32] = "-";
    if (t.target > 0) std::snprintf(target, sizeof(target), "%.2f", t.target);
    std::printf("%-44s %12.1f %12.1f %7.3f %7s %s\n", t.name, measured->second, floor->second,
                ratio, target, t.target > 0 ? (ratio <= t.target ? "met" : "MISSED") : "");
    std::printf("  / %s\n", t.floor);
  }
  std::fflush(stdout);
  return 0;
}
