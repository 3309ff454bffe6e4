// The doctor's report on Linux: each controller's nodes and who may read
// them, udev, SDL, batteries, rumble and grabs; the problems with their
// fixes (udev rules, groups, sandboxes); text and JSON.
#include "check/doctor/doctor_report.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "check/doctor/mapping_line.h"
#include "check/doctor/problem_json.h"
#include "check/report/device_text.h"
#include "check/report/shown_text.h"

namespace {

using Json = nlohmann::ordered_json;
using doctor::Quoted;
using doctor::Shown;

constexpr std::size_t kLineColumns = 1000;

// The vendors whose pads SDL's HIDAPI drivers take on Linux by default, and
// what those pads are called.
struct HidapiVendor {
  std::uint16_t vendor;
  const char* pads;
};
constexpr HidapiVendor kHidapiVendors[] = {
    {0x054c, "PlayStation"}, {0x057e, "Nintendo"}, {0x18d1, "Stadia"},
    {0x1949, "Luna"},        {0x0955, "Shield"},
};

const char* HidapiPads(std::uint16_t vendor) {
  for (const HidapiVendor& entry : kHidapiVendors) {
    if (entry.vendor == vendor) return entry.pads;
  }
  return nullptr;
}

std::string UpperHex(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string BusName(std::uint16_t bus) {
  switch (bus) {
    case 0x03:
      return "USB";
    case 0x05:
      return "Bluetooth";
    case 0x06:
      return "virtual";
    case 0x19:
      return "host";
    default:
      return "bus 0x" + HexId(bus);
  }
}

std::string ModeText(unsigned mode) {
  std::string text;
  for (int shift = 6; shift >= 0; shift -= 3) {
    text += ((mode >> (shift + 2)) & 1u) != 0 ? 'r' : '-';
    text += ((mode >> (shift + 1)) & 1u) != 0 ? 'w' : '-';
    text += ((mode >> shift) & 1u) != 0 ? 'x' : '-';
  }
  return text;
}

std::string Octal(unsigned mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", mode);
  return text;
}

bool InGroup(const LinuxFacts& facts, const std::string& group) {
  for (const std::string& name : facts.user.groups) {
    if (name == group) return true;
  }
  return false;
}

// The rule file a fix writes, named after the pad so that two fixes do not
// overwrite each other; kRuleOrder says why its number is 70.
std::string RuleFile(const ControllerFacts& controller) {
  return "/etc/udev/rules.d/70-game-controller-" + HexId(controller.vendor) + "-" +
         HexId(controller.product) + ".rules";
}

constexpr const char kRuleOrder[] =
    "(keep the number 70: rules run in the order of their file names, and this one must come "
    "after 60-input-id.rules, which classes the device, and before 73-seat-late.rules, which "
    "gives uaccess devices to the user logged in at the seat)";
// The command that puts user in group, and when it takes effect.
std::string JoinGroup(const std::string& group, const std::string& user) {
  return "sudo usermod -aG " + group + " " + user +
         " (then log out and in again: groups are read at login)";
}
constexpr const char kReload[] = "sudo udevadm control --reload-rules && sudo udevadm trigger";

// Why a uaccess rule would give the user nothing here, or "" where it would.
std::string WhyNoUaccess(const LinuxFacts& facts) {
  if (!facts.seatManager) {
    return "no seat manager runs here, neither systemd-logind nor elogind, and udev's uaccess "
           "tag gives a node only through one";
  }
  if (!facts.activeAtSeat) {
    return "you are not the active user at a seat, as over ssh or in a service, and udev's "
           "uaccess tag gives a node only to that user";
  }
  return "";
}

// The lines that give user access to node, the best way the system allows:
// a uaccess rule for the user at the seat; otherwise a group, joining the
// one the node is already open to or giving the node to "input" (by a
// rule where udev runs, by hand where it does not).
std::vector<std::string> AccessFix(const LinuxFacts& facts, const ControllerFacts& controller,
                                   const NodeFacts& node) {
  const std::string user = Shown(facts.user.name);
  const bool groupGrants = ((node.mode >> 3) & 6u) == 6u && node.group != "root" &&
                           node.group != "0" && !InGroup(facts, node.group);
  const std::string join = JoinGroup(Shown(node.group), user);
  const std::string match =
      node.kind == "hidraw"
          ? "KERNEL==\"hidraw*\", KERNELS==\"*:" + UpperHex(HexId(controller.vendor)) + ":" +
                UpperHex(HexId(controller.product)) + ".*\", "
          : "SUBSYSTEM==\"input\", KERNEL==\"event*|js*\", ATTRS{modalias}==\"input:b" +
                UpperHex(HexId(controller.bus)) + "v" + UpperHex(HexId(controller.vendor)) + "p" +
                UpperHex(HexId(controller.product)) + "*\", ENV{ID_INPUT_JOYSTICK}=\"1\", ";
  const std::string noUaccess = WhyNoUaccess(facts);
  std::vector<std::string> fix;
  if (facts.udevData && noUaccess.empty()) {
    fix = {"add this line to " + RuleFile(controller) + ":", "  " + match + "TAG+=\"uaccess\"",
           kRuleOrder, "then: " + std::string(kReload)};
    if (groupGrants) {
      fix.push_back("or, for every pad and also over ssh: " + join +
                    "; the group opens every keyboard and mouse to your programs too");
    }
    return fix;
  }
  if (groupGrants) {
    fix = {join};
  } else if (facts.udevData) {
    fix = {"add this line to " + RuleFile(controller) + ":",
           "  " + match + "GROUP=\"input\", MODE=\"0660\"", "then: " + std::string(kReload)};
  } else {
    fix.push_back("sudo chgrp input " + Shown(node.path) + " && sudo chmod 0660 " +
                  Shown(node.path));
  }
  if (!groupGrants && !InGroup(facts, "input")) {
    fix.push_back(JoinGroup("input", user));
  }
  if (facts.udevData) {
    fix.push_back("(a group rather than a uaccess rule: " + noUaccess +
                  ". The group opens every keyboard and mouse to your programs too)");
  } else if (!groupGrants) {
    fix.push_back("(udev does not run here, so nothing sets this again when the pad comes back)");
  }
  return fix;
}

std::string WhyEventUnreadable(const LinuxFacts& facts, const ControllerFacts& controller) {
  if (!facts.udevData) return "udev does not run here, or cannot be seen: nothing gave it to you";
  if (!controller.udevKnown) return "udev has no record of the node";
  if (!controller.udevJoystick) {
    return "udev did not class it as a joystick, so it did not give it to the user logged in "
           "at the seat (uaccess)";
  }
  if (controller.udevUaccess) {
    if (!facts.seatManager) {
      return "udev tags it for the user logged in at the seat (uaccess), but no seat manager "
             "(systemd-logind or elogind) runs here to give it to anyone";
    }
    return "udev gives it to the user logged in at the seat, and this session is not that one "
           "(a remote login, another seat, a service)";
  }
  return "udev classed it as a joystick but did not tag it for the logged-in user (uaccess)";
}

const NodeFacts* FindNode(const ControllerFacts& controller, const std::string& kind) {
  for (const NodeFacts& node : controller.nodes) {
    if (node.kind == kind) return &node;
  }
  return nullptr;
}

// The number (from 1) of the non-virtual controller that controller copies.
std::size_t CopiedController(const LinuxFacts& facts, const ControllerFacts& controller) {
  if (!controller.isVirtual) return 0;
  for (std::size_t i = 0; i < facts.controllers.size(); ++i) {
    const ControllerFacts& other = facts.controllers[i];
    if (!other.isVirtual && other.vendor == controller.vendor &&
        other.product == controller.product && other.name == controller.name) {
      return i + 1;
    }
  }
  return 0;
}

// The major number of the controllers' event nodes: the input subsystem's,
// 13, unless the kernel says otherwise.
std::string InputMajor(const LinuxFacts& facts) {
  for (const ControllerFacts& controller : facts.controllers) {
    const std::string major = controller.devNumber.substr(0, controller.devNumber.find(':'));
    if (!major.empty() && major.find_first_not_of("0123456789") == std::string::npos) return major;
  }
  return "13";
}

// How to let the sandbox see the controllers, in a way that still holds
// when a pad is plugged in again under another event number.
std::vector<std::string> SandboxFix(const LinuxFacts& facts) {
  const std::string app = facts.sandboxApp.empty() ? "APP" : Shown(facts.sandboxApp);
  if (facts.sandbox == "flatpak") {
    return {"flatpak override --user --device=input " + app,
            "(--device=input needs Flatpak 1.15.6 or later; an older Flatpak has only "
            "--device=all, which opens every device)"};
  }
  if (facts.sandbox == "snap") return {"sudo snap connect " + app + ":joystick"};
  if (facts.sandbox == "container") {
    std::vector<std::string> fix = {
        "start the container with the input folder and the right to open every input device "
        "(major " +
            InputMajor(facts) + "), so that a pad plugged in again under a new number is seen:",
        "  docker run --device-cgroup-rule='c " + InputMajor(facts) +
            ":* rmw' -v /dev/input:/dev/input -v /run/udev:/run/udev:ro ...",
        "(podman run takes the same options)"};
    std::string nodes;
    for (const ControllerFacts& controller : facts.controllers) {
      nodes += " --device /dev/input/" + Shown(controller.event);
    }
    if (!nodes.empty()) {
      fix.push_back("or only today's nodes, lost when a pad is plugged in again: docker run" +
                    nodes + " ...");
    }
    return fix;
  }
  return {
      "run it where the system's /dev can be seen; for a chroot: sudo mount --rbind /dev "
      "ROOT/dev"};
}

const char* SdlKindText(SdlKind kind) {
  switch (kind) {
    case SdlKind::kController:
      return "controller";
    case SdlKind::kJoystick:
      return "joystick";
    default:
      return "none";
  }
}

const char* GrabText(GrabState grab) {
  switch (grab) {
    case GrabState::kFree:
      return "free";
    case GrabState::kGrabbed:
      return "grabbed";
    default:
      return "not-tested";
  }
}

std::string NodeLine(const NodeFacts& node) {
  std::string line =
      "  " + node.kind + ":" + std::string(9 - node.kind.size(), ' ') + Shown(node.path);
  if (!node.exists) return line + "  missing\n";
  line += "  " + Shown(node.owner) + ":" + Shown(node.group) + " " + ModeText(node.mode);
  for (const std::string& entry : node.acl) line += " " + Shown(entry);
  if (node.canRead && node.canWrite) return line + "  you can read and write it\n";
  if (node.canRead) return line + "  you can read it, not write it\n";
  if (node.canWrite) return line + "  you can write it, not read it\n";
  return line + "  you can neither read nor write it\n";
}

}  // namespace

std::vector<Problem> ControllerProblems(const LinuxFacts& facts, std::size_t index) {
  const ControllerFacts& controller = facts.controllers[index];
  std::vector<Problem> problems;
  const NodeFacts* event = FindNode(controller, "event");
  if (event == nullptr || !event->exists) {
    const std::string missing = facts.devInputVisible
                                    ? "/dev/input/" + Shown(controller.event) + " does not exist"
                                    : std::string("/dev/input cannot be seen");
    problems.push_back(
        {"event-missing",
         "the kernel has the pad, but " + missing + " here, so nothing here can read it",
         facts.sandbox.empty() ? "/dev is not the system's (a chroot, a container)"
                               : "the " + facts.sandbox + " sandbox hides it",
         SandboxFix(facts)});
    return problems;
  }
  if (controller.grab == GrabState::kGrabbed) {
    Problem problem{"grabbed",
                    "another process holds " + Shown(event->path) +
                        " grabbed: every event goes to it alone, and padwatch sees nothing",
                    "",
                    {}};
    if (controller.holders.empty()) {
      problem.why = "the process that grabbed it is not one this user may see";
      problem.fix.push_back("sudo fuser -v " + Shown(event->path) +
                            " names it; stop it or release it");
    } else {
      // The kernel does not say which of those that have it open grabbed
      // it: the others merely read it.
      problem.why =
          "one of the processes that have it open (above) grabbed it; the kernel does "
          "not say which";
      problem.fix.push_back(
          "stop the program that grabbed it, a remapper or a game launcher (it lets go when it "
          "ends); programs that only read it, as padwatch does, do not matter");
    }
    problems.push_back(problem);
  }
  if (!event->canRead) {
    problems.push_back({"event-unreadable",
                        "you cannot read " + Shown(event->path) +
                            ", so padwatch, SDL and games do not see the pad",
                        WhyEventUnreadable(facts, controller),
                        AccessFix(facts, controller, *event)});
  } else if (!event->canWrite && controller.forceFeedback) {
    problems.push_back({"event-read-only",
                        "you can read " + Shown(event->path) +
                            " but not write it, so it will not "
                            "rumble: force feedback is written there",
                        "", AccessFix(facts, controller, *event)});
  }
  const NodeFacts* hidraw = FindNode(controller, "hidraw");
  const char* hidapiPads = HidapiPads(controller.vendor);
  if (hidraw != nullptr && hidraw->exists && hidapiPads != nullptr &&
      !(hidraw->canRead && hidraw->canWrite)) {
    problems.push_back(
        {"hidraw-unreadable",
         "you cannot read and write " + Shown(hidraw->path) + ", so SDL reads this " + hidapiPads +
             " pad through evdev instead of its own driver: the battery level, the lights and "
             "the sensors SDL reads itself are lost",
         // SDL's evdev path reads the kernel's motion and touchpad nodes only
         // from 2.30 on.
         controller.motionNode || controller.touchNode
             ? "games built on SDL before 2.30 see no gyroscope or touchpad on this pad"
             : "",
         AccessFix(facts, controller, *hidraw)});
  }
  if (facts.sdlStarted && event->canRead && controller.grab != GrabState::kGrabbed) {
    if (controller.sdl.kind == SdlKind::kJoystick) {
      problems.push_back(
          {"no-mapping",
           "SDL sees a joystick but has no game controller mapping for it, so padwatch does "
           "not see it",
           "neither SDL's database nor SDL_GAMECONTROLLERCONFIG knows GUID " +
               Shown(controller.sdl.guid),
           {"start from this line, check each input with padwatch, and set it before starting:",
            "  export SDL_GAMECONTROLLERCONFIG='" +
                ShownText(StartingMapping(controller.sdl.guid, controller.sdl.name,
                                          controller.sdl.buttons, controller.sdl.axes,
                                          controller.sdl.hats),
                          kLineColumns) +
                "'"}});
    } else if (controller.sdl.kind == SdlKind::kNotListed && !controller.isVirtual) {
      problems.push_back({"not-listed-by-sdl",
                          "SDL does not list this device at all",
                          "",
                          {"check SDL_GAMECONTROLLER_IGNORE_DEVICES and "
                           "SDL_JOYSTICK_HIDAPI in the environment"}});
    }
  }
  const std::size_t original = CopiedController(facts, controller);
  if (original != 0) {
    problems.push_back({"duplicate",
                        "this is a copy made by software of controller " +
                            std::to_string(original) + ": a game may see one pad twice",
                        "a remapper or a game launcher made it",
                        {"stop the program that made it, or have it hide the original"}});
  }
  return problems;
}

std::vector<Problem> SystemProblems(const LinuxFacts& facts) {
  std::vector<Problem> problems;
  if (!facts.devInputVisible) {
    problems.push_back({"no-dev-input", "/dev/input cannot be seen here",
                        facts.sandbox.empty() ? "" : "the " + facts.sandbox + " sandbox hides it",
                        SandboxFix(facts)});
  } else if (facts.controllers.empty()) {
    problems.push_back({"no-controller",
                        "the kernel has no game controller: no input device with a gamepad's "
                        "or a joystick's buttons",
                        "",
                        {"plug it in (a charge-only cable carries no data), switch it on, or "
                         "pair it; then look at 'sudo dmesg' for what the kernel said"}});
  }
  return problems;
}

std::string FormatDoctorText(const LinuxFacts& facts) {
  std::string out;
  std::size_t count = 0;
  for (std::size_t i = 0; i < facts.controllers.size(); ++i) {
    const ControllerFacts& c = facts.controllers[i];
    out += "Controller " + std::to_string(i + 1) + ": " + Shown(c.name) + " (" + Shown(c.event) +
           ")\n";
    out += "  ids:      " + HexId(c.vendor) + ":" + HexId(c.product) + ", version " +
           HexId(c.version) + ", " + BusName(c.bus) + (c.isVirtual ? ", made by software" : "") +
           "\n";
    for (const NodeFacts& node : c.nodes) out += NodeLine(node);
    out += "  udev:     ";
    if (!facts.udevData) {
      out += "not running here\n";
    } else if (!c.udevKnown) {
      out += "no record\n";
    } else {
      out += std::string(c.udevJoystick ? "a joystick" : "not a joystick") +
             (c.udevUaccess ? ", for the logged-in user (uaccess)" : "") + "\n";
    }
    out += "  SDL:      ";
    if (!facts.sdlStarted) {
      out += "did not start\n";
    } else if (c.sdl.kind == SdlKind::kNotListed) {
      out += "not listed\n";
    } else {
      out += std::string(c.sdl.kind == SdlKind::kController ? "a game controller"
                                                            : "a joystick without a mapping") +
             ", " + Quoted(c.sdl.name) + ", through " + (c.sdl.hidapi ? "HIDAPI" : "evdev") + "\n";
    }
    out += "  battery:  kernel: ";
    if (!c.battery.present) {
      out += "none";
    } else {
      out += (c.battery.capacity >= 0    ? std::to_string(c.battery.capacity) + "%"
              : !c.battery.level.empty() ? Shown(c.battery.level)
                                         : "present") +
             (c.battery.status.empty() ? "" : ", " + Shown(c.battery.status));
    }
    out += c.sdl.kind == SdlKind::kNotListed ? "\n" : "; SDL: " + c.sdl.power + "\n";
    out += std::string("  rumble:   kernel: ") + (c.forceFeedback ? "yes" : "no") +
           (c.sdl.kind == SdlKind::kNotListed ? ""
            : c.sdl.rumble                    ? "; SDL: yes"
                                              : "; SDL: no") +
           "\n";
    out += "  grab:     ";
    out += c.grab == GrabState::kFree      ? "nobody holds it\n"
           : c.grab == GrabState::kGrabbed ? "held by another process\n"
                                           : "not tested\n";
    if (!c.holders.empty()) {
      out += "  open in:  ";
      for (std::size_t h = 0; h < c.holders.size(); ++h) {
        out += (h == 0 ? "" : ", ") + Shown(c.holders[h]);
      }
      out += "\n";
    }
    const std::vector<Problem> problems = ControllerProblems(facts, i);
    count += problems.size();
    for (const Problem& problem : problems) out += ProblemText(problem);
    if (problems.empty()) out += "  Fully usable.\n";
    out += "\n";
  }
  out += "You:      " + Shown(facts.user.name) + " (uid " + std::to_string(facts.user.uid) +
         "), in groups:";
  for (const std::string& group : facts.user.groups) out += " " + Shown(group);
  out += "\nudev:     ";
  out += facts.udevData ? "running\n"
                        : "not running, or not visible here: SDL watches /dev/input itself, "
                          "and nothing gives a new pad to the logged-in user\n";
  out += "Sandbox:  " + (facts.sandbox.empty() ? std::string("none") : facts.sandbox) +
         (facts.sandboxApp.empty() ? "" : " (" + Shown(facts.sandboxApp) + ")") + "\n";
  out += "Seats:    " +
         std::string(!facts.seatManager ? "no seat manager (systemd-logind or elogind)"
                     : facts.activeAtSeat
                         ? "you are the active user at a seat"
                         : "you are not the active user at any seat (a remote login, a service)") +
         "\n";
  const std::vector<Problem> system = SystemProblems(facts);
  for (const Problem& problem : system) out += ProblemText(problem);
  count += system.size();
  out += "\n";
  out += ProblemCount(count);
  return out;
}

std::string FormatDoctorJson(const LinuxFacts& facts) {
  Json report;
  Json controllers = Json::array();
  bool ok = true;
  for (std::size_t i = 0; i < facts.controllers.size(); ++i) {
    const ControllerFacts& c = facts.controllers[i];
    Json json;
    json["event"] = c.event;
    json["name"] = c.name;
    json["vendor"] = HexId(c.vendor);
    json["product"] = HexId(c.product);
    json["version"] = HexId(c.version);
    json["bus"] = BusName(c.bus);
    json["virtual"] = c.isVirtual;
    Json nodes = Json::array();
    for (const NodeFacts& node : c.nodes) {
      Json n;
      n["kind"] = node.kind;
      n["path"] = node.path;
      n["exists"] = node.exists;
      if (node.exists) {
        n["owner"] = node.owner;
        n["group"] = node.group;
        n["mode"] = Octal(node.mode);
        n["acl"] = node.acl;
        n["read"] = node.canRead;
        n["write"] = node.canWrite;
      }
      nodes.push_back(n);
    }
    json["nodes"] = nodes;
    json["udev"] = {
        {"known", c.udevKnown}, {"joystick", c.udevJoystick}, {"uaccess", c.udevUaccess}};
    Json sdl;
    sdl["seen"] = facts.sdlStarted ? SdlKindText(c.sdl.kind) : "not-started";
    if (c.sdl.kind != SdlKind::kNotListed) {
      sdl["through"] = c.sdl.hidapi ? "hidapi" : "evdev";
      sdl["name"] = c.sdl.name;
      sdl["guid"] = c.sdl.guid;
      sdl["power"] = c.sdl.power;
      sdl["rumble"] = c.sdl.rumble;
    }
    json["sdl"] = sdl;
    Json battery = nullptr;
    if (c.battery.present) {
      battery = Json::object();
      battery["capacity"] = c.battery.capacity >= 0 ? Json(c.battery.capacity) : Json(nullptr);
      battery["level"] = c.battery.level.empty() ? Json(nullptr) : Json(c.battery.level);
      battery["status"] = c.battery.status;
    }
    json["kernel_battery"] = battery;
    json["kernel_rumble"] = c.forceFeedback;
    json["grab"] = GrabText(c.grab);
    json["holders"] = c.holders;
    Json problems = Json::array();
    for (const Problem& problem : ControllerProblems(facts, i)) {
      problems.push_back(ProblemJson(problem));
      ok = false;
    }
    json["problems"] = problems;
    controllers.push_back(json);
  }
  report["controllers"] = controllers;
  report["user"] = {
      {"name", facts.user.name}, {"uid", facts.user.uid}, {"groups", facts.user.groups}};
  report["udev"] = facts.udevData;
  report["seat"] = {{"manager", facts.seatManager}, {"active", facts.activeAtSeat}};
  report["sandbox"] =
      facts.sandbox.empty()
          ? Json(nullptr)
          : Json{{"kind", facts.sandbox},
                 {"app", facts.sandboxApp.empty() ? Json(nullptr) : Json(facts.sandboxApp)}};
  Json problems = Json::array();
  for (const Problem& problem : SystemProblems(facts)) {
    problems.push_back(ProblemJson(problem));
    ok = false;
  }
  report["problems"] = problems;
  report["ok"] = ok;
  return report.dump(2, ' ', true, Json::error_handler_t::replace) + "\n";
}

int DoctorStatus(const LinuxFacts& facts) {
  if (!SystemProblems(facts).empty()) return 1;
  for (std::size_t i = 0; i < facts.controllers.size(); ++i) {
    if (!ControllerProblems(facts, i).empty()) return 1;
  }
  return 0;
}
