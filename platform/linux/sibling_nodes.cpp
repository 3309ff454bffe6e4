#include "platform/linux/sibling_nodes.h"

#include <unistd.h>

namespace {

// From linux/input-event-codes.h.
constexpr unsigned kPropButtonpad = 0x02;
constexpr unsigned kPropAccelerometer = 0x06;

// The last part of the link at path, where it is a plain word.
std::string LinkName(const std::string& path) {
  char target[4096];
  const ssize_t size = readlink(path.c_str(), target, sizeof target - 1);
  if (size <= 0) return "";
  const std::string text(target, static_cast<std::size_t>(size));
  const std::string name = text.substr(text.rfind('/') + 1);
  if (name.empty() || name.size() > 64 ||
      name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-") !=
          std::string::npos) {
    return "";
  }
  return name;
}

}  // namespace

SiblingNodes FindSiblingNodes(const SystemRoots& roots, const std::string& event) {
  SiblingNodes found;
  if (event.empty() || event.find('/') != std::string::npos || event[0] == '.') return found;
  // class/input/eventN/device is the input device; its device link is the
  // HID device or USB interface the driver bound, with every input device
  // the driver made under its input folder.
  const std::string parent = roots.sys + "/class/input/" + event + "/device/device";
  found.driver = LinkName(parent + "/driver");
  for (const std::string& input : FolderEntries(parent + "/input", "input")) {
    const std::string folder = parent + "/input/" + input;
    const std::vector<std::string> events = FolderEntries(folder, "event");
    if (events.size() != 1 || events[0] == event) continue;
    const CapabilityBits properties = CapabilityBits::Parse(ReadSmallFile(folder + "/properties"));
    if (properties.Has(kPropAccelerometer) && found.motion.empty()) {
      found.motion = events[0];
    } else if (properties.Has(kPropButtonpad) && found.touchpad.empty()) {
      found.touchpad = events[0];
    }
  }
  return found;
}
