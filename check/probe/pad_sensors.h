// A pad's motion sensors and touchpad, which XInput does not read. On Linux,
// where SDL reads the pad through the kernel's event node, they come from
// the nodes the pad's kernel driver made beside it (DeviceIdentity's
// motionNode and touchNode), opened read-only, never grabbed, and only while
// --once reads them; their values are the driver's, in the units each axis's
// resolution gives. Windows' XInput has neither.
#ifndef PADWATCH_CHECK_PROBE_PAD_SENSORS_H_
#define PADWATCH_CHECK_PROBE_PAD_SENSORS_H_

#include <array>
#include <string>
#include <vector>

#include "platform/identity.h"

// Angular rate in degrees per second and acceleration in g, about and along
// x, y and z as the driver gives them.
struct MotionValues {
  std::array<double, 3> gyroDps{};
  std::array<double, 3> accelG{};
};

// A finger on the touchpad, in the pad's own units from its top left.
struct TouchFinger {
  int x = 0;
  int y = 0;
};

struct TouchValues {
  int width = 0;  // the pad's size in its units: the range of its x and y
  int height = 0;
  bool click = false;  // the pad pressed down as a button
  std::vector<TouchFinger> fingers;
};

// What was read of one pad's sensors at a moment, each part with where it
// came from or, where it could not be read, why not: every part is one or
// the other, so a report always says something.
struct PadSensors {
  std::string motionSource;  // "kernel motion node /dev/input/event7"
  std::string motionMissing;
  bool motionKnown = false;
  MotionValues motion;
  std::string touchSource;
  std::string touchMissing;
  bool touchKnown = false;
  TouchValues touch;
};

// Reads the pad's sensors as they stand now. Never blocks.
PadSensors ReadPadSensors(const DeviceIdentity& identity);
// The motion sensors alone (the touchpad parts left empty), for a loop
// that reads them often and needs no touchpad.
PadSensors ReadPadMotion(const DeviceIdentity& identity);

// The reading of a motion node's six axes (ABS_X to ABS_Z, then ABS_RX to
// ABS_RZ), each with its resolution: per g, then per degree a second. False
// where any resolution is 0, as values without units mean nothing.
bool MotionFromAxes(const std::array<int, 6>& values, const std::array<int, 6>& resolutions,
                    MotionValues* motion);

#endif  // PADWATCH_CHECK_PROBE_PAD_SENSORS_H_
