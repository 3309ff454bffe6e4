// Plays gamepads into the kernel following a script: through uinput, as
// their drivers present them, or through uhid, where the kernel's own HID
// driver binds them. Run inside the test guest next to padwatch.
//
// The Xbox 360, Xbox One and DualShock 4 kinds declare rumble (FF_RUMBLE)
// as their drivers do: a thread serves the effects the kernel uploads and
// logs each, and each play and stop, to standard error ("pad: ff upload
// id 0 rumble strong 65535 weak 0 length 65535", "pad: ff play id 0 count
// 1"), for the tests to compare.
//
// Script lines (# starts a comment):
//   step MS                 pause after every event command (default 300)
//   wait MS                 pause once
//   until FILE MS           pause until FILE exists (the guest's check is
//                           done), at most MS; fails when it never does
//   create NAME KIND        KIND: x360 xone ds4 unknown stick through uinput;
//                           through uhid, ds4hid (a DualShock 4, bound by
//                           hid-sony), dualsensehid (hid-playstation) and
//                           switchprohid (hid-nintendo);
//                           x360usb, a USB Xbox 360 pad xpad binds (through
//                           the gadget the guest made on dummy_hcd)
//   press NAME KEY... / release NAME KEY...   KEY: BTN_SOUTH, BTN_TL, ...
//   abs NAME AXIS VALUE [AXIS VALUE]...       AXIS: ABS_X, ABS_HAT0Y, ...
//   battery NAME LEVEL [cable]  the uhid pads: the battery level in tenths
//                           (0-10, 11 full on the cable), on battery or cable
//   sweep NAME AXIS MS COUNT  COUNT reports, one every MS on a steady clock,
//                           each moving AXIS a little (a stick held moving)
//   mute NAME               a uinput pad with rumble stops answering the
//                           kernel's force feedback requests, as a hung
//                           program behind a pad would
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
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/feeder/feeder_log.h"
#include "tests/e2e/feeder/uhid_pad.h"
#include "tests/e2e/feeder/usb_x360.h"

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
  bool rumble = false;  // declares FF_RUMBLE, as the pad's driver does
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
                        {ABS_HAT0Y, -1, 1, 0, 0, 0}}),
     true},
    {"xone", "Microsoft X-Box One S pad", 0x045e, 0x02ea, 0x0408, kXpadKeys,
     With(kXpadSticks, {{ABS_Z, 0, 1023, 0, 0, 0},
                        {ABS_RZ, 0, 1023, 0, 0, 0},
                        {ABS_HAT0X, -1, 1, 0, 0, 0},
                        {ABS_HAT0Y, -1, 1, 0, 0, 0}}),
     true},
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
      {ABS_HAT0Y, -1, 1, 0, 0, 0}},
     true},
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

// The evdev names a script may use, each spelt once: the name is the
// code's own.
#define CODE(code) \
  { #code, code }
const std::map<std::string, int> kCodes = {
    CODE(BTN_A),      CODE(BTN_SOUTH),  CODE(BTN_B),      CODE(BTN_EAST),  CODE(BTN_X),
    CODE(BTN_NORTH),  CODE(BTN_Y),      CODE(BTN_WEST),   CODE(BTN_TL),    CODE(BTN_TR),
    CODE(BTN_TL2),    CODE(BTN_TR2),    CODE(BTN_SELECT), CODE(BTN_START), CODE(BTN_MODE),
    CODE(BTN_THUMBL), CODE(BTN_THUMBR), CODE(ABS_X),      CODE(ABS_Y),     CODE(ABS_Z),
    CODE(ABS_RX),     CODE(ABS_RY),     CODE(ABS_RZ),     CODE(ABS_HAT0X), CODE(ABS_HAT0Y),
};
#undef CODE

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

// Serves a uinput pad's force feedback until stopped: an upload or erase
// waits in the kernel (and in the program that asked) until it is answered.
class RumbleServer {
 public:
  RumbleServer(std::string name, int fd) : name(std::move(name)), fd(fd) {
    thread = std::thread([this] { Serve(); });
  }
  ~RumbleServer() {
    stopping = true;
    thread.join();
  }

 private:
  void Log(const std::string& text) const { FeederLog(name, text); }

  void Serve() {
    while (!stopping) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      input_event event{};
      while (read(fd, &event, sizeof event) == static_cast<ssize_t>(sizeof event)) {
        if (event.type == EV_UINPUT && event.code == UI_FF_UPLOAD) {
          uinput_ff_upload upload{};
          upload.request_id = static_cast<__u32>(event.value);
          if (ioctl(fd, UI_BEGIN_FF_UPLOAD, &upload) != 0) continue;
          const ff_effect& effect = upload.effect;
          std::string text = "ff upload id " + std::to_string(effect.id);
          if (effect.type == FF_RUMBLE) {
            text += " rumble strong " + std::to_string(effect.u.rumble.strong_magnitude) +
                    " weak " + std::to_string(effect.u.rumble.weak_magnitude);
          } else {
            text += " type " + std::to_string(effect.type);
          }
          Log(text + " length " + std::to_string(effect.replay.length));
          upload.retval = effect.type == FF_RUMBLE ? 0 : -EINVAL;
          ioctl(fd, UI_END_FF_UPLOAD, &upload);
        } else if (event.type == EV_UINPUT && event.code == UI_FF_ERASE) {
          uinput_ff_erase erase{};
          erase.request_id = static_cast<__u32>(event.value);
          if (ioctl(fd, UI_BEGIN_FF_ERASE, &erase) != 0) continue;
          Log("ff erase id " + std::to_string(erase.effect_id));
          erase.retval = 0;
          ioctl(fd, UI_END_FF_ERASE, &erase);
        } else if (event.type == EV_FF && event.code == FF_GAIN) {
          Log("ff gain " + std::to_string(event.value));
        } else if (event.type == EV_FF) {
          Log("ff play id " + std::to_string(event.code) + " count " + std::to_string(event.value));
        }
      }
    }
  }

  const std::string name;
  const int fd;
  std::atomic<bool> stopping{false};
  std::thread thread;
};

