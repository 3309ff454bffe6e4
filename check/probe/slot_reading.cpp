#include "check/probe/slot_reading.h"

#include <cmath>

#include "input/inputs.h"

void RestingOffset::Add(SHORT x, SHORT y) {
  if (x < -deadZone || x > deadZone || y < -deadZone || y > deadZone) return;
  ++samples;
  sumX += x;
  sumY += y;
}

void RestingOffset::Clear() {
  samples = 0;
  sumX = 0;
  sumY = 0;
}

double RestingOffset::X() const { return samples == 0 ? 0.0 : sumX / samples; }
double RestingOffset::Y() const { return samples == 0 ? 0.0 : sumY / samples; }

double RestingOffset::PercentOfDeadZone() const { return std::hypot(X(), Y()) * 100.0 / deadZone; }

SlotReading::SlotReading(DWORD slot)
    : slot(slot), leftStick(kLeftStickDeadZone), rightStick(kRightStickDeadZone) {}

Slots MakeSlots() { return {SlotReading(0), SlotReading(1), SlotReading(2), SlotReading(3)}; }

bool HasVibration(const XINPUT_CAPABILITIES& capabilities) {
  return capabilities.Vibration.wLeftMotorSpeed != 0 ||
         capabilities.Vibration.wRightMotorSpeed != 0;
}
