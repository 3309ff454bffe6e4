// Plays gamepads into the kernel through uinput, as their drivers present
// them, following a script. Run inside the test guest next to padwatch.
//
// Script lines (# starts a comment):
//   step MS                 pause after every event command (default 300)
//   wait MS                 pause once
//   create NAME KIND        KIND: x360 xone ds4 unknown
//   press NAME KEY... / release NAME KEY...   KEY: BTN_SOUTH, BTN_TL, ...
//   abs NAME AXIS VALUE [AXIS VALUE]...       AXIS: ABS_X, ABS_HAT0Y, ...
//   sweep NAME AXIS MS COUNT  COUNT reports, one every MS on a steady clock,
//                           each moving AXIS a little (a stick held moving)
//   remove NAME
//   await MS                wait MS, or with --await, until the next
//                           "Controller connected!" instead
//
//   uinput_feeder [--await OUTPUT] [--min-step MS] SCRIPT
//
// With --await, OUTPUT is the output file of the padwatch watching the pads:
// each `create` of a first to fourth pad waits until padwatch has announced
// it there (at most 60 s) instead of trusting a fixed pause, for a watcher
// as slow to see new pads as Wine's. --min-step makes every pause after an
// event at least MS, for a watcher whose events arrive late.
#include <dirent.h>
#include <fcntl.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Axis {
  int code;
  int minimum;
  int maximum;
  int fuzz;
  int flat;
  int rest;
};

struct Kind {
  const char* name;
  const char* deviceName;
  int vendor;
  int product;
  int version;
  std::vector<int> keys;
  std::vector<Axis> axes;
};

// From the drivers' sources: xpad for the Xbox pads (sticks reported with Y
// down-positive, D-pad as a hat), the PlayStation driver for the DualShock 4.
const std::vector<Axis> kXpadSticks = {{ABS_X, -32768, 32767, 16, 128, 0},
                                       {ABS_Y, -32768, 32767, 16, 128, 0},
                                       {ABS_RX, -32768, 32767, 16, 128, 0},
                                       {ABS_RY, -32768, 32767, 16, 128, 0}};
const std::vector<int> kXpadKeys = {BTN_A,      BTN_B,      BTN_X,  BTN_Y,  BTN_START, BTN_SELECT,
                                    BTN_THUMBL, BTN_THUMBR, BTN_TL, BTN_TR, BTN_MODE};

std::vector<Axis> With(std::vector<Axis> axes, std::vector<Axis> more) {
  axes.insert(axes.end(), more.begin(), more.end());
  return axes;
}

const std::vector<Kind> kKinds = {
    {"x360", "Microsoft X-Box 360 pad", 0x045e, 0x028e, 0x0114, kXpadKeys,
     With(kXpadSticks, {{ABS_Z, 0, 255, 0, 0, 0},
                        {ABS_RZ, 0, 255, 0, 0, 0},
                        {ABS_HAT0X, -1, 1, 0, 0, 0},
                        {ABS_HAT0Y, -1, 1, 0, 0, 0}})},
    {"xone", "Microsoft X-Box One S pad", 0x045e, 0x02ea, 0x0408, kXpadKeys,
     With(kXpadSticks, {{ABS_Z, 0, 1023, 0, 0, 0},
                        {ABS_RZ, 0, 1023, 0, 0, 0},
                        {ABS_HAT0X, -1, 1, 0, 0, 0},
                        {ABS_HAT0Y, -1, 1, 0, 0, 0}})},
    {"ds4",
     "Sony Interactive Entertainment Wireless Controller",
     0x054c,
     0x09cc,
     0x8111,
     {BTN_SOUTH, BTN_EAST, BTN_NORTH, BTN_WEST, BTN_TL, BTN_TR, BTN_TL2, BTN_TR2, BTN_SELECT,
      BTN_START, BTN_MODE, BTN_THUMBL, BTN_THUMBR},
     {{ABS_X, 0, 255, 0, 0, 128},
      {ABS_Y, 0, 255, 0, 0, 128},
      {ABS_Z, 0, 255, 0, 0, 0},
      {ABS_RX, 0, 255, 0, 0, 128},
      {ABS_RY, 0, 255, 0, 0, 128},
      {ABS_RZ, 0, 255, 0, 0, 0},
      {ABS_HAT0X, -1, 1, 0, 0, 0},
      {ABS_HAT0Y, -1, 1, 0, 0, 0}}},
    // Made up: no entry in SDL's database can match it.
    {"unknown",
     "padwatch test gamepad",
     0x1234,
     0x5678,
     0x0001,
     {BTN_SOUTH, BTN_EAST, BTN_NORTH, BTN_WEST, BTN_TL, BTN_TR, BTN_SELECT, BTN_START, BTN_MODE,
      BTN_THUMBL, BTN_THUMBR},
     {{ABS_X, -32768, 32767, 0, 0, 0},
      {ABS_Y, -32768, 32767, 0, 0, 0},
      {ABS_RX, -32768, 32767, 0, 0, 0},
      {ABS_RY, -32768, 32767, 0, 0, 0},
      {ABS_Z, 0, 255, 0, 0, 0},
      {ABS_RZ, 0, 255, 0, 0, 0},
      {ABS_HAT0X, -1, 1, 0, 0, 0},
      {ABS_HAT0Y, -1, 1, 0, 0, 0}}},
    // Made up too, and a flight stick: no A or B button, so SDL makes no
    // mapping of its own and sees a joystick, not a game controller.
    {"stick",
     "padwatch test joystick",
     0x1234,
     0x5679,
     0x0001,
     {BTN_TRIGGER, BTN_THUMB, BTN_THUMB2, BTN_TOP},
     {{ABS_X, -512, 511, 0, 0, 0}, {ABS_Y, -512, 511, 0, 0, 0}, {ABS_THROTTLE, 0, 255, 0, 0, 0}}},
};

