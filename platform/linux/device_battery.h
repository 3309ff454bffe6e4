// The battery a kernel driver publishes for a game controller: a
// power_supply of scope Device beside the controller's input device, as
// hid-sony, hid-playstation, hid-nintendo and xpad make them. SDL's evdev
// path never reads it, so without this a pad that reports its charge to
// the kernel still shows no battery.
#ifndef PADWATCH_PLATFORM_LINUX_DEVICE_BATTERY_H_
#define PADWATCH_PLATFORM_LINUX_DEVICE_BATTERY_H_

#include <string>

#include "platform/linux/controller_nodes.h"
#include "platform/xinput.h"

struct DeviceBattery {
  bool present = false;
  int capacity = -1;  // percent, -1 where the driver gives none or nonsense
  // Where the driver gives a level instead of a percentage (hid-nintendo):
  // "Full", "High", "Normal", "Low", "Critical" or "Unknown".
  std::string level;
  std::string status;  // the driver's word: "Charging", "Discharging", "Full", ...
};

// The battery of the input device behind event node `event` ("event5"):
// the first power_supply of scope Device under the device the input device
// belongs to (its parent in sysfs). Absent when there is none.
DeviceBattery ReadDeviceBattery(const SystemRoots& roots, const std::string& event);

// The event node's name ("event5") in a path such as SDL gives
// ("/dev/input/event5"), or "" when the path names no event node.
std::string EventNodeName(const std::string& path);

// XInput's answer for a battery with a known capacity: the kind is not
// known, and the level is empty up to 5%, low up to 20%, medium up to 70%
// and full above. (Below 5% a pad may switch off at any moment; above 70%
// it lasts an evening.)
XINPUT_BATTERY_INFORMATION BatteryFromCapacity(int capacity);

// XInput's answer for the battery: from its capacity where the driver gives
// one, otherwise from its level (Full and High full, Normal medium, Low
// low, Critical empty). False when it gives neither.
bool BatteryFromKernel(const DeviceBattery& battery, XINPUT_BATTERY_INFORMATION* information);

// The driver's status as one of "charging", "discharging", "full" or
// "not charging"; "" for anything else, so that what is shown is never the
// driver's text itself.
std::string ChargeWord(const std::string& status);

#endif  // PADWATCH_PLATFORM_LINUX_DEVICE_BATTERY_H_
