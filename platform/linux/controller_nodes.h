// Which of a Linux system's input devices are game controllers, read from
// sysfs. Everything is looked up under roots that tests point at small fake
// trees, so that nothing here needs a real device.
#ifndef PADWATCH_PLATFORM_LINUX_CONTROLLER_NODES_H_
#define PADWATCH_PLATFORM_LINUX_CONTROLLER_NODES_H_

#include <cstdint>
#include <string>
#include <vector>

// The places a system is read from. The defaults are the real system's.
struct SystemRoots {
  std::string sys = "/sys";
  std::string dev = "/dev";
  std::string runUdev = "/run/udev";
  std::string runSystemd = "/run/systemd";  // the seat manager's records
  std::string proc = "/proc";
  std::string etc = "/etc";
  // Where the files a sandbox leaves at the top (/.flatpak-info) are looked
  // for: "" is the real top.
  std::string top;
};

// A bitmap as sysfs prints it in an input device's capabilities/*:
// hexadecimal words of the kernel's long (64 bits here), most significant
// first, separated by spaces.
class CapabilityBits {
 public:
  // Text that is not such a bitmap gives an empty one.
  static CapabilityBits Parse(const std::string& text);
  bool Has(unsigned bit) const;
  // True when any bit from first to last (both included) is set.
  bool Any(unsigned first, unsigned last) const;

 private:
  std::vector<std::uint64_t> words;  // least significant first
};

// True for a device whose keys include a joystick's or a gamepad's buttons
// (BTN_JOYSTICK to BTN_THUMBR, or the extra BTN_TRIGGER_HAPPY ones). It asks
// the kernel's own bits, not udev's classification, so that a pad udev did
// not class as a joystick is still found.
bool IsGameControllerKeys(const CapabilityBits& keys);

// The names ("event5") of the event devices under roots.sys that are game
// controllers, in number order.
std::vector<std::string> GameControllerEvents(const SystemRoots& roots);

// How many of those have a node under roots.dev that this process cannot
// open for reading.
int UnreadableGameControllers(const SystemRoots& roots);

// The whole content of a small file, without the final newline; "" where it
// cannot be read.
std::string ReadSmallFile(const std::string& path);

// The names in folder that start with prefix and are longer than it, but
// for those starting with a dot, sorted; none where it cannot be read.
std::vector<std::string> FolderEntries(const std::string& folder, const std::string& prefix = "");

#endif  // PADWATCH_PLATFORM_LINUX_CONTROLLER_NODES_H_
