// What XInput's codes for a device's kind and battery are called, each
// defined once: the words reports show, and the words scenarios write. Both
// padwatch-check's reports and the scenario format read them from here.
#ifndef PADWATCH_INPUT_DEVICE_CODES_H_
#define PADWATCH_INPUT_DEVICE_CODES_H_

#include <cstddef>
#include <cstdint>

#include "platform/xinput.h"

struct DeviceCode {
  std::uint8_t code;
  const char* shownName;     // in reports: "arcade stick"
  const char* scenarioName;  // in scenarios, one word: "arcade_stick"
};

// XINPUT_DEVSUBTYPE_*.
constexpr DeviceCode kSubTypeCodes[] = {
    {XINPUT_DEVSUBTYPE_GAMEPAD, "gamepad", "gamepad"},
    {XINPUT_DEVSUBTYPE_WHEEL, "wheel", "wheel"},
    {XINPUT_DEVSUBTYPE_ARCADE_STICK, "arcade stick", "arcade_stick"},
    {XINPUT_DEVSUBTYPE_FLIGHT_STICK, "flight stick", "flight_stick"},
    {XINPUT_DEVSUBTYPE_DANCE_PAD, "dance pad", "dance_pad"},
    {XINPUT_DEVSUBTYPE_GUITAR, "guitar", "guitar"},
    {XINPUT_DEVSUBTYPE_GUITAR_ALTERNATE, "guitar (alternate)", "guitar_alternate"},
    {XINPUT_DEVSUBTYPE_DRUM_KIT, "drum kit", "drum_kit"},
    {XINPUT_DEVSUBTYPE_GUITAR_BASS, "bass guitar", "guitar_bass"},
    {XINPUT_DEVSUBTYPE_ARCADE_PAD, "arcade pad", "arcade_pad"},
    {XINPUT_DEVSUBTYPE_UNKNOWN, "unknown", "unknown"},
};

// BATTERY_TYPE_*. A battery the device cannot name (BATTERY_TYPE_UNKNOWN) is
// "other" everywhere: "unknown" means that the device gives no battery
// report at all (kNoBatteryReportName).
constexpr DeviceCode kBatteryTypeCodes[] = {
    {BATTERY_TYPE_WIRED, "wired", "wired"},          {BATTERY_TYPE_DISCONNECTED, "none", "none"},
    {BATTERY_TYPE_ALKALINE, "alkaline", "alkaline"}, {BATTERY_TYPE_NIMH, "nimh", "nimh"},
    {BATTERY_TYPE_UNKNOWN, "other", "other"},
};
constexpr const char kNoBatteryReportName[] = "unknown";

// BATTERY_LEVEL_*.
constexpr DeviceCode kBatteryLevelCodes[] = {
    {BATTERY_LEVEL_EMPTY, "empty", "empty"},
    {BATTERY_LEVEL_LOW, "low", "low"},
    {BATTERY_LEVEL_MEDIUM, "medium", "medium"},
    {BATTERY_LEVEL_FULL, "full", "full"},
};

// The table's entry for code, or null for a code it does not list.
template <std::size_t N>
constexpr const DeviceCode* FindDeviceCode(const DeviceCode (&table)[N], std::uint8_t code) {
  for (const DeviceCode& entry : table) {
    if (entry.code == code) return &entry;
  }
  return nullptr;
}

// The name reports show for code; a code the table does not list is shown
// as `unlisted`.
template <std::size_t N>
constexpr const char* ShownName(const DeviceCode (&table)[N], std::uint8_t code,
                                const char* unlisted) {
  const DeviceCode* entry = FindDeviceCode(table, code);
  return entry != nullptr ? entry->shownName : unlisted;
}

#endif  // PADWATCH_INPUT_DEVICE_CODES_H_
