// The doctor on small fake systems: each case builds the sysfs, /dev,
// /run/udev, /proc and /etc a fault leaves behind, scans it, and compares
// the report, text and JSON, with tests/doctor_golden. What a tree cannot
// hold (SDL's view, a grab, which needs a real device) is set on the facts.
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "check/doctor/doctor_report.h"
#include "check/doctor/system_scan.h"
#include "gtest/gtest.h"
#include "tests/test_files.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kPlayer = 4242;  // the user reported on, never the one running

struct FakePad {
  int event = 5;
  std::string name = "Microsoft X-Box 360 pad";
  std::string ids[4] = {"0003", "045e", "028e", "0114"};  // bus, vendor, product, version
  std::string hid;                                        // "0003:054C:09CC.0001" for a HID pad
  std::string hidParent = "/sys/devices/pci0000:00/usb1/1-1/1-1:1.0";  // where the HID device is
  bool isVirtual = false;
  int js = 0;  // -1: none
  unsigned eventMode = 0660;
  unsigned hidrawMode = 0600;
  std::string udev = "E:ID_INPUT=1\nE:ID_INPUT_JOYSTICK=1\nG:uaccess\n";  // "" for none
  std::string battery;   // "capacity status" for a power supply
  bool sensors = false;  // motion sensors' and touchpad's input devices beside it
};

class FakeSystem {
 public:
  FakeSystem() {
    char folder[] = "/tmp/padwatch-doctor-XXXXXX";
    top = mkdtemp(folder);
    roots.sys = top + "/sys";
    roots.dev = top + "/dev";
    roots.runUdev = top + "/run/udev";
    roots.runSystemd = top + "/run/systemd";
    roots.proc = top + "/proc";
    roots.etc = top + "/etc";
    roots.top = top;
    for (const char* dir : {"/sys/class/input", "/dev/input", "/run/udev/data", "/proc", "/etc"}) {
      fs::create_directories(top + dir);
    }
    // Whoever runs the test owns the fake nodes: call them root and input.
    Write("/etc/passwd", "root:x:" + std::to_string(getuid()) + ":0::/:/bin/sh\nplayer:x:" +
                             std::to_string(kPlayer) + ":" + std::to_string(kPlayer) + "::/:\n");
    Write("/etc/group",
          "input:x:" + std::to_string(getgid()) + ":\nplayer:x:" + std::to_string(kPlayer) + ":\n");
    user.uid = kPlayer;
    user.gid = kPlayer;
    // The player sits at the seat, unless a case says otherwise.
    ActiveAtSeat(kPlayer);
  }

  void ActiveAtSeat(std::uint32_t uid) {
    Write("/run/systemd/seats/seat0",
          "# This is private data. Do not access.\nIS_SEAT0=1\nACTIVE=c1\nACTIVE_UID=" +
              std::to_string(uid) + "\n");
  }
  ~FakeSystem() { fs::remove_all(top); }

