// XInput reads neither motion sensors nor touchpads, and no other way to
// them is taken here.
#include "check/probe/pad_sensors.h"

PadSensors ReadPadSensors(const DeviceIdentity& /*identity*/) {
  PadSensors sensors;
  sensors.motionMissing = "not available through XInput";
  sensors.touchMissing = "not available through XInput";
  return sensors;
}
