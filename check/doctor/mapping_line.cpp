#include "check/doctor/mapping_line.h"

#include <algorithm>

std::string StartingMapping(const std::string& guid, const std::string& name, int buttons, int axes,
                            int hats) {
  // xpad's order, which most evdev pads share: A B X Y LB RB Back Start
  // Guide LS RS, then X Y Z RX RY RZ with the triggers on Z and RZ.
  static const char* const kButtons[] = {
      "a",    "b",     "x",     "y",         "leftshoulder", "rightshoulder",
      "back", "start", "guide", "leftstick", "rightstick"};
  static const char* const kAxes6[] = {"leftx",  "lefty",  "lefttrigger",
                                       "rightx", "righty", "righttrigger"};
  static const char* const kAxes4[] = {"leftx", "lefty", "rightx", "righty"};
  std::string cleanName;
  for (char c : name) {
    // A comma would end the field; a quote, the shell's quoted word.
    if (c != ',' && c != '\'' && static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) {
      cleanName += c;
    }
  }
  std::string mapping = guid + "," + cleanName + ",";
  for (int i = 0; i < buttons && i < 11; ++i) {
    mapping += std::string(kButtons[i]) + ":b" + std::to_string(i) + ",";
  }
  const char* const* axisNames = axes >= 6 ? kAxes6 : kAxes4;
  const int namedAxes = axes >= 6 ? 6 : std::min(axes, 4);
  for (int i = 0; i < namedAxes; ++i) {
    mapping += std::string(axisNames[i]) + ":a" + std::to_string(i) + ",";
  }
  if (hats > 0) mapping += "dpup:h0.1,dpright:h0.2,dpdown:h0.4,dpleft:h0.8,";
  return mapping + "platform:Linux,";
}
