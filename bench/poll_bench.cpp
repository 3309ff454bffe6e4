// The cost of a poll that writes nothing, on the scripted platform, against
// the least any poll can do: fetch the four readings and test their 20 inputs.
#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>

#include "bench/bench_ratios.h"
#include "input/controller_manager.h"
#include "platform/scripted/scripted_xinput.h"

namespace {

void Setup(int controllers, WORD buttons) {
  scripted::Reset();
  for (int slot = 0; slot < controllers; ++slot) {
    scripted::Plug(slot);
    scripted::Press(slot, buttons);
  }
}

// The floor: the same four queries and the same 20 tests per answering slot.
int FloorPoll() {
  XINPUT_STATE state;
  int active = 0;
  for (DWORD slot = 0; slot < 4; ++slot) {
    std::memset(&state, 0, sizeof(state));
    if (XInputGetState(slot, &state) != 0) continue;
    const XINPUT_GAMEPAD& pad = state.Gamepad;
    for (const ButtonInput& button : kButtonInputs) active += (pad.wButtons & button.mask) != 0;
    active += pad.sThumbLX > kLeftStickDeadZone || pad.sThumbLX < -kLeftStickDeadZone;
    active += pad.sThumbLY > kLeftStickDeadZone || pad.sThumbLY < -kLeftStickDeadZone;
    active += pad.sThumbRX > kRightStickDeadZone || pad.sThumbRX < -kRightStickDeadZone;
    active += pad.sThumbRY > kRightStickDeadZone || pad.sThumbRY < -kRightStickDeadZone;
    active += pad.bLeftTrigger > kTriggerThreshold;
    active += pad.bRightTrigger > kTriggerThreshold;
  }
  return active;
}

void BM_Floor(benchmark::State& state, int controllers, WORD buttons) {
  Setup(controllers, buttons);
  for (auto _ : state) benchmark::DoNotOptimize(FloorPoll());
}

void BM_Poll(benchmark::State& state, int controllers, WORD buttons) {
  Setup(controllers, buttons);
  ControllerManager manager;
  {
    // The first polls announce the controllers and their presses; what is
    // measured is the silent polls after them.
    std::ostream null(nullptr);
    std::streambuf* saved = std::cout.rdbuf(null.rdbuf());
    manager.Poll();
    manager.Poll();
    std::cout.rdbuf(saved);
  }
  for (auto _ : state) manager.Poll();
}

BENCHMARK_CAPTURE(BM_Floor, none, 0, 0);
BENCHMARK_CAPTURE(BM_Poll, none, 0, 0);
BENCHMARK_CAPTURE(BM_Floor, four_at_rest, 4, 0);
BENCHMARK_CAPTURE(BM_Poll, four_at_rest, 4, 0);
BENCHMARK_CAPTURE(BM_Floor, four_all_buttons, 4, kAllButtons);
BENCHMARK_CAPTURE(BM_Poll, four_all_buttons, 4, kAllButtons);

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmarksWithRatios(argc, argv,
                                 {{"BM_Poll/none", "BM_Floor/none", 1.3},
                                  {"BM_Poll/four_at_rest", "BM_Floor/four_at_rest", 1.3},
                                  {"BM_Poll/four_all_buttons", "BM_Floor/four_all_buttons", 1.3}});
}
