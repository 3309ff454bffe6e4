#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "check/doctor/system_scan.h"
#include "platform/linux/device_battery.h"
#include "platform/linux/sibling_nodes.h"

namespace {

// IdNames of users and groups by number, read from the tree's passwd and
// group files, so that a fake tree names its own.
struct IdNames {
  std::map<std::uint32_t, std::string> users;
  std::map<std::uint32_t, std::string> groups;

  static std::map<std::uint32_t, std::string> Read(const std::string& path) {
    std::map<std::uint32_t, std::string> names;
    std::istringstream lines(ReadSmallFile(path));
    std::string line;
    while (std::getline(lines, line)) {
      // name:password:number:...
      const std::size_t first = line.find(':');
      const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
      if (second == std::string::npos) continue;
      char* end = nullptr;
      const std::string number = line.substr(second + 1, line.find(':', second + 1) - second - 1);
      const unsigned long id = std::strtoul(number.c_str(), &end, 10);
      if (number.empty() || *end != '\0') continue;
      names.emplace(static_cast<std::uint32_t>(id), line.substr(0, first));
    }
    return names;
  }
  static std::string Find(const std::map<std::uint32_t, std::string>& names, std::uint32_t id) {
    const auto found = names.find(id);
    return found != names.end() ? found->second : std::to_string(id);
  }
  std::string User(std::uint32_t id) const { return Find(users, id); }
  std::string Group(std::uint32_t id) const { return Find(groups, id); }
};

std::uint16_t Hex16(const std::string& text) {
  return static_cast<std::uint16_t>(std::strtoul(text.c_str(), nullptr, 16));
}

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

std::string AclText(const AclEntry& entry, const IdNames& names) {
  std::string perm;
  perm += (entry.perm & 4u) != 0 ? 'r' : '-';
  perm += (entry.perm & 2u) != 0 ? 'w' : '-';
  perm += (entry.perm & 1u) != 0 ? 'x' : '-';
  if (entry.tag == kAclUser) return "user:" + names.User(entry.id) + ":" + perm;
  if (entry.tag == kAclGroup) return "group:" + names.Group(entry.id) + ":" + perm;
  return "mask::" + perm;
}

NodeFacts ReadNode(const SystemRoots& roots, const UserIdentity& user, const IdNames& names,
                   const std::string& kind, const std::string& relative) {
  NodeFacts node;
  node.kind = kind;
  node.path = "/dev/" + relative;
  const std::string path = roots.dev + "/" + relative;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return node;
  node.exists = true;
  FileOwnership file;
  file.uid = info.st_uid;
  file.gid = info.st_gid;
  file.mode = info.st_mode & 0777u;
  std::string acl(4 + 8 * 32, '\0');
  const ssize_t size = getxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size());
  if (size > 0) file.acl = ParseAcl(acl.substr(0, static_cast<std::size_t>(size)));
  node.owner = names.User(file.uid);
  node.group = names.Group(file.gid);
  node.mode = file.mode;
  for (const AclEntry& entry : file.acl) {
    if (entry.tag == kAclUser || entry.tag == kAclGroup || entry.tag == kAclMask) {
      node.acl.push_back(AclText(entry, names));
    }
  }
  const unsigned granted = GrantedAccess(user, file);
  node.canRead = (granted & 4u) != 0;
  node.canWrite = (granted & 2u) != 0;
  return node;
}

// Grabs the event node and lets go at once: EBUSY means someone else holds
// it. Only a real device node is tried, and only where this process may
// open it.
GrabState TryGrab(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) return GrabState::kNotTested;
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return GrabState::kNotTested;
  GrabState state = GrabState::kNotTested;
  if (ioctl(fd, EVIOCGRAB, 1) == 0) {
    ioctl(fd, EVIOCGRAB, 0);
    state = GrabState::kFree;
  } else if (errno == EBUSY) {
    state = GrabState::kGrabbed;
  }
  close(fd);
  return state;
}

// "PID (command)" for every process under roots.proc with target open.
std::vector<std::string> Holders(const SystemRoots& roots, const std::string& target) {
  std::vector<std::string> holders;
  const std::string self = std::to_string(getpid());
  for (const std::string& pid : FolderEntries(roots.proc)) {
    if (pid.find_first_not_of("0123456789") != std::string::npos || pid == self) continue;
    const std::string fds = roots.proc + "/" + pid + "/fd";
    for (const std::string& fd : FolderEntries(fds)) {
      char link[256];
      const ssize_t size = readlink((fds + "/" + fd).c_str(), link, sizeof link);
      if (size > 0 && std::string(link, static_cast<std::size_t>(size)) == target) {
        holders.push_back(pid + " (" + ReadSmallFile(roots.proc + "/" + pid + "/comm") + ")");
        break;
      }
    }
  }
  return holders;
}

// udev's record of the node with device number devNumber ("13:68").
void ReadUdevRecord(const SystemRoots& roots, const std::string& devNumber,
                    ControllerFacts* controller) {
  const std::string path = roots.runUdev + "/data/c" + devNumber;
  if (devNumber.empty() || !Exists(path)) return;
  controller->udevKnown = true;
  std::istringstream lines(ReadSmallFile(path));
  std::string line;
  while (std::getline(lines, line)) {
    if (line == "E:ID_INPUT_JOYSTICK=1") controller->udevJoystick = true;
    if (line == "G:uaccess" || line == "Q:uaccess") controller->udevUaccess = true;
  }
}

