#include "check/report/device_text.h"

#include <cstdio>

#include "check/report/shown_text.h"
#include "input/device_codes.h"
#include "input/inputs.h"

std::string KnownOr(const std::string& text) { return text.empty() ? "unknown" : text; }

std::string HexId(std::uint16_t id) {
  char text[8];
  std::snprintf(text, sizeof(text), "%04x", static_cast<unsigned>(id));
  return text;
}

std::string IdsText(const DeviceIdentity& identity) {
  if (!identity.idsKnown) return "unknown";
  return HexId(identity.vendorId) + ":" + HexId(identity.productId);
}

const char* SubTypeName(BYTE subType) { return ShownName(kSubTypeCodes, subType, "unknown"); }

const char* BatteryTypeName(BYTE type) { return ShownName(kBatteryTypeCodes, type, "unknown"); }

// XInput reports any level it cannot place as full.
const char* BatteryLevelName(BYTE level) { return ShownName(kBatteryLevelCodes, level, "full"); }

std::string TypeText(const SlotReading& slot) {
  if (!slot.capabilitiesKnown) return "unknown";
  const XINPUT_CAPABILITIES& caps = slot.capabilities;
  return std::string(SubTypeName(caps.SubType)) +
         ((caps.Flags & XINPUT_CAPS_WIRELESS) != 0 ? ", wireless" : ", wired") +
         (HasVibration(caps) ? ", vibration" : ", no vibration");
}

std::string BatteryText(const SlotReading& slot) {
  if (!slot.batteryKnown) return "unknown";
  const BYTE type = slot.battery.BatteryType;
  if (type == BATTERY_TYPE_WIRED || type == BATTERY_TYPE_DISCONNECTED) {
    return BatteryTypeName(type);
  }
  std::string text =
      std::string(BatteryTypeName(type)) + ", level " + BatteryLevelName(slot.battery.BatteryLevel);
  const DeviceIdentity& identity = slot.identity;
  std::string detail;
  if (identity.batteryPercent >= 0 && identity.batteryPercent <= 100) {
    detail = std::to_string(identity.batteryPercent) + "%";
  }
  if (!identity.batteryCharge.empty()) {
    detail += (detail.empty() ? "" : ", ") + ShownText(identity.batteryCharge, 20);
  }
  return detail.empty() ? text : text + " (" + detail + ")";
}

std::string ButtonsText(const XINPUT_GAMEPAD& pad) {
  std::string text;
  for (const ButtonInput& button : kButtonInputs) {
    if ((pad.wButtons & button.mask) == 0) continue;
    if (!text.empty()) text += ' ';
    text += button.name;
  }
  return text.empty() ? "none" : text;
}

std::string FiltersText(const DeviceIdentity& identity, const std::vector<int>& indices) {
  std::string text;
  for (const int index : indices) {
    if (index < 0 || index >= static_cast<int>(identity.kernelAxes.size())) continue;
    const KernelAxis& axis = identity.kernelAxes[index];
    text += (text.empty() ? "fuzz/flat " : ", ") + axis.name + " " + std::to_string(axis.fuzz) +
            "/" + std::to_string(axis.flat);
  }
  return text;
}

std::string FiltersText(const DeviceIdentity& identity) {
  std::vector<int> every(identity.kernelAxes.size());
  for (std::size_t i = 0; i < every.size(); ++i) every[i] = static_cast<int>(i);
  return FiltersText(identity, every);
}
