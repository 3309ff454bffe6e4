#include "app/stop_request.h"

#include <pthread.h>
#include <signal.h>
#include <sys/time.h>

#include <atomic>

namespace {

// Lock-free, so reading and writing it from a signal handler is safe.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the stop flag must be lock-free");

pthread_t mainThread;

// The main thread may be blocked in a write to a reader that has stalled.
// The handlers run without SA_RESTART, so a signal that reaches the main
// thread ends such a write with EINTR and the writer sees the stop. A signal
// can reach another thread (SDL starts some), and can land just before the
// write begins, so after a stop a timer keeps waking the main thread until
// the process is gone.
void WakeMainThread() {
  if (!pthread_equal(pthread_self(), mainThread)) pthread_kill(mainThread, SIGALRM);
}

extern "C" void OnStopSignal(int /*signal*/) { RequestStop(); }

extern "C" void OnWakeSignal(int /*signal*/) { WakeMainThread(); }

void Handle(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: see WakeMainThread. Repeated signals (a terminal and a
  // supervisor often send two) just set the flag again.
  action.sa_flags = 0;
  sigaction(signal, &action, nullptr);
}

}  // namespace

void InstallStopHandlers() {
  mainThread = pthread_self();
  Handle(SIGALRM, OnWakeSignal);
  Handle(SIGINT, OnStopSignal);
  Handle(SIGTERM, OnStopSignal);
}

void RequestStop() {
  if (!stopRequested.exchange(true, std::memory_order_relaxed)) {
    struct itimerval every100ms {};
    every100ms.it_interval.tv_usec = 100000;
    every100ms.it_value.tv_usec = 100000;
    setitimer(ITIMER_REAL, &every100ms, nullptr);
  }
  WakeMainThread();
}

bool StopRequested() { return stopRequested.load(std::memory_order_relaxed); }

void StopCompleted() {}