const std::map<std::string, int> kCodes = {
    {"BTN_A", BTN_A},           {"BTN_SOUTH", BTN_SOUTH},   {"BTN_B", BTN_B},
    {"BTN_EAST", BTN_EAST},     {"BTN_X", BTN_X},           {"BTN_NORTH", BTN_NORTH},
    {"BTN_Y", BTN_Y},           {"BTN_WEST", BTN_WEST},     {"BTN_TL", BTN_TL},
    {"BTN_TR", BTN_TR},         {"BTN_TL2", BTN_TL2},       {"BTN_TR2", BTN_TR2},
    {"BTN_SELECT", BTN_SELECT}, {"BTN_START", BTN_START},   {"BTN_MODE", BTN_MODE},
    {"BTN_THUMBL", BTN_THUMBL}, {"BTN_THUMBR", BTN_THUMBR}, {"ABS_X", ABS_X},
    {"ABS_Y", ABS_Y},           {"ABS_Z", ABS_Z},           {"ABS_RX", ABS_RX},
    {"ABS_RY", ABS_RY},         {"ABS_RZ", ABS_RZ},         {"ABS_HAT0X", ABS_HAT0X},
    {"ABS_HAT0Y", ABS_HAT0Y},
};

[[noreturn]] void Fail(int line, const std::string& what) {
  std::fprintf(stderr, "uinput_feeder: line %d: %s\n", line, what.c_str());
  std::exit(1);
}

void Check(bool ok, int line, const char* what) {
  if (!ok) Fail(line, std::string(what) + ": " + std::strerror(errno));
}

void Emit(int fd, int type, int code, int value, int line) {
  input_event event{};
  event.type = static_cast<__u16>(type);
  event.code = static_cast<__u16>(code);
  event.value = value;
  Check(write(fd, &event, sizeof(event)) == static_cast<ssize_t>(sizeof(event)), line, "write");
}

int Create(const Kind& kind, int line) {
  const int fd = open("/dev/uinput", O_WRONLY | O_NONBLOCK);
  Check(fd >= 0, line, "open /dev/uinput");
  Check(ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0, line, "UI_SET_EVBIT");
  Check(ioctl(fd, UI_SET_EVBIT, EV_ABS) == 0, line, "UI_SET_EVBIT");
  for (int key : kind.keys) Check(ioctl(fd, UI_SET_KEYBIT, key) == 0, line, "UI_SET_KEYBIT");
  for (const Axis& axis : kind.axes) {
    Check(ioctl(fd, UI_SET_ABSBIT, axis.code) == 0, line, "UI_SET_ABSBIT");
    uinput_abs_setup setup{};
    setup.code = static_cast<__u16>(axis.code);
    setup.absinfo.minimum = axis.minimum;
    setup.absinfo.maximum = axis.maximum;
    setup.absinfo.fuzz = axis.fuzz;
    setup.absinfo.flat = axis.flat;
    setup.absinfo.value = axis.rest;
    Check(ioctl(fd, UI_ABS_SETUP, &setup) == 0, line, "UI_ABS_SETUP");
  }
  uinput_setup setup{};
  setup.id.bustype = BUS_USB;
  setup.id.vendor = static_cast<__u16>(kind.vendor);
  setup.id.product = static_cast<__u16>(kind.product);
  setup.id.version = static_cast<__u16>(kind.version);
  std::snprintf(setup.name, sizeof(setup.name), "%s", kind.deviceName);
  Check(ioctl(fd, UI_DEV_SETUP, &setup) == 0, line, "UI_DEV_SETUP");
  Check(ioctl(fd, UI_DEV_CREATE) == 0, line, "UI_DEV_CREATE");
  return fd;
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Counts the announcements of new controllers in a padwatch output file.
int Announcements(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  int count = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("Controller connected!", 0) == 0) ++count;
  }
  return count;
}

// Waits until the output holds `count` announcements, or 60 s.
void AwaitAnnouncements(const std::string& path, int count, int line) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (Announcements(path) < count) {
    if (std::chrono::steady_clock::now() > end) {
      std::fprintf(stderr, "uinput_feeder: line %d: padwatch did not announce the pad\n", line);
      std::exit(1);
    }
    Sleep(50);
  }
}

}  // namespace

