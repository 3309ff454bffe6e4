// Reports out of an event node's frames: which frames count, the pad's
// clock, drops, and hid-nintendo's three samples to a report.
#include "check/probe/node_frames.h"

#include <vector>

#include "gtest/gtest.h"

namespace {

// A frame at ms: events of the given types (an axis, a key, the pad's
// clock at clock us), then SYN_REPORT.
enum Part { kAxis, kKey, kClock };
void Frame(std::vector<NodeEvent>* events, double ms, std::vector<Part> parts, int clock = 0) {
  for (Part part : parts) {
    if (part == kAxis) events->push_back({ms, kEvAbs, 0, 1});
    if (part == kKey) events->push_back({ms, kEvKey, 0x130, 1});
    if (part == kClock) events->push_back({ms, kEvMsc, kMscTimestamp, clock});
  }
  events->push_back({ms, kEvSyn, kSynReport, 0});
}
void Dropped(std::vector<NodeEvent>* events, double ms) {
  events->push_back({ms, kEvSyn, kSynDropped, 0});
}

std::vector<NodeReport> Reports(NodeFrames* frames, const std::vector<NodeEvent>& events) {
  std::vector<NodeReport> reports;
  frames->Add(events.data(), events.size(), 100, &reports);
  return reports;
}

TEST(NodeFramesTest, APadsNodeCountsFramesThatChangeSomething) {
  std::vector<NodeEvent> events;
  Frame(&events, 1, {kAxis});
  Frame(&events, 2, {kClock}, 7);  // nothing changed
  Frame(&events, 3, {kKey, kAxis});
  NodeFrames frames;
  const auto reports = Reports(&frames, events);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].kernelMs, 1);
  EXPECT_EQ(reports[1].kernelMs, 3);
  EXPECT_EQ(reports[1].readMs, 100);
  EXPECT_FALSE(reports[1].hasPadClock);
}

TEST(NodeFramesTest, AMotionNodeCountsEveryFrameWithThePadsClock) {
  std::vector<NodeEvent> events;
  Frame(&events, 1, {kClock, kAxis}, 4000);
  Frame(&events, 5, {kClock}, -4000);  // at rest; the clock past 2^31
  NodeFrames frames(FrameKind::kEvery);
  const auto reports = Reports(&frames, events);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_TRUE(reports[0].hasPadClock);
  EXPECT_EQ(reports[0].padUs, 4000u);
  EXPECT_EQ(reports[1].padUs, 4294963296u);
}

TEST(NodeFramesTest, WhatADropCutsIsLeftOutAndTheNextReportMarked) {
  std::vector<NodeEvent> events;
  Frame(&events, 1, {kAxis});
  Dropped(&events, 2);
  events.push_back({3, kEvAbs, 0, 5});  // the rest of a cut frame
  events.push_back({3, kEvSyn, kSynReport, 0});
  Frame(&events, 4, {kAxis});
  Frame(&events, 5, {kAxis});
  NodeFrames frames;
  const auto reports = Reports(&frames, events);
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_FALSE(reports[0].afterDrop);
  EXPECT_EQ(reports[1].kernelMs, 4);
  EXPECT_TRUE(reports[1].afterDrop);
  EXPECT_FALSE(reports[2].afterDrop);
  EXPECT_EQ(frames.Drops(), 1u);
}

TEST(NodeFramesTest, ThreeSamplesAtOneMomentAreOneReport) {
  const struct {
    const char* name;
    std::vector<double> frameMs;
    std::vector<double> reportMs;
  } cases[] = {
      {"two reports 8 ms apart", {0, 0.01, 0.02, 8, 8.01, 8.02}, {0, 8}},
      {"two reports in one burst", {0, 0.01, 0.02, 0.03, 0.04, 0.05}, {0, 0.03}},
      {"a report cut short", {0, 0.01, 8, 8.01, 8.02}, {0, 8}},
      {"a report's samples paused by a busy machine", {0, 0.6, 1.1, 8, 8.01, 8.02}, {0, 8}},
  };
  for (const auto& c : cases) {
    std::vector<NodeEvent> events;
    for (double ms : c.frameMs) Frame(&events, ms, {kClock, kAxis});
    NodeFrames frames(FrameKind::kEvery, 3);
    std::vector<double> got;
    for (const NodeReport& report : Reports(&frames, events)) got.push_back(report.kernelMs);
    EXPECT_EQ(got, c.reportMs) << c.name;
  }
}

}  // namespace