ControllerFacts ReadController(const SystemRoots& roots, const UserIdentity& user,
                               const IdNames& names, const std::string& event) {
  ControllerFacts controller;
  controller.event = event;
  const std::string eventFolder = roots.sys + "/class/input/" + event;
  const std::string input = eventFolder + "/device";
  controller.name = ReadSmallFile(input + "/name");
  controller.bus = Hex16(ReadSmallFile(input + "/id/bustype"));
  controller.vendor = Hex16(ReadSmallFile(input + "/id/vendor"));
  controller.product = Hex16(ReadSmallFile(input + "/id/product"));
  controller.version = Hex16(ReadSmallFile(input + "/id/version"));
  std::error_code error;
  const std::string real = std::filesystem::canonical(input, error).string();
  // uinput's devices sit under /devices/virtual/input. uhid's sit under
  // /devices/virtual/misc/uhid, but a kernel driver serves those, and BlueZ
  // brings every Bluetooth pad in that way: they are not made by software.
  controller.isVirtual = !error && real.find("/devices/virtual/input/") != std::string::npos;
  constexpr unsigned kFfRumble = 0x50;
  controller.forceFeedback =
      CapabilityBits::Parse(ReadSmallFile(input + "/capabilities/ff")).Has(kFfRumble);

  controller.nodes.push_back(ReadNode(roots, user, names, "event", "input/" + event));
  for (const std::string& js : FolderEntries(input, "js")) {
    controller.nodes.push_back(ReadNode(roots, user, names, "joystick", "input/" + js));
  }
  // A HID device is the input device's parent and holds its hidraw node
  // and power supply.
  const std::string hid = input + "/device";
  if (Exists(hid + "/hidraw")) {
    controller.hidName = std::filesystem::canonical(hid, error).filename().string();
    for (const std::string& hidraw : FolderEntries(hid + "/hidraw", "hidraw")) {
      controller.nodes.push_back(ReadNode(roots, user, names, "hidraw", hidraw));
    }
  }
  const SiblingNodes siblings = FindSiblingNodes(roots, event);
  controller.motionNode = !siblings.motion.empty();
  controller.touchNode = !siblings.touchpad.empty();
  controller.battery = ReadDeviceBattery(roots, event);
  controller.devNumber = ReadSmallFile(eventFolder + "/dev");
  ReadUdevRecord(roots, controller.devNumber, &controller);
  controller.grab = TryGrab(roots.dev + "/input/" + event);
  controller.holders = Holders(roots, "/dev/input/" + event);
  return controller;
}

}  // namespace

LinuxFacts ScanLinux(const SystemRoots& roots, const UserIdentity& user) {
  LinuxFacts facts;
  IdNames names;
  names.users = IdNames::Read(roots.etc + "/passwd");
  names.groups = IdNames::Read(roots.etc + "/group");
  facts.user.uid = user.uid;
  facts.user.name = names.User(user.uid);
  facts.user.groups.push_back(names.Group(user.gid));
  for (std::uint32_t group : user.groups) {
    const std::string name = names.Group(group);
    if (std::find(facts.user.groups.begin(), facts.user.groups.end(), name) ==
        facts.user.groups.end()) {
      facts.user.groups.push_back(name);
    }
  }
  facts.udevData = Exists(roots.runUdev + "/data");
  // systemd-logind and elogind both keep a file per seat naming its active
  // user: "ACTIVE_UID=1000".
  const std::string seats = roots.runSystemd + "/seats";
  facts.seatManager = Exists(seats);
  const std::string active = "ACTIVE_UID=" + std::to_string(user.uid);
  for (const std::string& seat : FolderEntries(seats)) {
    std::istringstream lines(ReadSmallFile(seats + "/" + seat));
    std::string line;
    while (std::getline(lines, line)) {
      if (line == active) facts.activeAtSeat = true;
    }
  }
  facts.devInputVisible = Exists(roots.dev + "/input");
  const std::string flatpakInfo = roots.top + "/.flatpak-info";
  if (Exists(flatpakInfo)) {
    facts.sandbox = "flatpak";
    std::istringstream lines(ReadSmallFile(flatpakInfo));
    std::string line;
    bool application = false;
    while (std::getline(lines, line)) {
      if (!line.empty() && line[0] == '[') application = line == "[Application]";
      if (application && line.compare(0, 5, "name=") == 0) facts.sandboxApp = line.substr(5);
    }
  } else if (roots.top.empty() && std::getenv("SNAP_NAME") != nullptr) {
    facts.sandbox = "snap";
    facts.sandboxApp = std::getenv("SNAP_NAME");
  } else if (Exists(roots.top + "/run/.containerenv") || Exists(roots.top + "/.dockerenv")) {
    facts.sandbox = "container";
  }
  for (const std::string& event : GameControllerEvents(roots)) {
    facts.controllers.push_back(ReadController(roots, user, names, event));
  }
  return facts;
}

UserIdentity CurrentUser() {
  UserIdentity user;
  user.uid = getuid();
  user.gid = getgid();
  const int count = getgroups(0, nullptr);
  if (count > 0) {
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = getgroups(count, groups.data());
    for (int i = 0; i < got; ++i) user.groups.push_back(groups[static_cast<std::size_t>(i)]);
  }
  return user;
}
