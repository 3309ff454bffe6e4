// The report-rate figures of padwatch-check --rate, on made-up timestamps.
#include "check/probe/rate_meter.h"

#include <gtest/gtest.h>

#include "check/report/rate_report.h"
#include "platform/scripted/scripted_xinput.h"

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

// Reports the kernel dropped: the interval across the drop is left out, so
// the gap neither lowers the rate nor shows as a long interval.
TEST(RateStatsTest, AnIntervalAcrossDroppedReportsIsLeftOut) {
  RateMeter meter;
  const std::vector<double> times = Reports(1.0, 0.0, 200);
  for (std::size_t i = 0; i < times.size(); ++i) {
    const bool afterDrop = i == 100;  // 30 reports lost before this one
    meter.AddKernelReport(0, times[i] + (i >= 100 ? 30.0 : 0.0), times[i] + 0.25, afterDrop);
  }
  const RateStats stats = ComputeRateStats(meter.ReportTimes(0));
  EXPECT_EQ(stats.reports, 200u);
  EXPECT_DOUBLE_EQ(stats.maxMs, 1.0);
  EXPECT_NEAR(stats.meanHz, 1000.0, 1e-6);
  EXPECT_EQ(stats.usualHz, 1000);
}

// Each slot's line and JSON say where its figures come from: a pad polled
// in slot 0, a pad measured from its node's timestamps in slot 1.
TEST(RateReportTest, SaysTheSourceOfEachSlot) {
  scripted::Reset();
  scripted::Plug(0);
  scripted::Plug(1);
  RateMeter meter;
  meter.UseKernelTimestamps(1);
  meter.Poll(0);
  for (int i = 1; i <= 30; ++i) {
    XINPUT_GAMEPAD moved{};
    moved.sThumbLX = static_cast<SHORT>(i * 100);
    scripted::SetGamepad(0, moved);
    meter.Poll(i * 4.0);
    meter.AddKernelReport(1, i * 4.0, i * 4.0 + (i <= 15 ? 0.1 : 0.3), i == 20);
  }
  meter.SetDrops(1, 1);
  const std::string text = FormatRateText(meter, 0.12);
  EXPECT_NE(text.find("Slot 0: 30 reports; interval min 4.000 ms"), std::string::npos) << text;
  EXPECT_NE(text.find(" ms; by polling\nSlot 1: 30 reports; interval min 4.000 ms"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("; from the input node's timestamps, 1 drop, read 0.100 ms after them at "
                      "the median, 0.300 ms at the 99th percentile\nSlot 2: empty\n"),
            std::string::npos)
      << text;
  const std::string json = FormatRateJson(meter, 0.12);
  EXPECT_NE(json.find("\"source\": \"polling\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"source\": \"kernel timestamps\",\n      \"drops\": 1,\n      "
                      "\"readDelayMs\": {\n        \"p50\": 0.1,\n        \"p99\": 0.3\n"),
            std::string::npos)
      << json;
}

TEST(RateStatsTest, ReadDelayPercentiles) {
  const struct {
    std::vector<double> delays;
    double p50, p99;
  } cases[] = {
      {{0.2}, 0.2, 0.2},
      {{0.4, 0.1, 0.3, 0.2}, 0.2, 0.4},  // nearest rank: the 2nd and the 4th of 4
      {std::vector<double>(99, 0.1), 0.1, 0.1},
  };
  for (const auto& c : cases) {
    const ReadDelay delay = ComputeReadDelay(c.delays);
    EXPECT_TRUE(delay.known);
    EXPECT_DOUBLE_EQ(delay.p50Ms, c.p50);
    EXPECT_DOUBLE_EQ(delay.p99Ms, c.p99);
  }
  std::vector<double> hundred;
  for (int i = 1; i <= 100; ++i) hundred.push_back(i);
  EXPECT_DOUBLE_EQ(ComputeReadDelay(hundred).p99Ms, 99);
  EXPECT_DOUBLE_EQ(ComputeReadDelay(hundred).p50Ms, 50);
  EXPECT_FALSE(ComputeReadDelay({}).known);
}

}  // namespace

namespace {

// A pad with a motion node: its reports by the kernel's timestamps, and by
// the pad's own clock, stepping 4 ms plus and minus 50 us by turns across
// its 32-bit wrap, with a drop whose interval is left out of both.
TEST(RateReportTest, MotionNodeAndThePadsClock) {
  scripted::Reset();
  scripted::Plug(0);
  scripted::Plug(1);
  RateMeter meter;
  meter.UseMotionNode(0, true);
  meter.UseMotionNode(1, false);  // hid-nintendo's made-up times
  meter.Poll(0);
  std::uint32_t clock = 4294967295u - 40000;
  for (int i = 1; i <= 40; ++i) {
    clock += i % 2 == 1 ? 4050 : 3950;
    meter.AddMotionReport(0, i * 4.0 + (i % 3) * 0.1, i == 30, true, clock);
    meter.AddMotionReport(1, i * 8.0, false, true, clock);
  }
  meter.SetMotionDrops(0, 1);
  const RateStats padClock = ComputeRateStats(meter.PadClockTimes(0));
  EXPECT_EQ(padClock.reports, 40u);
  EXPECT_NEAR(padClock.meanHz, 250, 0.01);
  EXPECT_NEAR(padClock.jitterMs, 0.050, 1e-9);
  EXPECT_NEAR(padClock.maxMs, 4.05, 1e-9);
  const std::string text = FormatRateText(meter, 0.16);
  EXPECT_NE(text.find("\n  motion node: 40 reports; interval min 3.800 ms"), std::string::npos)
      << text;
  EXPECT_NE(text.find("; from the motion node's timestamps, 1 drop\n  pad's clock: 40 reports; "
                      "interval min 3.950 ms, median 4.000 ms, 99th percentile 4.050 ms, max "
                      "4.050 ms; mean rate 250.0 Hz, usual rate 250 Hz; jitter 0.050 ms; from "
                      "the pad's own timestamps, apart from the host's\nSlot 1: "),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  pad's clock: not measured: its driver makes up the times of its motion "
                      "samples\nSlot 2: empty"),
            std::string::npos)
      << text;
  const std::string json = FormatRateJson(meter, 0.16);
  EXPECT_NE(json.find("\"motion\": {\n        \"source\": \"motion node timestamps\",\n        "
                      "\"drops\": 1,\n        \"reports\": 40,"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"padClock\": null"), std::string::npos) << json;
}

}  // namespace