  void Write(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(top + path).parent_path());
    std::ofstream(top + path, std::ios::binary) << text;
  }

  void AddPad(const FakePad& pad) {
    const std::string event = "event" + std::to_string(pad.event);
    const std::string parent = pad.isVirtual     ? "/sys/devices/virtual"
                               : pad.hid.empty() ? "/sys/devices/pci0000:00/usb1/1-1/1-1:1.0"
                                                 : pad.hidParent + "/" + pad.hid;
    const std::string input = parent + "/input/input" + std::to_string(pad.event + 10);
    Write(input + "/name", pad.name + "\n");
    const char* idNames[4] = {"bustype", "vendor", "product", "version"};
    for (int i = 0; i < 4; ++i) Write(input + "/id/" + idNames[i], pad.ids[i] + "\n");
    // BTN_SOUTH to BTN_THUMBR, and FF_RUMBLE.
    Write(input + "/capabilities/key", "7fdb000000000000 0 0 0 0\n");
    Write(input + "/capabilities/ff", "107030000 0\n");
    Write(input + "/" + event + "/dev", "13:" + std::to_string(64 + pad.event) + "\n");
    fs::create_directory_symlink("..", top + input + "/" + event + "/device");
    fs::create_directory_symlink("../..", top + input + "/device");
    fs::create_directory_symlink(top + input + "/" + event, top + "/sys/class/input/" + event);
    Node("/dev/input/" + event, pad.eventMode);
    if (pad.js >= 0) {
      fs::create_directories(top + input + "/js" + std::to_string(pad.js));
      Node("/dev/input/js" + std::to_string(pad.js), 0664);
    }
    if (!pad.hid.empty()) {
      fs::create_directories(top + parent + "/hidraw/hidraw" + std::to_string(pad.event));
      Node("/dev/hidraw" + std::to_string(pad.event), pad.hidrawMode);
    }
    if (!pad.battery.empty()) {
      const std::string supply = parent + "/power_supply/sony_controller_battery_00:11:22";
      Write(supply + "/scope", "Device\n");
      Write(supply + "/capacity", pad.battery.substr(0, pad.battery.find(' ')) + "\n");
      Write(supply + "/status", pad.battery.substr(pad.battery.find(' ') + 1) + "\n");
    }
    if (!pad.udev.empty()) Write("/run/udev/data/c13:" + std::to_string(64 + pad.event), pad.udev);
    if (pad.sensors) {
      // INPUT_PROP_ACCELEROMETER, then INPUT_PROP_BUTTONPAD.
      const char* properties[2] = {"40\n", "4\n"};
      for (int i = 1; i <= 2; ++i) {
        const std::string sibling = parent + "/input/input" + std::to_string(pad.event + 10 + i);
        Write(sibling + "/properties", properties[i - 1]);
        fs::create_directories(top + sibling + "/event" + std::to_string(pad.event + i));
      }
    }
  }

  void Node(const std::string& path, unsigned mode) {
    Write(path, "");
    chmod((top + path).c_str(), mode);
  }

  std::string top;
  SystemRoots roots;
  UserIdentity user;
};

// A DualShock 4 as hid-sony presents it, with its hidraw node.
FakePad DualShock4() {
  FakePad pad;
  pad.name = "Sony Interactive Entertainment Wireless Controller";
  pad.ids[1] = "054c";
  pad.ids[2] = "09cc";
  pad.ids[3] = "8111";
  pad.hid = "0003:054C:09CC.0001";
  pad.sensors = true;
  return pad;
}

void ExpectGolden(const std::string& name, const LinuxFacts& facts, int status) {
  const std::string folder = PADWATCH_DOCTOR_GOLDEN_DIR;
  EXPECT_EQ(FormatDoctorText(facts), ReadFile(folder + "/" + name + ".txt")) << name;
  EXPECT_EQ(FormatDoctorJson(facts), ReadFile(folder + "/" + name + ".json")) << name;
  if (std::getenv("PADWATCH_WRITE_GOLDEN") != nullptr) {
    std::ofstream(folder + "/" + name + ".txt", std::ios::binary) << FormatDoctorText(facts);
    std::ofstream(folder + "/" + name + ".json", std::ios::binary) << FormatDoctorJson(facts);
  }
  EXPECT_EQ(DoctorStatus(facts), status) << name;
}

SdlFacts SdlController(const std::string& name, bool hidapi, const std::string& power) {
  SdlFacts sdl;
  sdl.kind = SdlKind::kController;
  sdl.name = name;
  sdl.hidapi = hidapi;
  sdl.guid = "030000005e0400008e02000014010000";
  sdl.power = power;
  sdl.rumble = true;
  return sdl;
}

TEST(SystemScanLinuxTest, AllGood) {
  FakeSystem system;
  system.user.groups = {getgid()};  // in input
  system.AddPad(FakePad());
  LinuxFacts facts = ScanLinux(system.roots, system.user);
  facts.sdlStarted = true;
  facts.controllers.at(0).sdl = SdlController("Xbox 360 Controller", false, "wired");
  ExpectGolden("all_good", facts, 0);
}

