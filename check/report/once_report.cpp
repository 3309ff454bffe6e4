#include "check/report/once_report.h"

#include <array>
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
// A sensor's source or why it is missing: a device node's path, a reason.
constexpr std::size_t kSourceColumns = 200;

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

// Angular rates to a hundredth of a degree a second, accelerations to a
// thousandth of a g: finer than either sensor's noise.
constexpr int kDpsDecimals = 2;
constexpr int kGDecimals = 3;

Json XyzJson(const std::array<double, 3>& values, int decimals) {
  return Json::array(
      {Rounded(values[0], decimals), Rounded(values[1], decimals), Rounded(values[2], decimals)});
}

std::array<double, 3> Bias(const MotionRest& rest) {
  return {rest.BiasDps(0), rest.BiasDps(1), rest.BiasDps(2)};
}

// Which way SDL reads the pad, where it is SDL that reads it: through the
// kernel's event node (evdev) or its own HIDAPI driver on the hidraw node.
std::string SdlWayText(const DeviceIdentity& id) {
  if (!id.eventNode.empty()) return "evdev, " + ShownText(id.eventNode, kSourceColumns);
  if (!id.hidrawNode.empty()) return "HIDAPI, " + ShownText(id.hidrawNode, kSourceColumns);
  return "";
}

// Whether the sensors were read at all: each part then says what it is or
// why it is missing.
bool SensorsRead(const PadSensors& sensors) {
  return sensors.motionKnown || !sensors.motionMissing.empty() || sensors.touchKnown ||
         !sensors.touchMissing.empty();
}

std::string SensorLines(const SlotReading& slot) {
  const PadSensors& sensors = slot.sensors;
  if (!SensorsRead(sensors)) return "";
  std::string text = "  Motion:   ";
  if (!sensors.motionKnown) {
    text += "not read: " + ShownText(sensors.motionMissing, kSourceColumns) + "\n";
  } else {
    text += "gyro " + XyzText(sensors.motion.gyroDps, kDpsDecimals) + " deg/s; accel " +
            XyzText(sensors.motion.accelG, kGDecimals) + " g (" +
            ShownText(sensors.motionSource, kSourceColumns) + ")\n";
    const MotionRest& rest = slot.motionRest;
    text += "  At rest:  gyro bias " + XyzText(Bias(rest), kDpsDecimals) + " deg/s; acceleration " +
            Fixed(rest.MagnitudeG(), kGDecimals) + " g (" + std::to_string(rest.Readings()) +
            " readings; the pad lying still)\n";
  }
  text += "  Touchpad: ";
  if (!sensors.touchKnown) {
    return text + "not read: " + ShownText(sensors.touchMissing, kSourceColumns) + "\n";
  }
  const TouchValues& touch = sensors.touch;
  text += std::to_string(touch.width) + " x " + std::to_string(touch.height) + ", ";
  if (touch.fingers.empty()) {
    text += "no finger";
  } else {
    text += std::to_string(touch.fingers.size()) +
            (touch.fingers.size() == 1 ? " finger at " : " fingers at ");
    for (std::size_t i = 0; i < touch.fingers.size(); ++i) {
      text += (i == 0 ? "(" : ", (") + std::to_string(touch.fingers[i].x) + ", " +
              std::to_string(touch.fingers[i].y) + ")";
    }
  }
  return text + (touch.click ? ", clicked" : ", not clicked") + " (" +
         ShownText(sensors.touchSource, kSourceColumns) + ")\n";
}

Json SensorsJson(const SlotReading& slot, Json* touchpad) {
  const PadSensors& sensors = slot.sensors;
  Json motion = {{"source", TextOrNull(sensors.motionSource)},
                 {"missing", TextOrNull(sensors.motionMissing)}};
  if (sensors.motionKnown) {
    const MotionRest& rest = slot.motionRest;
    motion["gyroDps"] = XyzJson(sensors.motion.gyroDps, kDpsDecimals);
    motion["accelG"] = XyzJson(sensors.motion.accelG, kGDecimals);
    motion["rest"] = {{"readings", rest.Readings()},
                      {"gyroBiasDps", XyzJson(Bias(rest), kDpsDecimals)},
                      {"accelMagnitudeG", Rounded(rest.MagnitudeG(), kGDecimals)}};
  }
  *touchpad = {{"source", TextOrNull(sensors.touchSource)},
               {"missing", TextOrNull(sensors.touchMissing)}};
  if (sensors.touchKnown) {
    const TouchValues& touch = sensors.touch;
    Json fingers = Json::array();
    for (const TouchFinger& finger : touch.fingers) {
      fingers.push_back({{"x", finger.x}, {"y", finger.y}});
    }
    (*touchpad)["width"] = touch.width;
    (*touchpad)["height"] = touch.height;
    (*touchpad)["click"] = touch.click;
    (*touchpad)["fingers"] = fingers;
  }
  return motion;
}

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
    const std::string way = SdlWayText(id);
    if (!way.empty()) text += "  SDL reads it through: " + way + "\n";
    text += SensorLines(slot);
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
      entry["sdlReads"] = !id.eventNode.empty() ? Json{{"way", "evdev"}, {"node", id.eventNode}}
                          : !id.hidrawNode.empty()
                              ? Json{{"way", "HIDAPI"}, {"node", id.hidrawNode}}
                              : Json(nullptr);
      if (SensorsRead(slot.sensors)) {
        Json touchpad;
        entry["motion"] = SensorsJson(slot, &touchpad);
        entry["touchpad"] = touchpad;
      }
    }
    report["slots"].push_back(entry);
  }
  // Device strings may be anything: invalid UTF-8 becomes U+FFFD, so the
  // document is always valid, and everything outside ASCII is escaped, so
  // that nothing in it can act on a terminal it is shown on.
  return report.dump(2, ' ', true, Json::error_handler_t::replace) + "\n";
}
