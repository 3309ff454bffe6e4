// A platform whose controllers are played by a test or a scenario.
//
// Linking this library serves XInputGetState and CoInitializeEx from four
// scripted slots. Each slot holds a reading and a plugged flag; a query of a
// plugged slot answers with the reading as it stands.
#ifndef PADWATCH_PLATFORM_SCRIPTED_SCRIPTED_XINPUT_H_
#define PADWATCH_PLATFORM_SCRIPTED_SCRIPTED_XINPUT_H_

#include <cstdint>

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

// How often the platform calls have been made since the last Reset().
std::uint64_t GetStateCalls();
std::uint64_t CoInitializeCalls();

}  // namespace scripted

#endif  // PADWATCH_PLATFORM_SCRIPTED_SCRIPTED_XINPUT_H_