TEST(SystemScanLinuxTest, UaccessGivesTheLoggedInUserAnAcl) {
  FakeSystem system;
  FakePad pad;
  system.AddPad(pad);
  // user:player:rw- and mask::rw- beside the mode's entries.
  std::string acl("\x02\x00\x00\x00", 4);
  const std::uint32_t entries[][3] = {
      {0x01, 6, ~0u}, {0x02, 6, kPlayer}, {0x04, 6, ~0u}, {0x10, 6, ~0u}, {0x20, 0, ~0u}};
  for (const auto& entry : entries) {
    const unsigned char bytes[8] = {
        static_cast<unsigned char>(entry[0]),       0,
        static_cast<unsigned char>(entry[1]),       0,
        static_cast<unsigned char>(entry[2]),       static_cast<unsigned char>(entry[2] >> 8),
        static_cast<unsigned char>(entry[2] >> 16), static_cast<unsigned char>(entry[2] >> 24)};
    acl.append(reinterpret_cast<const char*>(bytes), 8);
  }
  const std::string node = system.top + "/dev/input/event5";
  if (setxattr(node.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0) {
    GTEST_SKIP() << "this file system takes no ACL";
  }
  LinuxFacts facts = ScanLinux(system.roots, system.user);
  facts.sdlStarted = true;
  facts.controllers.at(0).sdl = SdlController("Xbox 360 Controller", false, "wired");
  ExpectGolden("uaccess", facts, 0);
}

TEST(SystemScanLinuxTest, EventNodeUdevDidNotClassAsAJoystick) {
  FakeSystem system;
  FakePad pad;
  pad.name = "Generic USB Joystick";
  pad.ids[1] = "0079";
  pad.ids[2] = "0006";
  pad.udev = "E:ID_INPUT=1\nE:ID_INPUT_KEY=1\n";
  system.AddPad(pad);
  LinuxFacts facts = ScanLinux(system.roots, system.user);
  facts.sdlStarted = true;
  ExpectGolden("event_unreadable", facts, 1);
}

TEST(SystemScanLinuxTest, EventNodeOnlyRootMayReadWithoutUdev) {
  FakeSystem system;
  fs::remove_all(system.top + "/run/udev");
  FakePad pad;
  pad.eventMode = 0600;
  pad.udev.clear();
  system.AddPad(pad);
  LinuxFacts facts = ScanLinux(system.roots, system.user);
  facts.sdlStarted = true;
  ExpectGolden("root_only_no_udev", facts, 1);
}

TEST(SystemScanLinuxTest, HidrawUnreadableLosesTheBattery) {
  FakeSystem system;
  system.user.groups = {getgid()};
  FakePad pad = DualShock4();
  // Where uhid puts it, as for a pad BlueZ serves over Bluetooth: a kernel
  // driver's pad, not one made by software.
  pad.hidParent = "/sys/devices/virtual/misc/uhid";
  pad.battery = "60 Discharging";
  system.AddPad(pad);
  LinuxFacts facts = ScanLinux(system.roots, system.user);
  facts.sdlStarted = true;
  facts.controllers.at(0).sdl = SdlController("PS4 Controller", false, "unknown");
  ExpectGolden("hidraw_unreadable", facts, 1);
}

TEST(SystemScanLinuxTest, NoMappingOffersALineToStartFrom) {
  FakeSystem system;
  system.user.groups = {getgid()};
  FakePad pad;
  pad.name = "Odd,Pad \x1b[31m";
  pad.ids[1] = "1234";
  pad.ids[2] = "5678";
  system.AddPad(pad);
  LinuxFacts facts = ScanLinux(system.roots, system.user);
  facts.sdlStarted = true;
  SdlFacts& sdl = facts.controllers.at(0).sdl;
  sdl.kind = SdlKind::kJoystick;
  sdl.name = "Odd,Pad \x1b[31m";
  sdl.guid = "03000000341200007856000011010000";
  sdl.buttons = 12;
  sdl.axes = 6;
  sdl.hats = 1;
  sdl.power = "unknown";
  ExpectGolden("no_mapping", facts, 1);
}

TEST(SystemScanLinuxTest, GrabbedNamesWhoHoldsIt) {
  FakeSystem system;
  system.user.groups = {getgid()};
  system.AddPad(FakePad());
  system.Write("/proc/4321/comm", "remapper\n");
  fs::create_directories(system.top + "/proc/4321/fd");
  fs::create_symlink("/dev/input/event5", system.top + "/proc/4321/fd/7");
  fs::create_symlink("/dev/null", system.top + "/proc/4321/fd/0");
  // A reader beside the grabber: named as having it open, not as the grabber.
  system.Write("/proc/4400/comm", "padwatch\n");
  fs::create_directories(system.top + "/proc/4400/fd");
  fs::create_symlink("/dev/input/event5", system.top + "/proc/4400/fd/5");
  LinuxFacts facts = ScanLinux(system.roots, system.user);
  facts.sdlStarted = true;
  facts.controllers.at(0).grab = GrabState::kGrabbed;
  facts.controllers.at(0).sdl = SdlController("Xbox 360 Controller", false, "wired");
  ExpectGolden("grabbed", facts, 1);
}

TEST(SystemScanLinuxTest, VirtualCopyIsADuplicate) {
  FakeSystem system;
  system.user.groups = {getgid()};
  system.AddPad(FakePad());
  FakePad copy;
  copy.event = 9;
  copy.isVirtual = true;
  copy.js = 1;
  system.AddPad(copy);
  LinuxFacts facts = ScanLinux(system.roots, system.user);
  facts.sdlStarted = true;
  for (ControllerFacts& controller : facts.controllers) {
    controller.sdl = SdlController("Xbox 360 Controller", false, "wired");
  }
  ExpectGolden("duplicate", facts, 1);
}

// A pad the sandbox hides is not usable from inside it, and each sandbox's
// fix keeps working when the pad comes back under another number.
TEST(SystemScanLinuxTest, SandboxesWithoutDevices) {
  const struct {
    const char* golden;
    const char* file;  // what the sandbox leaves at the top
    const char* text;
  } kSandboxes[] = {
      {"flatpak", "/.flatpak-info", "[Application]\nname=org.example.Game\nruntime=x\n"},
      {"container", "/.dockerenv", ""},
  };
  for (const auto& sandbox : kSandboxes) {
    FakeSystem system;
    system.AddPad(FakePad());
    fs::remove_all(system.top + "/dev/input");
    system.Write(sandbox.file, sandbox.text);
    ExpectGolden(sandbox.golden, ScanLinux(system.roots, system.user), 1);
  }
}

// uaccess gives the node only to the active user at a seat, through a seat
// manager: elsewhere the fix is a group.
TEST(SystemScanLinuxTest, RemoteLoginGetsTheGroupNotTheRule) {
  FakeSystem system;
  system.ActiveAtSeat(1000);
  system.AddPad(FakePad());
  LinuxFacts facts = ScanLinux(system.roots, system.user);
  facts.sdlStarted = true;
  ExpectGolden("remote_login", facts, 1);
}

TEST(SystemScanLinuxTest, NoSeatManagerGetsTheGroupNotTheRule) {
  FakeSystem system;
  fs::remove_all(system.top + "/run/systemd");
  system.user.groups = {getgid()};
  FakePad pad = DualShock4();
  system.AddPad(pad);
  LinuxFacts facts = ScanLinux(system.roots, system.user);
  facts.sdlStarted = true;
  facts.controllers.at(0).sdl = SdlController("PS4 Controller", false, "unknown");
  ExpectGolden("no_seat_manager", facts, 1);
}

TEST(SystemScanLinuxTest, NoControllerAtAll) {
  FakeSystem system;
  LinuxFacts facts = ScanLinux(system.roots, system.user);
  facts.sdlStarted = true;
  ExpectGolden("no_controller", facts, 1);
}

// Names from sysfs are data too: a joystick node named with an escape
// sequence is shown escaped wherever the report names it.
TEST(SystemScanLinuxTest, HostileNodeNamesAreShownEscaped) {
  FakeSystem system;
  system.AddPad(FakePad());
  fs::create_directories(system.top +
                         "/sys/devices/pci0000:00/usb1/1-1/1-1:1.0/input/input15/"
                         "js1\x1b]0;owned\x07");
  const std::string text = FormatDoctorText(ScanLinux(system.roots, system.user));
  EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
  EXPECT_NE(text.find("/dev/input/js1\\x1b]0;owned\\x07  missing"), std::string::npos) << text;
}

// The start-up hint counts what this process cannot open.
TEST(SystemScanLinuxTest, UnreadableGameControllersCountsMissingNodes) {
  FakeSystem system;
  system.AddPad(FakePad());
  FakePad second;
  second.event = 6;
  second.js = -1;
  system.AddPad(second);
  EXPECT_EQ(UnreadableGameControllers(system.roots), 0);
  fs::remove(system.top + "/dev/input/event6");
  EXPECT_EQ(UnreadableGameControllers(system.roots), 1);
  EXPECT_EQ(GameControllerEvents(system.roots), (std::vector<std::string>{"event5", "event6"}));
}

}  // namespace
