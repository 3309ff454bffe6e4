// What measuring costs padwatch-check --rate on Linux, on this machine's own
// processor: its way of reading event nodes (a wait for the first report,
// then reports gathering as GatherPace says, each node read dry, the frames
// made reports and noted by the meter), over pipes that a writer thread
// fills with pads' frames on a steady clock, as drivers fill event nodes.
// The reading thread's processor time (RUSAGE_THREAD) over the wall time is
// its share of a core. SDL's refresh every 250 ms is left out: sdl_bench
// puts it at a few microseconds.
//
//   rate_cost_bench [SECONDS]   (default 5 per case)
#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "check/probe/gather_pace.h"
#include "check/probe/node_frames.h"
#include "check/probe/rate_meter.h"

namespace {

long long MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000000000LL + now.tv_nsec;
}

double ThreadCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A frame as a driver hands it over: a pad's node moves a stick; a motion
// node gives its clock and five changed axes.
std::vector<input_event> Frame(bool motion, int i) {
  std::vector<input_event> frame;
  auto add = [&frame](int type, int code, int value) {
    input_event event{};
    event.type = static_cast<__u16>(type);
    event.code = static_cast<__u16>(code);
    event.value = value;
    frame.push_back(event);
  };
  if (motion) {
    add(EV_MSC, MSC_TIMESTAMP, i * 1000);
    for (int axis = ABS_X; axis <= ABS_RY; ++axis) add(EV_ABS, axis, i % 2 == 0 ? 8 : -8);
  } else {
    add(EV_ABS, ABS_X, i % 200);
  }
  add(EV_SYN, SYN_REPORT, 0);
  return frame;
}

struct Case {
  const char* name;
  int pads;
  bool motion;  // each pad has a motion node beside its own
  int hz;
};

void Run(const Case& c, double seconds) {
  const int nodes = c.pads * (c.motion ? 2 : 1);
  std::vector<int> readers, writers;
  for (int n = 0; n < nodes; ++n) {
    int ends[2];
    if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) std::exit(1);
    readers.push_back(ends[0]);
    writers.push_back(ends[1]);
  }
  std::atomic<bool> done{false};
  std::thread writer([&] {
    const long long period = 1000000000LL / c.hz;
    const long long start = MonotonicNs();
    for (int i = 0; !done; ++i) {
      const long long deadline = start + i * period;
      const timespec at{static_cast<time_t>(deadline / 1000000000LL),
                        static_cast<long>(deadline % 1000000000LL)};
      clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
      for (int n = 0; n < nodes; ++n) {
        std::vector<input_event> frame = Frame(c.motion && n % 2 == 1, i);
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        for (input_event& event : frame) {
          event.input_event_sec = now.tv_sec;
          event.input_event_usec = now.tv_nsec / 1000;
        }
        if (write(writers[n], frame.data(), frame.size() * sizeof(input_event)) < 0) return;
      }
    }
  });

  // The reading loop, as --rate's.
  RateMeter meter;
  std::vector<NodeFrames> frames;
  for (int n = 0; n < nodes; ++n) {
    frames.emplace_back(c.motion && n % 2 == 1 ? FrameKind::kEvery : FrameKind::kChanges);
    if (c.motion && n % 2 == 1) meter.UseMotionNode(static_cast<DWORD>(n / 2), true);
  }
  GatherPace pace;
  bool woken = false;
  const double cpuBefore = ThreadCpuSeconds();
  const auto begin = std::chrono::steady_clock::now();
  const auto end = begin + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    bool took = false;
    std::size_t most = 0;
    for (int n = 0; n < nodes; ++n) {
      std::vector<NodeReport> reports;
      input_event events[256];
      NodeEvent taken[256];
      for (;;) {
        const ssize_t got = read(readers[n], events, sizeof events);
        if (got <= 0) break;
        const std::size_t count = static_cast<std::size_t>(got) / sizeof(input_event);
        const double readMs = MonotonicNs() / 1e6;
        for (std::size_t i = 0; i < count; ++i) {
          taken[i] = {events[i].input_event_sec * 1000.0 + events[i].input_event_usec / 1000.0,
                      events[i].type, events[i].code, events[i].value};
        }
        frames[static_cast<std::size_t>(n)].Add(taken, count, readMs, &reports);
        if (count < 256) break;
      }
      most = std::max(most, reports.size());
      const DWORD slot = static_cast<DWORD>(c.motion ? n / 2 : n);
      for (const NodeReport& report : reports) {
        if (c.motion && n % 2 == 1) {
          meter.AddMotionReport(slot, report.kernelMs, report.afterDrop, report.hasPadClock,
                                report.padUs);
        } else {
          meter.AddKernelReport(slot, report.kernelMs, woken ? report.readMs : std::nan(""), false);
        }
        took = true;
      }
    }
    if (took) pace.AfterRead(most, !woken);
    woken = false;
    if (took) {
      std::this_thread::sleep_for(std::chrono::milliseconds(pace.Ms()));
    } else {
      std::vector<pollfd> fds;
      for (int fd : readers) fds.push_back({fd, POLLIN, 0});
      poll(fds.data(), fds.size(), 250);
      woken = true;
    }
  }
  const double cpu = ThreadCpuSeconds() - cpuBefore;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  done = true;
  writer.join();
  for (int fd : readers) close(fd);
  for (int fd : writers) close(fd);
  const RateStats stats = ComputeRateStats(meter.ReportTimes(0));
  std::printf("| %s | %d | %d Hz | %.2f%% | %.1f Hz | %d ms |\n", c.name, nodes, c.hz,
              cpu / wall * 100, stats.meanHz, pace.Ms());
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 5;
  std::printf("| pads | nodes | rate | share of a core | rate found | gathering at the end |\n");
  std::printf("|---|---|---|---|---|---|\n");
  const Case cases[] = {
      {"one pad's node", 1, false, 250},
      {"a DualShock 4: its node and motion node", 1, true, 250},
      {"a DualShock 4: its node and motion node", 1, true, 1000},
      {"two Sony pads", 2, true, 1000},
      {"four Sony pads", 4, true, 1000},
  };
  for (const Case& c : cases) Run(c, seconds);
  return 0;
}