// A pad the script made: a uinput device (fd, and its rumble server when it
// has rumble), a Sony pad through uhid, or an Xbox 360 pad on USB.
struct Pad {
  int fd = -1;
  std::unique_ptr<RumbleServer> rumble;
  std::unique_ptr<UhidPad> uhid;
  std::unique_ptr<UsbX360> usb;
};

int Create(const Kind& kind, int line) {
  // Read and write: the kernel hands force feedback requests back on it.
  const int fd = open("/dev/uinput", O_RDWR | O_NONBLOCK);
  Check(fd >= 0, line, "open /dev/uinput");
  Check(ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0, line, "UI_SET_EVBIT");
  Check(ioctl(fd, UI_SET_EVBIT, EV_ABS) == 0, line, "UI_SET_EVBIT");
  if (kind.rumble) {
    Check(ioctl(fd, UI_SET_EVBIT, EV_FF) == 0, line, "UI_SET_EVBIT EV_FF");
    Check(ioctl(fd, UI_SET_FFBIT, FF_RUMBLE) == 0, line, "UI_SET_FFBIT");
  }
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
  // As many effects as xpad's and hid-sony's memless force feedback keep.
  setup.ff_effects_max = kind.rumble ? 16 : 0;
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

// press, release and abs for a pad a kernel driver serves (through uhid or
// USB): each line becomes one report. False for another command.
template <typename Device>
bool PlayEvent(Device* pad, const std::string& command, std::istringstream& words, int lineNumber) {
  if (command == "press" || command == "release") {
    for (std::string key; words >> key;) {
      auto code = kCodes.find(key);
      if (code == kCodes.end() || !pad->Key(code->second, command == "press")) {
        Fail(lineNumber, "this pad has no key " + key);
      }
    }
    return true;
  }
  if (command == "abs") {
    std::string axis;
    int value = 0;
    while (words >> axis >> value) {
      auto code = kCodes.find(axis);
      if (code == kCodes.end() || !pad->Abs(code->second, value)) {
        Fail(lineNumber, "this pad has no axis " + axis + " or no value " + std::to_string(value));
      }
    }
    return true;
  }
  return false;
}

void SetBattery(UhidPad* pad, std::istringstream& words, int lineNumber) {
  int level = 0;
  std::string cable;
  if (!(words >> level) || level < 0 || level > 11) Fail(lineNumber, "battery: LEVEL 0-11");
  words >> cable;
  pad->Battery(level, cable == "cable");
}

}  // namespace

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
  std::map<std::string, Pad> pads;
  int step = 300;
  int lineNumber = 0;
  for (std::string text; std::getline(in, text);) {
    ++lineNumber;
    text = text.substr(0, text.find('#'));
    std::istringstream words(text);
    std::string command, name;
    if (!(words >> command)) continue;
    if (command == "until") {
      std::string file;
      int ms = 0;
      if (!(words >> file >> ms)) Fail(lineNumber, "until: FILE MS");
      const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
      while (access(file.c_str(), F_OK) != 0) {
        if (std::chrono::steady_clock::now() > end) Fail(lineNumber, file + " never appeared");
        Sleep(50);
      }
      continue;
    }
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
      const bool getsASlot = pads.size() < 4;
      Pad& pad = pads[name];
      if (const UhidModel* model = FindUhidModel(kindName)) {
        std::string error;
        pad.uhid = UhidPad::Create(*model, name, &error);
        if (pad.uhid == nullptr) Fail(lineNumber, error);
      } else if (kindName == "x360usb") {
        std::string error;
        pad.usb = UsbX360::Create(name, &error);
        if (pad.usb == nullptr) Fail(lineNumber, error);
      } else {
        const Kind* kind = nullptr;
        for (const Kind& k : kKinds) {
          if (kindName == k.name) kind = &k;
        }
        if (kind == nullptr) Fail(lineNumber, "unknown kind " + kindName);
        pad.fd = Create(*kind, lineNumber);
        if (kind->rumble) pad.rumble = std::make_unique<RumbleServer>(name, pad.fd);
      }
      if (!awaitOutput.empty() && getsASlot) AwaitAnnouncements(awaitOutput, ++awaited, lineNumber);
    } else {
      auto found = pads.find(name);
      if (found == pads.end()) Fail(lineNumber, "no pad " + name);
      Pad& pad = found->second;
      const int fd = pad.fd;
      if (command == "remove") {
        pad.rumble.reset();
        if (pad.fd >= 0) {
          Check(ioctl(fd, UI_DEV_DESTROY) == 0, lineNumber, "UI_DEV_DESTROY");
          close(fd);
        }
        pads.erase(found);
      } else if (pad.uhid != nullptr && command == "battery") {
        SetBattery(pad.uhid.get(), words, lineNumber);
      } else if (pad.uhid != nullptr || pad.usb != nullptr) {
        const bool played = pad.uhid != nullptr
                                ? PlayEvent(pad.uhid.get(), command, words, lineNumber)
                                : PlayEvent(pad.usb.get(), command, words, lineNumber);
        if (!played) Fail(lineNumber, "this pad cannot " + command);
      } else if (command == "grab") {
        Grab(fd, lineNumber);  // held until the feeder ends
      } else if (command == "mute") {
        pad.rumble.reset();
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
