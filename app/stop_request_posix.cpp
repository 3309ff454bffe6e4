#include "app/stop_request.h"

#include <atomic>
#include <csignal>

namespace {

// Lock-free, so reading and writing it from a signal handler is safe.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the stop flag must be lock-free");

extern "C" void OnStopSignal(int /*signal*/) {
  stopRequested.store(true, std::memory_order_relaxed);
}

}  // namespace

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // SA_RESTART keeps a line that is being written when the signal arrives
  // from being cut short. Repeated signals (a terminal and a supervisor
  // often send two) just set the flag again.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() { return stopRequested.load(std::memory_order_relaxed); }

void StopCompleted() {}
