// The other input devices a pad's kernel driver made beside the one SDL
// reads: hid-sony, hid-playstation and hid-nintendo give the motion
// sensors, and the Sony drivers the touchpad, input devices of their own
// under the same HID device. Everything is looked up under roots, as in
// controller_nodes.
#ifndef PADWATCH_PLATFORM_LINUX_SIBLING_NODES_H_
#define PADWATCH_PLATFORM_LINUX_SIBLING_NODES_H_

#include <string>

#include "platform/linux/controller_nodes.h"

struct SiblingNodes {
  // The event node ("event7") of the motion sensors (the input device has
  // INPUT_PROP_ACCELEROMETER) and of the touchpad (INPUT_PROP_BUTTONPAD);
  // "" where there is none.
  std::string motion;
  std::string touchpad;
  // The kernel driver bound to the device they hang under ("sony",
  // "playstation", "nintendo", "xpad"); "" where there is none (uinput) or
  // its name is not a plain word.
  std::string driver;
};

// The siblings of the input device behind event node `event` ("event5").
// A device made through uinput has no parent, so no siblings.
SiblingNodes FindSiblingNodes(const SystemRoots& roots, const std::string& event);

#endif  // PADWATCH_PLATFORM_LINUX_SIBLING_NODES_H_
