// Words for what the platform says of a device, shared by padwatch-check's
// reports: names for XInput's codes, and "unknown" for what it cannot tell.
#ifndef PADWATCH_CHECK_DEVICE_TEXT_H_
#define PADWATCH_CHECK_DEVICE_TEXT_H_

#include <string>

#include "check/slot_state.h"
#include "input/inputs.h"

// text, or "unknown" when it is empty.
std::string KnownOr(const std::string& text);

// "045e" for 0x045E.
std::string HexId(std::uint16_t id);
// "045e:028e", or "unknown".
std::string IdsText(const DeviceIdentity& identity);

const char* SubTypeName(BYTE subType);
bool HasVibration(const XINPUT_CAPABILITIES& capabilities);
// "gamepad, wired, vibration" and the like.
std::string TypeText(const SlotState& slot);

const char* BatteryTypeName(BYTE type);
const char* BatteryLevelName(BYTE level);
// "wired", "alkaline, level full", "unknown" and the like.
std::string BatteryText(const SlotState& slot);

// The names of the buttons held, in padwatch's order, or "none".
std::string ButtonsText(const XINPUT_GAMEPAD& pad);

// raw as padwatch normalises it: -1 to 1 for a stick, 0 to 1 for a trigger.
float NormalisedValue(const AxisInput& axis, std::int32_t raw);

#endif  // PADWATCH_CHECK_DEVICE_TEXT_H_
