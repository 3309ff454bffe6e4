// Words for what the platform says of a device, shared by padwatch-check's
// reports and screen: names for XInput's codes, and "unknown" for what it
// cannot tell.
#ifndef PADWATCH_CHECK_REPORT_DEVICE_TEXT_H_
#define PADWATCH_CHECK_REPORT_DEVICE_TEXT_H_

#include <cstdint>
#include <string>
#include <vector>

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

// The kernel's filters on the axes at `indices` of identity.kernelAxes, as
// "fuzz/flat ABS_X 16/128, ABS_Y 16/128"; "" when none of them is known.
std::string FiltersText(const DeviceIdentity& identity, const std::vector<int>& indices);
// The same for every axis of the node.
std::string FiltersText(const DeviceIdentity& identity);

// The names of the buttons held, in padwatch's order, or "none".
std::string ButtonsText(const XINPUT_GAMEPAD& pad);

#endif  // PADWATCH_CHECK_REPORT_DEVICE_TEXT_H_
