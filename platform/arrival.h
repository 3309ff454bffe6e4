// Waiting for a controller without polling for one: for the tools that
// have nothing to measure while no controller is connected. padwatch
// itself never waits: it polls.
#ifndef PADWATCH_PLATFORM_ARRIVAL_H_
#define PADWATCH_PLATFORM_ARRIVAL_H_

#include <chrono>

// Waits until the system says a device may have arrived, a signal comes,
// or `longest` has passed; returns true when woken by a device. A caller
// that is woken should poll at full speed for a while (kArrivalSettling):
// the platform may learn of the device a little after the system does.
bool WaitForControllerArrival(std::chrono::milliseconds longest);

constexpr std::chrono::milliseconds kArrivalSettling(500);

#endif  // PADWATCH_PLATFORM_ARRIVAL_H_
