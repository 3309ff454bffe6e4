// One poll through the SDL layer, against the least any SDL-based poll can
// do: one SDL refresh and a read of each controller's 14 buttons and 6 axes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <iostream>
#include <memory>
#include <vector>

#include "bench/bench_ratios.h"
#include "check/probe/rate_meter.h"
#include "check/screen/grid.h"
#include "check/screen/session.h"
#include "input/controller_manager.h"
#include "platform/sdl/sdl_conversions.h"
#include "platform/sdl/sdl_xinput.h"
#include "platform/sdl/virtual_controller.h"

namespace {

// Attaches `count` virtual controllers at rest for the lifetime of the object.
class Pads {
 public:
  explicit Pads(int count) {
    sdl_platform::Start();
    for (int i = 0; i < count; ++i) {
      pads.push_back(std::make_unique<VirtualController>());
      pads.back()->Attach();
    }
  }
  ~Pads() {
    pads.clear();
    sdl_platform::Shutdown();
  }
  // Moves the first pad's left stick.
  void Move(Sint16 x) { pads.front()->Axis(SDL_CONTROLLER_AXIS_LEFTX, x); }

 private:
  std::vector<std::unique_ptr<VirtualController>> pads;
};

void BM_Floor(benchmark::State& state) {
  Pads pads(static_cast<int>(state.range(0)));
  std::vector<SDL_GameController*> controllers;
  for (int i = 0; i < SDL_NumJoysticks(); ++i) controllers.push_back(SDL_GameControllerOpen(i));
  for (auto _ : state) {
    SDL_GameControllerUpdate();
    int sum = 0;
    for (SDL_GameController* controller : controllers) {
      for (const SdlButton& map : kSdlButtons) {
        sum += SDL_GameControllerGetButton(controller, map.button);
      }
      for (int axis = 0; axis < SDL_CONTROLLER_AXIS_MAX; ++axis) {
        sum += SDL_GameControllerGetAxis(controller, static_cast<SDL_GameControllerAxis>(axis));
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  for (SDL_GameController* controller : controllers) SDL_GameControllerClose(controller);
}

void BM_Poll(benchmark::State& state) {
  Pads pads(static_cast<int>(state.range(0)));
  ControllerManager manager;
  std::streambuf* saved = std::cout.rdbuf(nullptr);  // the arrival lines
  manager.Poll();
  std::cout.rdbuf(saved);
  for (auto _ : state) manager.Poll();
}

// One pass of padwatch-check --rate's loop: the clock, then the four slots.
// Its period must stay a small share of a 1 ms report interval, or the
// measurement would blur the rate it measures.
void BM_RateLoop(benchmark::State& state) {
  Pads pads(static_cast<int>(state.range(0)));
  RateMeter meter;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    const auto now = std::chrono::steady_clock::now();
    meter.Poll(std::chrono::duration<double, std::milli>(now - start).count());
  }
  // Seconds per pass, times 100 / 1 ms.
  state.counters["percent_of_1ms"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 1e-5,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The --rate loop again, while one stick keeps moving: the yardstick for the
// live screen's loop below.
void BM_RateLoopMoving(benchmark::State& state) {
  Pads pads(4);
  RateMeter meter;
  const auto start = std::chrono::steady_clock::now();
  Sint16 x = 0;
  for (auto _ : state) {
    pads.Move(x++);
    const auto now = std::chrono::steady_clock::now();
    meter.Poll(std::chrono::duration<double, std::milli>(now - start).count());
  }
}

// One pass of the live screen's loop with a stick moving all the time: a
// poll, and a frame (build and diff) whenever one is due, at most 60 a
// second. Its time against BM_RateLoopMoving is the screen's cost in polls.
void BM_LiveStep(benchmark::State& state) {
  Pads pads(4);
  LiveSession session;
  Grid shown;
  Sint16 x = 0;
  for (auto _ : state) {
    pads.Move(x++);
    const auto now = LiveSession::Clock::now();
    session.Poll(now);
    if (session.FrameDue(now)) {
      Grid frame = session.Frame(80, 24, true, now);
      benchmark::DoNotOptimize(DrawChanges(shown, frame));
      shown = std::move(frame);
    }
  }
}

// One frame for four connected pads: the picture built, and the VT
// sequences for what changed since the previous one.
void BM_Frame(benchmark::State& state) {
  Pads pads(4);
  LiveSession session;
  Grid shown;
  Sint16 x = 0;
  for (auto _ : state) {
    pads.Move(x += 1000);
    const auto now = LiveSession::Clock::now();
    session.Poll(now);
    Grid frame = session.Frame(80, 24, true, now);
    benchmark::DoNotOptimize(DrawChanges(shown, frame));
    shown = std::move(frame);
  }
}

BENCHMARK(BM_Floor)->Arg(0)->Arg(4);
BENCHMARK(BM_Poll)->Arg(0)->Arg(4);
BENCHMARK(BM_RateLoop)->Arg(4);
BENCHMARK(BM_RateLoopMoving);
BENCHMARK(BM_LiveStep);
BENCHMARK(BM_Frame);

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmarksWithRatios(argc, argv,
                                 {{"BM_Poll/0", "BM_Floor/0", 1.2},
                                  {"BM_Poll/4", "BM_Floor/4", 1.2},
                                  {"BM_RateLoop/4", "BM_Floor/4", 0},
                                  {"BM_LiveStep", "BM_RateLoopMoving", 1.0 / 0.9}});
}
