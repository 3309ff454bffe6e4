// What padwatch-check learns of one controller slot: what the device is,
// its battery, its reading, and where each stick rests.
#ifndef PADWATCH_CHECK_SLOT_STATE_H_
#define PADWATCH_CHECK_SLOT_STATE_H_

#include <cstdint>

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

struct SlotState {
  explicit SlotState(DWORD slot);

  // Asks the platform for everything but the reading and offsets.
  void ReadDevice();
  // Polls the slot once: the reading, and the resting offsets. Returns
  // whether the slot answered.
  bool Poll();

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
};

#endif  // PADWATCH_CHECK_SLOT_STATE_H_
