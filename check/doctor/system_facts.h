// What padwatch-check --doctor found on the system: plain data, filled by
// the scan of the platform it runs on and read by the doctor's report.
// Every string in it comes from the system or a device and is shown only
// through ShownText.
#ifndef PADWATCH_CHECK_DOCTOR_SYSTEM_FACTS_H_
#define PADWATCH_CHECK_DOCTOR_SYSTEM_FACTS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/linux/device_battery.h"

// A device node of a controller.
struct NodeFacts {
  std::string kind;  // "event", "joystick" or "hidraw"
  std::string path;  // as the user would type it: /dev/input/event5
  bool exists = false;
  std::string owner;  // a name, or the number where it has none
  std::string group;
  unsigned mode = 0;             // permission bits
  std::vector<std::string> acl;  // named entries and the mask: "user:player:rw-"
  bool canRead = false;          // by the user the report is for
  bool canWrite = false;
};

// What SDL makes of a controller.
enum class SdlKind { kNotListed, kJoystick, kController };

struct SdlFacts {
  SdlKind kind = SdlKind::kNotListed;
  bool hidapi = false;  // read through SDL's HIDAPI driver, not evdev
  std::string name;
  std::string guid;
  int buttons = 0;
  int axes = 0;
  int hats = 0;
  std::string power;  // SDL's power level: "unknown", "low", ..., "wired"
  bool rumble = false;
};

enum class GrabState { kNotTested, kFree, kGrabbed };

struct ControllerFacts {
  std::string event;  // "event5"
  std::string name;
  std::uint16_t bus = 0;
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  std::uint16_t version = 0;
  bool isVirtual = false;        // made by software (uinput), not served by a driver
  std::string hidName;           // the HID device's name in sysfs ("0003:054C:09CC.0001"), if any
  std::string devNumber;         // the event node's device number, "13:69"
  std::vector<NodeFacts> nodes;  // the event node first
  bool udevKnown = false;        // udev has a record of the event node
  bool udevJoystick = false;     // ... that classes it as a joystick
  bool udevUaccess = false;      // ... and tags it for the logged-in user
  bool forceFeedback = false;    // the kernel offers rumble on the event node
  // Its driver gave the motion sensors or the touchpad nodes of their own.
  bool motionNode = false;
  bool touchNode = false;
  DeviceBattery battery;  // the power_supply the kernel publishes for it
  GrabState grab = GrabState::kNotTested;
  std::vector<std::string> holders;  // "1234 (name)": processes with the node open, grab or not
  SdlFacts sdl;
};

struct UserFacts {
  std::string name;
  std::uint32_t uid = 0;
  std::vector<std::string> groups;  // the primary group first
};

// Linux: the controllers and what stands between them and the user.
struct LinuxFacts {
  UserFacts user;
  bool udevData = false;  // /run/udev/data exists: udev runs and is visible
  // systemd-logind or elogind keeps seats: only then does udev's uaccess
  // tag give a device to anyone.
  bool seatManager = false;
  bool activeAtSeat = false;  // the user is the active user at a seat
  bool devInputVisible = false;
  std::string sandbox;     // "", "flatpak", "snap" or "container"
  std::string sandboxApp;  // the flatpak's application id or the snap's name
  bool sdlStarted = false;
  std::vector<ControllerFacts> controllers;
};

// Windows: XInput, and the HID game controllers it does not serve.
struct HidControllerFacts {
  std::string name;
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  bool xinput = false;  // XInput serves it (its path holds "IG_")
};

struct WindowsFacts {
  bool xinputLoaded = false;
  std::string xinputPath;
  std::string xinputVersion;
  std::vector<std::uint32_t> slotAnswers;  // XInputGetState's result per slot
  std::vector<HidControllerFacts> hid;
  std::string wineVersion;  // "" where not under Wine
};

// What --doctor reads on the platform it was built for.
#ifdef _WIN32
using SystemFacts = WindowsFacts;
#else
using SystemFacts = LinuxFacts;
#endif

#endif  // PADWATCH_CHECK_DOCTOR_SYSTEM_FACTS_H_
