// The doctor's report on Windows: XInput, the HID game controllers it does
// not serve, and Wine.
#include <nlohmann/json.hpp>

#include "check/doctor/doctor_report.h"
#include "check/doctor/problem_json.h"
#include "check/report/device_text.h"

namespace {

using Json = nlohmann::ordered_json;
using doctor::Quoted;
using doctor::Shown;

// A Windows path as shown: made safe as any text from outside, but with its
// backslashes left single, as the user knows the path.
std::string ShownPath(const std::string& path) {
  std::string shown = Shown(path);
  std::string out;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    out += shown[i];
    if (shown[i] == '\\' && i + 1 < shown.size() && shown[i + 1] == '\\') ++i;
  }
  return out;
}

constexpr std::uint32_t kErrorSuccess = 0;
constexpr std::uint32_t kErrorDeviceNotConnected = 1167;

std::vector<Problem> WindowsProblems(const WindowsFacts& facts) {
  std::vector<Problem> problems;
  if (!facts.xinputLoaded) {
    problems.push_back({"no-xinput",
                        "XInput 1.4 (XINPUT1_4.dll) is not loaded",
                        "",
                        {"it comes with Windows 8 and later: repair Windows, or use a newer one"}});
  }
  bool anyConnected = false;
  for (std::size_t slot = 0; slot < facts.slotAnswers.size(); ++slot) {
    const std::uint32_t answer = facts.slotAnswers[slot];
    if (answer == kErrorSuccess) anyConnected = true;
    if (answer != kErrorSuccess && answer != kErrorDeviceNotConnected) {
      problems.push_back(
          {"xinput-error",
           "XInput answers slot " + std::to_string(slot) + " with error " + std::to_string(answer),
           "",
           {"unplug the controller and plug it in again"}});
    }
  }
  for (const HidControllerFacts& hid : facts.hid) {
    if (hid.xinput) continue;
    problems.push_back(
        {"not-xinput",
         Quoted(hid.name) + " (" + HexId(hid.vendor) + ":" + HexId(hid.product) +
             ") is a game controller XInput does not serve, so padwatch does not see it",
         "XInput serves only pads that present themselves as Xbox controllers; this one is "
         "read only by programs that use HID, DirectInput or Raw Input",
         {"install a driver or program that presents it as an Xbox controller"}});
  }
  if (!anyConnected && facts.hid.empty() && facts.xinputLoaded) {
    problems.push_back({"no-controller",
                        "no game controller is connected",
                        "",
                        {"plug it in (a charge-only cable carries no data), switch it on, or "
                         "pair it"}});
  }
  return problems;
}

constexpr const char kWineBehaviour[] =
    "Wine serves XInput from its own HID stack: every gamepad its winebus driver takes "
    "(through SDL, or the host's hidraw and evdev nodes) gets an XInput slot, whatever its "
    "make. A pad the host's user cannot read is not seen here either: run padwatch-check "
    "--doctor on the host.";

}  // namespace

std::string FormatDoctorText(const WindowsFacts& facts) {
  std::string out = "XInput:   ";
  out += facts.xinputLoaded
             ? "XINPUT1_4.dll, " + ShownPath(facts.xinputPath) +
                   (facts.xinputVersion.empty() ? "" : ", version " + Shown(facts.xinputVersion))
             : std::string("not loaded");
  out += "\n";
  for (std::size_t slot = 0; slot < facts.slotAnswers.size(); ++slot) {
    const std::uint32_t answer = facts.slotAnswers[slot];
    // Numbered from 0, as XInput, padwatch and the other reports number them.
    out += "  slot " + std::to_string(slot) + ": " +
           (answer == kErrorSuccess              ? std::string("a controller")
            : answer == kErrorDeviceNotConnected ? std::string("empty")
                                                 : "error " + std::to_string(answer)) +
           "\n";
  }
  out += "HID game controllers:";
  out += facts.hid.empty() ? " none\n" : "\n";
  for (const HidControllerFacts& hid : facts.hid) {
    out += "  " + Quoted(hid.name) + " (" + HexId(hid.vendor) + ":" + HexId(hid.product) +
           "): " + (hid.xinput ? "served by XInput" : "not served by XInput") + "\n";
  }
  out += "Wine:     " +
         (facts.wineVersion.empty() ? std::string("no")
                                    : Shown(facts.wineVersion) + ". " + kWineBehaviour) +
         "\n";
  const std::vector<Problem> problems = WindowsProblems(facts);
  if (!problems.empty()) out += "\n";
  for (const Problem& problem : problems) out += ProblemText(problem);
  out += "\n";
  out += ProblemCount(problems.size());
  return out;
}

std::string FormatDoctorJson(const WindowsFacts& facts) {
  Json report;
  report["xinput"] = {{"loaded", facts.xinputLoaded},
                      {"path", facts.xinputPath},
                      {"version", facts.xinputVersion},
                      {"slots", facts.slotAnswers}};
  Json hid = Json::array();
  for (const HidControllerFacts& device : facts.hid) {
    hid.push_back({{"name", device.name},
                   {"vendor", HexId(device.vendor)},
                   {"product", HexId(device.product)},
                   {"xinput", device.xinput}});
  }
  report["hid"] = hid;
  report["wine"] = facts.wineVersion.empty() ? Json(nullptr) : Json(facts.wineVersion);
  Json problems = Json::array();
  for (const Problem& problem : WindowsProblems(facts)) problems.push_back(ProblemJson(problem));
  report["problems"] = problems;
  report["ok"] = problems.empty();
  return report.dump(2, ' ', true, Json::error_handler_t::replace) + "\n";
}

int DoctorStatus(const WindowsFacts& facts) { return WindowsProblems(facts).empty() ? 0 : 1; }
