// What the live screen costs and what it counts: its loop, paced as
// padwatch-check paces it, on SDL's virtual controllers that a thread of
// their own moves at a controller's report rate. Each run lasts two
// seconds of real time; the counters are the loop's share of one core, and
// its reports-per-second figure against --rate's (a busy loop) for the same
// movement.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

#include "check/probe/rate_meter.h"
#include "check/screen/grid.h"
#include "check/screen/live_screen.h"
#include "check/screen/session.h"
#include "platform/sdl/sdl_xinput.h"
#include "platform/sdl/virtual_controller.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kRun = std::chrono::seconds(2);

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec + now.tv_nsec * 1e-9;
}

// `count` virtual controllers whose left sticks a thread moves `hz` times a
// second, each move a report.
class MovingPads {
 public:
  MovingPads(int count, int hz) {
    sdl_platform::Start();
    for (int i = 0; i < count; ++i) {
      pads.push_back(std::make_unique<VirtualController>());
      pads.back()->Attach();
    }
    if (count > 0) mover = std::thread([this, hz] { Move(hz); });
  }
  ~MovingPads() {
    stop = true;
    if (mover.joinable()) mover.join();
    pads.clear();
    sdl_platform::Shutdown();
  }

 private:
  void Move(int hz) {
    const auto period = std::chrono::nanoseconds(1000000000 / hz);
    auto next = Clock::now();
    for (Sint16 x = 0; !stop; x = static_cast<Sint16>(x + 997)) {
      for (auto& pad : pads) pad->Axis(SDL_CONTROLLER_AXIS_LEFTX, x);
      next += period;
      std::this_thread::sleep_until(next);
    }
  }

  std::vector<std::unique_ptr<VirtualController>> pads;
  std::atomic<bool> stop{false};
  std::thread mover;
};

// The live screen's loop without a terminal: polls, frames when due, and
// the wait between polls. Returns the reports counted in the last second
// for slot 0; *cpu is the loop's CPU time.
double ScreenLoop(double* cpu) {
  LiveSession session;
  Grid shown;
  const double cpuStart = ThreadCpuSeconds();
  const auto end = Clock::now() + kRun;
  for (auto now = Clock::now(); now < end; now = Clock::now()) {
    session.Poll(now);
    if (session.FrameDue(now)) {
      Grid frame = session.Frame(80, 24, true, now);
      benchmark::DoNotOptimize(DrawChanges(shown, frame));
      shown = std::move(frame);
    }
    std::this_thread::sleep_for(session.AnyConnected() ? kBusyPollInterval : kIdlePollInterval);
  }
  *cpu = ThreadCpuSeconds() - cpuStart;
  session.Frame(80, 24, true, Clock::now());
  return session.GetPanels()[0].rateHz;
}

// --rate's loop for the same time: reports in the last second for slot 0.
double RateLoop() {
  RateMeter meter;
  const auto start = Clock::now();
  const auto end = start + kRun;
  for (auto now = start; now < end; now = Clock::now()) {
    meter.Poll(std::chrono::duration<double, std::milli>(now - start).count());
  }
  const double last = std::chrono::duration<double, std::milli>(kRun).count() - 1000.0;
  double reports = 0;
  for (double at : meter.ReportTimes(0)) reports += at > last ? 1 : 0;
  return reports;
}

void BM_LiveScreen(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const int hz = static_cast<int>(state.range(1));
  MovingPads pads(count, hz);
  double cpu = 0, screenHz = 0, rateHz = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    screenHz = ScreenLoop(&cpu);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    if (count > 0) rateHz = RateLoop();
  }
  state.counters["cpu_percent"] = cpu * 100.0 / std::chrono::duration<double>(kRun).count();
  if (count > 0) {
    state.counters["screen_hz"] = screenHz;
    state.counters["rate_hz"] = rateHz;
    state.counters["screen_of_rate"] = rateHz > 0 ? screenHz / rateHz : 0;
  }
}

BENCHMARK(BM_LiveScreen)
    ->Args({0, 0})
    ->Args({4, 125})
    ->Args({4, 250})
    ->Args({4, 500})
    ->Args({4, 1000})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
