// A platform whose controllers are played by a test or a scenario.
//
// Linking this library serves the XInput calls, CoInitializeEx and
// GetDeviceIdentity from four scripted slots. Each slot holds a reading, a
// plugged flag and what the device says of itself; a query of a plugged slot
// answers with them as they stand.
#ifndef PADWATCH_PLATFORM_SCRIPTED_SCRIPTED_XINPUT_H_
#define PADWATCH_PLATFORM_SCRIPTED_SCRIPTED_XINPUT_H_

#include <cstdint>

#include "platform/identity.h"
#include "platform/xinput.h"

namespace scripted {

// Unplugs every slot, clears every reading to rest and zeroes the packet
// numbers and call counters.
void Reset();

// A plugged slot answers from the next query on; an unplugged one answers
// ERROR_DEVICE_NOT_CONNECTED and has its reading cleared to rest.
void Plug(DWORD slot);
void Unplug(DWORD slot);
bool IsPlugged(DWORD slot);

// Changes a slot's reading, plugged or not. The packet number grows whenever
// the reading actually changes.
void SetGamepad(DWORD slot, const XINPUT_GAMEPAD& gamepad);
const XINPUT_GAMEPAD& Gamepad(DWORD slot);
void Press(DWORD slot, WORD buttons);
void Release(DWORD slot, WORD buttons);

DWORD PacketNumber(DWORD slot);

// What the device says of itself. After Reset() every slot holds a wired
// gamepad (subtype gamepad) with vibration and an unknown identity.
void SetIdentity(DWORD slot, const DeviceIdentity& identity);
const DeviceIdentity& Identity(DWORD slot);
void SetSubType(DWORD slot, BYTE subType);
void SetWireless(DWORD slot, bool wireless);
void SetVibrationSupported(DWORD slot, bool supported);
// With reported false, XInputGetBatteryInformation answers
// ERROR_NOT_SUPPORTED, as a platform that cannot tell does.
void SetBattery(DWORD slot, bool reported, BYTE type, BYTE level);

// The motor speeds last accepted by XInputSetState for a slot.
XINPUT_VIBRATION Vibration(DWORD slot);
std::uint64_t SetStateCalls();

// How often the platform calls have been made since the last Reset().
std::uint64_t GetStateCalls();
std::uint64_t CoInitializeCalls();

}  // namespace scripted

#endif  // PADWATCH_PLATFORM_SCRIPTED_SCRIPTED_XINPUT_H_
