#include "check/report/rumble_report.h"

namespace {

const char* Text(MotorResult result) {
  switch (result) {
    case MotorResult::kAccepted:
      return "accepted";
    case MotorResult::kRejected:
      return "rejected";
    default:
      return "not tried (stopped)";
  }
}

}  // namespace

std::string RumbleAnswer(const RumbleResult& result) {
  if (!result.supported) return "rumble: no vibration";
  return std::string("rumble: low ") + Text(result.lowFrequency) + ", high " +
         Text(result.highFrequency);
}

std::string FormatRumbleText(const RumbleResults& results) {
  std::string text;
  for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
    const RumbleResult& result = results[slot];
    text += "Slot " + std::to_string(slot) + ": ";
    if (!result.connected) {
      text += "empty\n";
    } else if (!result.supported) {
      text += "vibration not supported\n";
    } else {
      text += std::string("low-frequency motor ") + Text(result.lowFrequency) +
              ", high-frequency motor " + Text(result.highFrequency) + "\n";
    }
  }
  return text;
}
