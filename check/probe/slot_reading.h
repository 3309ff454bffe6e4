// What padwatch-check knows of one controller slot at a moment: what the
// device is, its battery, its reading, and where each stick rests. Plain
// data: the reports and the screen read it, only the probe fills it.
#ifndef PADWATCH_CHECK_PROBE_SLOT_READING_H_
#define PADWATCH_CHECK_PROBE_SLOT_READING_H_

#include <array>
#include <cstdint>

#include "check/probe/motion_rest.h"
#include "check/probe/pad_sensors.h"
#include "platform/identity.h"
#include "platform/xinput.h"

// Where a stick sits while it is inside its dead zone: the mean of the
// readings taken there. Drift shows here long before padwatch, which is
// silent inside the dead zone, reports it.
class RestingOffset {
 public:
  explicit RestingOffset(std::int32_t deadZone) : deadZone(deadZone) {}

  // Takes one reading; only readings with both axes inside the dead zone
  // count.
  void Add(SHORT x, SHORT y);
  void Clear();

  bool Known() const { return samples > 0; }
  double X() const;
  double Y() const;
  // The distance from the centre as a percentage of the dead zone.
  double PercentOfDeadZone() const;
  std::int32_t DeadZone() const { return deadZone; }

 private:
  std::int32_t deadZone;
  std::uint64_t samples = 0;
  double sumX = 0;
  double sumY = 0;
};

struct SlotReading {
  explicit SlotReading(DWORD slot);

  DWORD slot;
  bool connected = false;
  DeviceIdentity identity;
  bool capabilitiesKnown = false;
  XINPUT_CAPABILITIES capabilities{};
  bool batteryKnown = false;
  XINPUT_BATTERY_INFORMATION battery{};
  XINPUT_STATE state{};
  RestingOffset leftStick;
  RestingOffset rightStick;
  // Its motion sensors and touchpad, read last, and the motion readings
  // taken while it was sampled.
  PadSensors sensors;
  MotionRest motionRest;
};

using Slots = std::array<SlotReading, XUSER_MAX_COUNT>;

// Slots 0 to 3, nothing known yet.
Slots MakeSlots();

// Whether the device says it has motors to run.
bool HasVibration(const XINPUT_CAPABILITIES& capabilities);

#endif  // PADWATCH_CHECK_PROBE_SLOT_READING_H_
