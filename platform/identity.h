// What a platform knows of the device in a controller slot beyond its
// readings: a name, USB ids, on SDL its GUID and mapping, and on Linux the
// battery's charge in percent where the kernel's driver publishes it. Each platform
// that serves XInputGetState serves this too.
#ifndef PADWATCH_PLATFORM_IDENTITY_H_
#define PADWATCH_PLATFORM_IDENTITY_H_

#include <cstdint>
#include <string>

#include "platform/xinput.h"

// An empty string, or ids that are not known, mean the platform does not
// know: nothing here is ever guessed.
struct DeviceIdentity {
  std::string name;
  bool idsKnown = false;
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::string guid;
  std::string mapping;
  int batteryPercent = -1;  // -1: not known
  // "charging", "discharging", "full", "not charging", or "" (not known).
  std::string batteryCharge;
};

// Fills *identity for the controller in slot (0 to 3). Returns false, with
// *identity cleared, when the slot is empty.
bool GetDeviceIdentity(DWORD slot, DeviceIdentity* identity);

#endif  // PADWATCH_PLATFORM_IDENTITY_H_
