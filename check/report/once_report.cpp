#include "check/report/once_report.h"

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <vector>

#include "check/report/decimal_text.h"
#include "check/report/device_text.h"
#include "check/report/shown_text.h"
#include "input/inputs.h"
#include "support/number_text.h"

namespace {

using Json = nlohmann::ordered_json;

// Where the text report cuts what a device says of itself: far beyond any
// real name, GUID (32 digits) or mapping, short of filling a screen.
constexpr std::size_t kNameColumns = 100;
constexpr std::size_t kGuidColumns = 64;
constexpr std::size_t kMappingColumns = 1000;

struct AxisView {
  const char* name;
  std::int32_t raw;
  std::string value;  // normalised, padwatch's six decimals
  bool atRest;
};

std::vector<AxisView> Axes(const XINPUT_GAMEPAD& pad) {
  std::vector<AxisView> axes;
  for (const AxisInput& axis : kAxisInputs) {
    const std::int32_t raw = axis.Reading(pad);
    std::string value;
    AppendFixed6(value, axis.NormalisedValue(raw));
    axes.push_back({axis.name, raw, value, axis.AtRest(raw)});
  }
  return axes;
}

std::string Pad(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string PadLeft(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string OffsetText(const RestingOffset& offset) {
  if (!offset.Known()) return "not at rest while sampled";
  return "x " + Fixed(offset.X(), 1) + ", y " + Fixed(offset.Y(), 1) + ": " +
         Fixed(offset.PercentOfDeadZone(), 1) + "% of the dead zone (" +
         std::to_string(offset.DeadZone()) + ")";
}

Json OffsetJson(const RestingOffset& offset) {
  if (!offset.Known()) return nullptr;
  return Json{{"x", Rounded(offset.X(), 1)},
              {"y", Rounded(offset.Y(), 1)},
              {"percentOfDeadZone", Rounded(offset.PercentOfDeadZone(), 1)},
              {"deadZone", offset.DeadZone()}};
}

Json TextOrNull(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }

}  // namespace

std::string FormatOnceText(const Slots& slots) {
  std::string text;
  for (const SlotReading& slot : slots) {
    text += "Slot " + std::to_string(slot.slot) + ": ";
    if (!slot.connected) {
      text += "empty\n";
      continue;
    }
    text += "connected\n";
    const DeviceIdentity& id = slot.identity;
    text += "  Name:     " + KnownOr(ShownText(id.name, kNameColumns)) + "\n";
    text += "  Ids:      " + IdsText(id) + "\n";
    text += "  GUID:     " + KnownOr(ShownText(id.guid, kGuidColumns)) + "\n";
    text += "  Mapping:  " + KnownOr(ShownText(id.mapping, kMappingColumns)) + "\n";
    text += "  Type:     " + TypeText(slot) + "\n";
    text += "  Battery:  " + BatteryText(slot) + "\n";
    text += "  Buttons:  " + ButtonsText(slot.state.Gamepad) + "\n";
    for (const AxisView& axis : Axes(slot.state.Gamepad)) {
      text += "  " + Pad(axis.name, 14) + "raw " + PadLeft(std::to_string(axis.raw), 6) +
              "  value " + PadLeft(axis.value, 9) + (axis.atRest ? "  at rest" : "  active") + "\n";
    }
    text += "  Left stick rests at:  " + OffsetText(slot.leftStick) + "\n";
    text += "  Right stick rests at: " + OffsetText(slot.rightStick) + "\n";
    // Only where a kernel driver's event node sits between the pad and SDL.
    if (!id.kernelAxes.empty()) text += "  Filters:  " + FiltersText(id) + "\n";
  }
  return text;
}

std::string FormatOnceJson(const Slots& slots) {
  Json report = {{"tool", "padwatch-check"}, {"slots", Json::array()}};
  for (const SlotReading& slot : slots) {
    Json entry = {{"slot", slot.slot}, {"connected", slot.connected}};
    if (slot.connected) {
      const DeviceIdentity& id = slot.identity;
      entry["name"] = TextOrNull(id.name);
      entry["vendorId"] = id.idsKnown ? Json(HexId(id.vendorId)) : Json(nullptr);
      entry["productId"] = id.idsKnown ? Json(HexId(id.productId)) : Json(nullptr);
      entry["guid"] = TextOrNull(id.guid);
      entry["mapping"] = TextOrNull(id.mapping);
      entry["subtype"] =
          slot.capabilitiesKnown ? Json(SubTypeName(slot.capabilities.SubType)) : Json(nullptr);
      entry["wireless"] = slot.capabilitiesKnown
                              ? Json((slot.capabilities.Flags & XINPUT_CAPS_WIRELESS) != 0)
                              : Json(nullptr);
      entry["vibration"] =
          slot.capabilitiesKnown ? Json(HasVibration(slot.capabilities)) : Json(nullptr);
      if (slot.batteryKnown) {
        // Wired and no battery at all have no level, as the text says.
        const BYTE type = slot.battery.BatteryType;
        const bool noLevel = type == BATTERY_TYPE_WIRED || type == BATTERY_TYPE_DISCONNECTED;
        entry["battery"] = {
            {"type", BatteryTypeName(slot.battery.BatteryType)},
            {"level", noLevel ? Json(nullptr) : Json(BatteryLevelName(slot.battery.BatteryLevel))},
            {"percent", noLevel || id.batteryPercent < 0 || id.batteryPercent > 100
                            ? Json(nullptr)
                            : Json(id.batteryPercent)},
            {"charge", noLevel ? Json(nullptr) : TextOrNull(id.batteryCharge)}};
      } else {
        entry["battery"] = nullptr;
      }
      Json buttons = Json::array();
      for (const ButtonInput& button : kButtonInputs) {
        if ((slot.state.Gamepad.wButtons & button.mask) != 0) buttons.push_back(button.name);
      }
      entry["buttons"] = buttons;
      Json axes = Json::array();
      for (const AxisView& axis : Axes(slot.state.Gamepad)) {
        axes.push_back({{"name", axis.name},
                        {"raw", axis.raw},
                        {"value", std::strtod(axis.value.c_str(), nullptr)},
                        {"atRest", axis.atRest}});
      }
      entry["axes"] = axes;
      entry["restingOffset"] = {{"leftStick", OffsetJson(slot.leftStick)},
                                {"rightStick", OffsetJson(slot.rightStick)}};
      Json kernelAxes = Json::array();
      for (const KernelAxis& axis : id.kernelAxes) {
        kernelAxes.push_back({{"name", axis.name},
                              {"minimum", axis.minimum},
                              {"maximum", axis.maximum},
                              {"fuzz", axis.fuzz},
                              {"flat", axis.flat},
                              {"resolution", axis.resolution}});
      }
      entry["kernelAxes"] = kernelAxes;
    }
    report["slots"].push_back(entry);
  }
  // Device strings may be anything: invalid UTF-8 becomes U+FFFD, so the
  // document is always valid, and everything outside ASCII is escaped, so
  // that nothing in it can act on a terminal it is shown on.
  return report.dump(2, ' ', true, Json::error_handler_t::replace) + "\n";
}
