// The report-rate figures of padwatch-check --rate, on made-up timestamps.
#include "check/probe/rate_meter.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Reports every periodMs, each moved by up to +-jitterMs, for `count` reports.
std::vector<double> Reports(double periodMs, double jitterMs, int count) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> jitter(-jitterMs, jitterMs);
  std::vector<double> times;
  for (int i = 0; i < count; ++i) times.push_back(100.0 + i * periodMs + jitter(random));
  return times;
}

struct RateCase {
  const char* name;
  double periodMs;
  double jitterMs;
  int usualHz;
};

class UsualRateTest : public ::testing::TestWithParam<RateCase> {};

TEST_P(UsualRateTest, FindsTheUsualRate) {
  const RateCase& c = GetParam();
  const RateStats stats = ComputeRateStats(Reports(c.periodMs, c.jitterMs, 1000));
  EXPECT_TRUE(stats.enough);
  EXPECT_EQ(stats.reports, 1000u);
  EXPECT_EQ(stats.usualHz, c.usualHz);
  EXPECT_NEAR(stats.meanHz, 1000.0 / c.periodMs, 1000.0 / c.periodMs * 0.01);
  EXPECT_NEAR(stats.medianMs, c.periodMs, c.jitterMs * 2 + 1e-9);
  EXPECT_LE(stats.minMs, stats.medianMs);
  EXPECT_LE(stats.medianMs, stats.p99Ms);
  EXPECT_LE(stats.p99Ms, stats.maxMs);
  EXPECT_GE(stats.maxMs - stats.minMs, c.jitterMs);  // the jitter shows
  EXPECT_LT(stats.jitterMs, c.jitterMs + 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, UsualRateTest,
    ::testing::Values(RateCase{"Hz125", 8.0, 0.5, 125}, RateCase{"Hz250", 4.0, 0.3, 250},
                      RateCase{"Hz500", 2.0, 0.1, 500}, RateCase{"Hz1000", 1.0, 0.05, 1000},
                      RateCase{"Hz333IsNoUsualRate", 3.0, 0.0, 0}),
    [](const ::testing::TestParamInfo<RateCase>& info) { return info.param.name; });

TEST(RateStatsTest, ExactFiguresForASteadyRate) {
  const RateStats stats = ComputeRateStats(Reports(4.0, 0.0, 101));
  EXPECT_DOUBLE_EQ(stats.minMs, 4.0);
  EXPECT_DOUBLE_EQ(stats.maxMs, 4.0);
  EXPECT_NEAR(stats.jitterMs, 0.0, 1e-9);
  EXPECT_NEAR(stats.meanHz, 250.0, 1e-9);
}

TEST(RateStatsTest, FewerThanTwentyIntervalsAreTooFew) {
  EXPECT_FALSE(ComputeRateStats(Reports(4.0, 0.0, 20)).enough);  // 19 intervals
  EXPECT_TRUE(ComputeRateStats(Reports(4.0, 0.0, 21)).enough);
  EXPECT_FALSE(ComputeRateStats({}).enough);
  EXPECT_EQ(ComputeRateStats({5.0}).reports, 1u);
}

// A pause in the movement is one long interval: the maximum shows it and
// the mean rate drops, but the usual rate is still found.
TEST(RateStatsTest, OneLongGap) {
  std::vector<double> times = Reports(4.0, 0.0, 500);
  for (std::size_t i = 250; i < times.size(); ++i) times[i] += 1000.0;
  const RateStats stats = ComputeRateStats(times);
  EXPECT_DOUBLE_EQ(stats.maxMs, 1004.0);
  EXPECT_DOUBLE_EQ(stats.p99Ms, 4.0);
  EXPECT_LT(stats.meanHz, 200.0);
  EXPECT_EQ(stats.usualHz, 250);
  EXPECT_GT(stats.jitterMs, 40.0);
}

}  // namespace
