#include "platform/scripted/scripted_xinput.h"

#include <cassert>
#include <cstring>

#include "platform/reading.h"

namespace {

struct Slot {
  bool plugged = false;
  XINPUT_STATE state{};
  DeviceIdentity identity;
  BYTE subType = XINPUT_DEVSUBTYPE_GAMEPAD;
  bool wireless = false;
  bool vibrationSupported = true;
  bool batteryReported = true;
  XINPUT_BATTERY_INFORMATION battery{BATTERY_TYPE_WIRED, BATTERY_LEVEL_FULL};
  XINPUT_VIBRATION vibration{};
};

Slot slots[XUSER_MAX_COUNT];
std::uint64_t getStateCalls = 0;
std::uint64_t setStateCalls = 0;
std::uint64_t coInitializeCalls = 0;

Slot& At(DWORD slot) {
  assert(slot < XUSER_MAX_COUNT && "scripted slots are 0 to 3");
  return slots[slot];
}

}  // namespace

namespace scripted {

void Reset() {
  for (Slot& slot : slots) slot = Slot();
  getStateCalls = 0;
  setStateCalls = 0;
  coInitializeCalls = 0;
}

void Plug(DWORD slot) { At(slot).plugged = true; }

void Unplug(DWORD slot) {
  At(slot).plugged = false;
  SetGamepad(slot, XINPUT_GAMEPAD{});
}

bool IsPlugged(DWORD slot) { return At(slot).plugged; }

void SetGamepad(DWORD slot, const XINPUT_GAMEPAD& gamepad) {
  XINPUT_STATE& state = At(slot).state;
  if (SameReading(state.Gamepad, gamepad)) return;
  state.Gamepad = gamepad;
  ++state.dwPacketNumber;
}

const XINPUT_GAMEPAD& Gamepad(DWORD slot) { return At(slot).state.Gamepad; }

void Press(DWORD slot, WORD buttons) {
  XINPUT_GAMEPAD gamepad = Gamepad(slot);
  gamepad.wButtons = static_cast<WORD>(gamepad.wButtons | buttons);
  SetGamepad(slot, gamepad);
}

void Release(DWORD slot, WORD buttons) {
  XINPUT_GAMEPAD gamepad = Gamepad(slot);
  gamepad.wButtons = static_cast<WORD>(gamepad.wButtons & ~buttons);
  SetGamepad(slot, gamepad);
}

DWORD PacketNumber(DWORD slot) { return At(slot).state.dwPacketNumber; }

void SetIdentity(DWORD slot, const DeviceIdentity& identity) { At(slot).identity = identity; }
const DeviceIdentity& Identity(DWORD slot) { return At(slot).identity; }
void SetSubType(DWORD slot, BYTE subType) { At(slot).subType = subType; }
void SetWireless(DWORD slot, bool wireless) { At(slot).wireless = wireless; }
void SetVibrationSupported(DWORD slot, bool supported) { At(slot).vibrationSupported = supported; }

void SetBattery(DWORD slot, bool reported, BYTE type, BYTE level) {
  At(slot).batteryReported = reported;
  At(slot).battery = {type, level};
}

XINPUT_VIBRATION Vibration(DWORD slot) { return At(slot).vibration; }
std::uint64_t SetStateCalls() { return setStateCalls; }

std::uint64_t GetStateCalls() { return getStateCalls; }
std::uint64_t CoInitializeCalls() { return coInitializeCalls; }

}  // namespace scripted

extern "C" DWORD WINAPI XInputGetState(DWORD dwUserIndex, XINPUT_STATE* pState) {
  ++getStateCalls;
  if (dwUserIndex >= XUSER_MAX_COUNT || pState == nullptr) return ERROR_BAD_ARGUMENTS;
  const Slot& slot = slots[dwUserIndex];
  if (!slot.plugged) return ERROR_DEVICE_NOT_CONNECTED;
  std::memcpy(pState, &slot.state, sizeof(*pState));
  return ERROR_SUCCESS;
}

extern "C" DWORD WINAPI XInputGetCapabilities(DWORD dwUserIndex, DWORD /*dwFlags*/,
                                              XINPUT_CAPABILITIES* pCapabilities) {
  if (dwUserIndex >= XUSER_MAX_COUNT || pCapabilities == nullptr) return ERROR_BAD_ARGUMENTS;
  const Slot& slot = slots[dwUserIndex];
  if (!slot.plugged) return ERROR_DEVICE_NOT_CONNECTED;
  XINPUT_CAPABILITIES capabilities{};
  capabilities.Type = XINPUT_DEVTYPE_GAMEPAD;
  capabilities.SubType = slot.subType;
  capabilities.Flags = slot.wireless ? XINPUT_CAPS_WIRELESS : 0;
  // Input resolutions are not scripted; they stay 0.
  if (slot.vibrationSupported) capabilities.Vibration = {0xFFFF, 0xFFFF};
  *pCapabilities = capabilities;
  return ERROR_SUCCESS;
}

extern "C" DWORD WINAPI XInputGetBatteryInformation(
    DWORD dwUserIndex, BYTE devType, XINPUT_BATTERY_INFORMATION* pBatteryInformation) {
  if (dwUserIndex >= XUSER_MAX_COUNT || pBatteryInformation == nullptr ||
      devType != BATTERY_DEVTYPE_GAMEPAD) {
    return ERROR_BAD_ARGUMENTS;
  }
  const Slot& slot = slots[dwUserIndex];
  if (!slot.plugged) return ERROR_DEVICE_NOT_CONNECTED;
  if (!slot.batteryReported) return ERROR_NOT_SUPPORTED;
  *pBatteryInformation = slot.battery;
  return ERROR_SUCCESS;
}

extern "C" DWORD WINAPI XInputSetState(DWORD dwUserIndex, XINPUT_VIBRATION* pVibration) {
  ++setStateCalls;
  if (dwUserIndex >= XUSER_MAX_COUNT || pVibration == nullptr) return ERROR_BAD_ARGUMENTS;
  Slot& slot = slots[dwUserIndex];
  if (!slot.plugged) return ERROR_DEVICE_NOT_CONNECTED;
  if (!slot.vibrationSupported) return ERROR_NOT_SUPPORTED;
  slot.vibration = *pVibration;
  return ERROR_SUCCESS;
}

bool GetDeviceIdentity(DWORD slot, DeviceIdentity* identity) {
  *identity = DeviceIdentity();
  if (slot >= XUSER_MAX_COUNT || !slots[slot].plugged) return false;
  *identity = slots[slot].identity;
  return true;
}

#ifndef _WIN32
// On Windows the real COM initialisation is linked instead; it has no effect
// on the scripted slots.
extern "C" HRESULT WINAPI CoInitializeEx(LPVOID /*pvReserved*/, DWORD /*dwCoInit*/) {
  ++coInitializeCalls;
  return S_OK;
}
#endif
