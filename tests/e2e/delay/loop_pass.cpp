// The delay benchmark's other half: padwatch's own loop, as app/main.cpp
// runs it, timed for SECONDS with whatever controllers the guest has, its
// lines thrown away. Prints how many passes it made and the mean time of
// one, the time padwatch can take to see a change after SDL can.
//
//   loop_pass SECONDS
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/application.h"
#include "app/stop_request.h"
#include "support/console.h"

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 2;
  if (std::freopen("/dev/null", "w", stdout) == nullptr) return 2;
  InstallConsoleWriter(StopRequested);
  Application application;
  // Past SDL's start and the controllers' opening, which padwatch pays once.
  const auto warm = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
  while (std::chrono::steady_clock::now() < warm) application.Update();
  const auto start = std::chrono::steady_clock::now();
  const auto end = start + std::chrono::duration<double>(seconds);
  long passes = 0;
  while (std::chrono::steady_clock::now() < end) {
    application.Update();
    ++passes;
  }
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::fprintf(stderr, "loop: %ld passes in %.2f s, %.3f ms a pass\n", passes, elapsed,
               elapsed * 1000 / static_cast<double>(passes));
  application.Stop();
  return 0;
}
