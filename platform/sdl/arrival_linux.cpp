// The kernel makes a node in /dev/input for every input device it adds, and
// one in /dev (hidraw) for the pads SDL reads through HIDAPI; udev, where it
// runs, then gives it its owner and mode.
#include "platform/arrival.h"
#include "platform/linux/node_watch.h"

bool WaitForControllerArrival(std::chrono::milliseconds longest) {
  static NodeWatch watch({"/dev/input", "/dev"});
  return watch.Wait(longest);
}
