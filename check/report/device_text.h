// Words for what the platform says of a device, shared by padwatch-check's
// reports and screen: names for XInput's codes, and "unknown" for what it
// cannot tell.
#ifndef PADWATCH_CHECK_REPORT_DEVICE_TEXT_H_
#define PADWATCH_CHECK_REPORT_DEVICE_TEXT_H_

#include <cstdint>
#include <string>

#include "check/probe/slot_reading.h"

// text, or "unknown" when it is empty.
std::string KnownOr(const std::string& text);

// "045e" for 0x045E.
std::string HexId(std::uint16_t id);
// "045e:028e", or "unknown".
std::string IdsText(const DeviceIdentity& identity);

// The names reports give XInput's codes; a code without a name of its own
// is "unknown" (a subtype, a battery type) or "full" (a level).
const char* SubTypeName(BYTE subType);
const char* BatteryTypeName(BYTE type);
const char* BatteryLevelName(BYTE level);

// "gamepad, wired, vibration" and the like.
std::string TypeText(const SlotReading& slot);
// "wired", "alkaline, level full", "unknown" and the like.
std::string BatteryText(const SlotReading& slot);

// The names of the buttons held, in padwatch's order, or "none".
std::string ButtonsText(const XINPUT_GAMEPAD& pad);

#endif  // PADWATCH_CHECK_REPORT_DEVICE_TEXT_H_
