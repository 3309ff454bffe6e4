// Plays gamepads into the kernel through uinput, as their drivers present
// them, following a script. Run inside the test guest next to padwatch.
//
// Script lines (# starts a comment):
//   step MS                 pause after every event command (default 300)
//   wait MS                 pause once
//   create NAME KIND        KIND: x360 xone ds4 unknown
//   press NAME KEY... / release NAME KEY...   KEY: BTN_SOUTH, BTN_TL, ...
//   abs NAME AXIS VALUE [AXIS VALUE]...       AXIS: ABS_X, ABS_HAT0Y, ...
//   remove NAME
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: uinput_feeder SCRIPT\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "uinput_feeder: cannot read %s\n", argv[1]);
    return 2;
  }
  std::map<std::string, int> pads;
  int step = 300;
  int lineNumber = 0;
  for (std::string text; std::getline(in, text);) {
    ++lineNumber;
    text = text.substr(0, text.find('#'));
    std::istringstream words(text);
    std::string command, name;
    if (!(words >> command)) continue;
    if (command == "step" || command == "wait") {
      int ms = 0;
      if (!(words >> ms)) Fail(lineNumber, "missing milliseconds");
      if (command == "step")
        step = ms;
      else
        Sleep(ms);
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
      pads[name] = Create(*kind, lineNumber);
    } else {
      auto pad = pads.find(name);
      if (pad == pads.end()) Fail(lineNumber, "no pad " + name);
      const int fd = pad->second;
      if (command == "remove") {
        Check(ioctl(fd, UI_DEV_DESTROY) == 0, lineNumber, "UI_DEV_DESTROY");
        close(fd);
        pads.erase(pad);
      } else if (command == "press" || command == "release") {
        for (std::string key; words >> key;) {
          auto code = kCodes.find(key);
          if (code == kCodes.end()) Fail(lineNumber, "unknown key " + key);
          Emit(fd, EV_KEY, code->second, command == "press" ? 1 : 0, lineNumber);
        }
        Emit(fd, EV_SYN, SYN_REPORT, 0, lineNumber);
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
    Sleep(step);
  }
  return 0;
}