// Grabs the event node of the uinput device fd, as a remapper does; the
// grab lasts as long as the returned descriptor is open.
int Grab(int fd, int lineNumber) {
  char sysname[64] = {};
  Check(ioctl(fd, UI_GET_SYSNAME(sizeof sysname), sysname) >= 0, lineNumber, "UI_GET_SYSNAME");
  const std::string folder = std::string("/sys/devices/virtual/input/") + sysname;
  DIR* dir = opendir(folder.c_str());
  Check(dir != nullptr, lineNumber, ("opendir " + folder).c_str());
  std::string event;
  while (const dirent* entry = readdir(dir)) {
    if (std::strncmp(entry->d_name, "event", 5) == 0) event = entry->d_name;
  }
  closedir(dir);
  const int node = open(("/dev/input/" + event).c_str(), O_RDONLY | O_CLOEXEC);
  Check(node >= 0, lineNumber, ("open /dev/input/" + event).c_str());
  Check(ioctl(node, EVIOCGRAB, 1) == 0, lineNumber, "EVIOCGRAB");
  return node;
}

int main(int argc, char** argv) {
  std::string awaitOutput;
  int minStep = 0;
  while (argc >= 4) {
    if (std::strcmp(argv[1], "--await") == 0) {
      awaitOutput = argv[2];
    } else if (std::strcmp(argv[1], "--min-step") == 0) {
      minStep = std::atoi(argv[2]);
    } else {
      break;
    }
    argv += 2;
    argc -= 2;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: uinput_feeder [--await OUTPUT] [--min-step MS] SCRIPT\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "uinput_feeder: cannot read %s\n", argv[1]);
    return 2;
  }
  int awaited = 0;  // announcements waited for so far
  std::map<std::string, int> pads;
  int step = 300;
  int lineNumber = 0;
  for (std::string text; std::getline(in, text);) {
    ++lineNumber;
    text = text.substr(0, text.find('#'));
    std::istringstream words(text);
    std::string command, name;
    if (!(words >> command)) continue;
    if (command == "step" || command == "wait" || command == "await") {
      int ms = 0;
      if (!(words >> ms)) Fail(lineNumber, "missing milliseconds");
      if (command == "step") {
        step = ms;
      } else if (command == "await" && !awaitOutput.empty()) {
        AwaitAnnouncements(awaitOutput, ++awaited, lineNumber);
      } else {
        Sleep(ms);
      }
      continue;
    }
    if (!(words >> name)) Fail(lineNumber, "missing pad name");
    if (command == "create") {
      std::string kindName;
      words >> kindName;
      const Kind* kind = nullptr;
      for (const Kind& k : kKinds) {
        if (kindName == k.name) kind = &k;
      }
      if (kind == nullptr) Fail(lineNumber, "unknown kind " + kindName);
      const bool getsASlot = pads.size() < 4;
      pads[name] = Create(*kind, lineNumber);
      if (!awaitOutput.empty() && getsASlot) AwaitAnnouncements(awaitOutput, ++awaited, lineNumber);
    } else {
      auto pad = pads.find(name);
      if (pad == pads.end()) Fail(lineNumber, "no pad " + name);
      const int fd = pad->second;
      if (command == "remove") {
        Check(ioctl(fd, UI_DEV_DESTROY) == 0, lineNumber, "UI_DEV_DESTROY");
        close(fd);
        pads.erase(pad);
      } else if (command == "grab") {
        Grab(fd, lineNumber);  // held until the feeder ends
      } else if (command == "press" || command == "release") {
        for (std::string key; words >> key;) {
          auto code = kCodes.find(key);
          if (code == kCodes.end()) Fail(lineNumber, "unknown key " + key);
          Emit(fd, EV_KEY, code->second, command == "press" ? 1 : 0, lineNumber);
        }
        Emit(fd, EV_SYN, SYN_REPORT, 0, lineNumber);
      } else if (command == "sweep") {
        std::string axis;
        int ms = 0, count = 0;
        if (!(words >> axis >> ms >> count)) Fail(lineNumber, "sweep: AXIS MS COUNT");
        auto code = kCodes.find(axis);
        if (code == kCodes.end()) Fail(lineNumber, "unknown axis " + axis);
        // sleep_until keeps the period even when one wake-up is late.
        auto next = std::chrono::steady_clock::now();
        for (int i = 0; i < count; ++i) {
          Emit(fd, EV_ABS, code->second, 1000 + (i % 2) * 1000, lineNumber);
          Emit(fd, EV_SYN, SYN_REPORT, 0, lineNumber);
          next += std::chrono::milliseconds(ms);
          std::this_thread::sleep_until(next);
        }
      } else if (command == "abs") {
        std::string axis;
        int value = 0;
        while (words >> axis >> value) {
          auto code = kCodes.find(axis);
          if (code == kCodes.end()) Fail(lineNumber, "unknown axis " + axis);
          Emit(fd, EV_ABS, code->second, value, lineNumber);
        }
        Emit(fd, EV_SYN, SYN_REPORT, 0, lineNumber);
      } else {
        Fail(lineNumber, "unknown command " + command);
      }
    }
    Sleep(step > minStep ? step : minStep);
  }
  return 0;
}
