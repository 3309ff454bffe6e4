#include "platform/linux/device_battery.h"

#include <cstdlib>

DeviceBattery ReadDeviceBattery(const SystemRoots& roots, const std::string& event) {
  DeviceBattery battery;
  if (event.empty() || event.find('/') != std::string::npos || event[0] == '.') return battery;
  // class/input/eventN/device is the input device; its device link is the
  // HID device or USB interface the driver bound, where it hangs the supply.
  const std::string supplies = roots.sys + "/class/input/" + event + "/device/device/power_supply";
  for (const std::string& supply : FolderEntries(supplies)) {
    const std::string folder = supplies + "/" + supply;
    if (ReadSmallFile(folder + "/scope") != "Device") continue;
    battery.present = true;
    const std::string capacity = ReadSmallFile(folder + "/capacity");
    char* end = nullptr;
    const long percent = std::strtol(capacity.c_str(), &end, 10);
    if (!capacity.empty() && *end == '\0' && percent >= 0 && percent <= 100) {
      battery.capacity = static_cast<int>(percent);
    }
    battery.level = ReadSmallFile(folder + "/capacity_level");
    battery.status = ReadSmallFile(folder + "/status");
    break;
  }
  return battery;
}

std::string EventNodeName(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() <= 5 || name.compare(0, 5, "event") != 0 ||
      name.find_first_not_of("0123456789", 5) != std::string::npos) {
    return "";
  }
  return name;
}

XINPUT_BATTERY_INFORMATION BatteryFromCapacity(int capacity) {
  const BYTE level = capacity <= 5    ? BATTERY_LEVEL_EMPTY
                     : capacity <= 20 ? BATTERY_LEVEL_LOW
                     : capacity <= 70 ? BATTERY_LEVEL_MEDIUM
                                      : BATTERY_LEVEL_FULL;
  return {BATTERY_TYPE_UNKNOWN, level};
}

bool BatteryFromKernel(const DeviceBattery& battery, XINPUT_BATTERY_INFORMATION* information) {
  if (battery.capacity >= 0) {
    *information = BatteryFromCapacity(battery.capacity);
    return true;
  }
  static constexpr struct {
    const char* level;
    BYTE xinput;
  } kLevels[] = {{"Full", BATTERY_LEVEL_FULL},
                 {"High", BATTERY_LEVEL_FULL},
                 {"Normal", BATTERY_LEVEL_MEDIUM},
                 {"Low", BATTERY_LEVEL_LOW},
                 {"Critical", BATTERY_LEVEL_EMPTY}};
  for (const auto& level : kLevels) {
    if (battery.level != level.level) continue;
    *information = {BATTERY_TYPE_UNKNOWN, level.xinput};
    return true;
  }
  return false;
}

std::string ChargeWord(const std::string& status) {
  if (status == "Charging") return "charging";
  if (status == "Discharging") return "discharging";
  if (status == "Full") return "full";
  if (status == "Not charging") return "not charging";
  return "";
}
