// XInput reads neither motion sensors nor touchpads, and no other way to
// them is taken here.
#include "check/probe/pad_sensors.h"

namespace {

constexpr const char kNotThroughXInput[] = "not available through XInput";

}  // namespace

PadSensors ReadPadMotion(const DeviceIdentity& /*identity*/) {
  PadSensors sensors;
  sensors.motionMissing = kNotThroughXInput;
  return sensors;
}

PadSensors ReadPadSensors(const DeviceIdentity& identity) {
  PadSensors sensors = ReadPadMotion(identity);
  sensors.touchMissing = kNotThroughXInput;
  return sensors;
}
