// What a platform knows of the device in a controller slot beyond its
// readings: a name, USB ids, on SDL its GUID and mapping, and on Linux the
// battery's charge in percent where the kernel's driver publishes it. Each platform
// that serves XInputGetState serves this too.
#ifndef PADWATCH_PLATFORM_IDENTITY_H_
#define PADWATCH_PLATFORM_IDENTITY_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/xinput.h"

// An absolute axis as a Linux kernel driver declares it on the event node
// SDL reads: its evdev name ("ABS_X"), its range and its filters. The input
// core drops a change smaller than about half the fuzz and smooths one under
// twice it, so a stick's noise read through the node is less than the
// stick's own; flat is the span about the centre the driver asks programs
// to take as the centre. Units per millimetre or per g, where given, are
// the resolution.
struct KernelAxis {
  int code = 0;
  std::string name;
  int minimum = 0;
  int maximum = 0;
  int fuzz = 0;
  int flat = 0;
  int resolution = 0;
};

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
  // The event node SDL reads the pad through ("/dev/input/event5"); empty
  // where there is none (Windows, SDL's own HIDAPI drivers).
  std::string eventNode;
  // The hidraw node SDL's own HIDAPI driver reads it through
  // ("/dev/hidraw0"); empty where it does not.
  std::string hidrawNode;
  // Every absolute axis of that node, in code order; none where the
  // platform reads no such node (Windows, SDL's own HIDAPI drivers).
  std::vector<KernelAxis> kernelAxes;
  // Which of them each stick axis is (left x, left y, right x, right y), as
  // an index into kernelAxes; -1 where not known.
  std::array<int, 4> stickAxes{-1, -1, -1, -1};
  // The event nodes the pad's driver gave its motion sensors and its
  // touchpad, beside eventNode ("/dev/input/event6"), and the kernel driver
  // bound to the pad ("sony"); empty where there is none or it is not known.
  std::string motionNode;
  std::string touchNode;
  std::string kernelDriver;
};

// Fills *identity for the controller in slot (0 to 3). Returns false, with
// *identity cleared, when the slot is empty.
bool GetDeviceIdentity(DWORD slot, DeviceIdentity* identity);

#endif  // PADWATCH_PLATFORM_IDENTITY_H_
