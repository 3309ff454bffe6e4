// A main for benchmark binaries that also reports each benchmark's time as a
// ratio of a floor benchmark measured in the same run.
#ifndef PADWATCH_BENCH_BENCH_RATIOS_H_
#define PADWATCH_BENCH_BENCH_RATIOS_H_

#include <vector>

struct RatioTarget {
  const char* name;   // the benchmark measured
  const char* floor;  // the benchmark it is measured against
  double target;      // the largest acceptable ratio; 0 for none
};

// Runs the registered benchmarks (Google Benchmark flags apply) and then
// prints one line per target with the ratio of median real times. Returns 0;
// a missed target is reported, not failed.
int RunBenchmarksWithRatios(int argc, char** argv, const std::vector<RatioTarget>& targets);

#endif  // PADWATCH_BENCH_BENCH_RATIOS_H_
