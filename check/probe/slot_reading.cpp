#include "check/slot_state.h"

#include <cmath>
#include <cstring>

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

SlotState::SlotState(DWORD slot)
    : slot(slot), leftStick(kLeftStickDeadZone), rightStick(kRightStickDeadZone) {}

void SlotState::ReadDevice() {
  GetDeviceIdentity(slot, &identity);
  capabilitiesKnown = XInputGetCapabilities(slot, XINPUT_FLAG_GAMEPAD, &capabilities) == 0;
  batteryKnown = XInputGetBatteryInformation(slot, BATTERY_DEVTYPE_GAMEPAD, &battery) == 0;
}

bool SlotState::Poll() {
  XINPUT_STATE now;
  std::memset(&now, 0, sizeof(now));
  connected = XInputGetState(slot, &now) == 0;
  if (!connected) return false;
  state = now;
  leftStick.Add(now.Gamepad.sThumbLX, now.Gamepad.sThumbLY);
  rightStick.Add(now.Gamepad.sThumbRX, now.Gamepad.sThumbRY);
  return true;
}
