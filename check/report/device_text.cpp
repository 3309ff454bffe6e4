#include "check/device_text.h"

#include <cstdio>

#include "input/controller_manager.h"
#include "support/math.h"

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

const char* SubTypeName(BYTE subType) {
  switch (subType) {
    case XINPUT_DEVSUBTYPE_GAMEPAD:
      return "gamepad";
    case XINPUT_DEVSUBTYPE_WHEEL:
      return "wheel";
    case XINPUT_DEVSUBTYPE_ARCADE_STICK:
      return "arcade stick";
    case XINPUT_DEVSUBTYPE_FLIGHT_STICK:
      return "flight stick";
    case XINPUT_DEVSUBTYPE_DANCE_PAD:
      return "dance pad";
    case XINPUT_DEVSUBTYPE_GUITAR:
      return "guitar";
    case XINPUT_DEVSUBTYPE_GUITAR_ALTERNATE:
      return "guitar (alternate)";
    case XINPUT_DEVSUBTYPE_DRUM_KIT:
      return "drum kit";
    case XINPUT_DEVSUBTYPE_GUITAR_BASS:
      return "bass guitar";
    case XINPUT_DEVSUBTYPE_ARCADE_PAD:
      return "arcade pad";
    default:
      return "unknown";
  }
}

bool HasVibration(const XINPUT_CAPABILITIES& capabilities) {
  return capabilities.Vibration.wLeftMotorSpeed != 0 ||
         capabilities.Vibration.wRightMotorSpeed != 0;
}

std::string TypeText(const SlotState& slot) {
  if (!slot.capabilitiesKnown) return "unknown";
  const XINPUT_CAPABILITIES& caps = slot.capabilities;
  return std::string(SubTypeName(caps.SubType)) +
         ((caps.Flags & XINPUT_CAPS_WIRELESS) != 0 ? ", wireless" : ", wired") +
         (HasVibration(caps) ? ", vibration" : ", no vibration");
}

const char* BatteryTypeName(BYTE type) {
  switch (type) {
    case BATTERY_TYPE_DISCONNECTED:
      return "none";
    case BATTERY_TYPE_WIRED:
      return "wired";
    case BATTERY_TYPE_ALKALINE:
      return "alkaline";
    case BATTERY_TYPE_NIMH:
      return "nimh";
    default:
      return "unknown";
  }
}

const char* BatteryLevelName(BYTE level) {
  switch (level) {
    case BATTERY_LEVEL_EMPTY:
      return "empty";
    case BATTERY_LEVEL_LOW:
      return "low";
    case BATTERY_LEVEL_MEDIUM:
      return "medium";
    default:
      return "full";
  }
}

std::string BatteryText(const SlotState& slot) {
  if (!slot.batteryKnown) return "unknown";
  const BYTE type = slot.battery.BatteryType;
  if (type == BATTERY_TYPE_WIRED || type == BATTERY_TYPE_DISCONNECTED) {
    return BatteryTypeName(type);
  }
  const std::string kind =
      type == BATTERY_TYPE_UNKNOWN ? "battery of unknown type" : BatteryTypeName(type);
  return kind + ", level " + BatteryLevelName(slot.battery.BatteryLevel);
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

float NormalisedValue(const AxisInput& axis, std::int32_t raw) {
  if (axis.IsTrigger()) return Clamp01(static_cast<float>(raw) / kTriggerScale);
  return Clamp(static_cast<float>(raw) / kStickScale, -1.0f, 1.0f);
}
