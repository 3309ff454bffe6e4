// Plays gamepads into the kernel following a script, each made one of three
// ways (pad_kinds.h): through uinput, as their drivers present them; through
// uhid, where the kernel's own HID driver binds them; or as a USB device that
// xpad binds. Run inside the test guests next to padwatch. What the pads'
// drivers ask of them (rumble, lights) goes to standard error, one line each
// ("pad: ff upload id 0 ...", "pad: output 0x05 ..."), for the tests to
// compare.
//
// Script lines (# starts a comment):
//   step MS                 pause after every event command (default 300)
//   wait MS                 pause once
//   until FILE MS [TEXT]    pause until FILE exists (the guest's check is
//                           done), and holds TEXT if given (a step the
//                           check asks for), at most MS; fails when it
//                           never does
//   create NAME KIND        KIND: one of pad_kinds.cpp's table
//   press NAME KEY... / release NAME KEY...   KEY: BTN_SOUTH, BTN_TL, ...
//   abs NAME AXIS VALUE [AXIS VALUE]...       AXIS: ABS_X, ABS_HAT0Y, ...
//                           each line reaches the kernel as one report
//   battery NAME LEVEL [cable]  a uhid pad: the battery level in tenths
//                           (0-10, 11 full on the cable), on battery or cable
//   turn NAME XAXIS YAXIS CENTRE RADIUS TURNS MS [FILE TEXT]
//                           the stick on XAXIS and YAXIS turned TURNS times
//                           round a circle of RADIUS about CENTRE, 96
//                           reports a turn, one every MS on a steady clock,
//                           or with FILE, at most TURNS times, until FILE
//                           holds TEXT (the check has had enough); then
//                           back at CENTRE
//   motion NAME GX GY GZ AX AY AZ  a uhid Sony pad: its gyroscope's and
//                           accelerometer's raw words from now on
//   touch NAME [X Y [X Y]]  a uhid Sony pad: the fingers on its touchpad
//                           from now on (none: lifted)
//   stream NAME HZ COUNT JITTER_US [FILE]  a uhid pad: COUNT reports at HZ
//                           on a steady clock, every other one JITTER_US
//                           late, the pad's own clock in step, or fewer once
//                           FILE exists (UhidPad::Stream)
//   sweep NAME AXIS MS COUNT  a uinput pad: COUNT reports, one every MS on a
//                           steady clock, each moving AXIS a little (a stick
//                           held moving)
//   mute NAME               a uinput pad with rumble stops answering the
//                           kernel's force feedback requests
//   grab NAME               a uinput pad's event node grabbed, as a
//                           remapper does
//   remove NAME
//   await MS                wait MS, or with --await, until the next
//                           announcement instead
//
//   pad_feeder [--await FILE]... [--min-step MS] [--apart MS] SCRIPT
//
// With --await, FILE is the output of a program watching the pads, padwatch
// ("Controller connected!") or padwatch-check --record ("plug N"): each
// `create` of a first to fourth pad waits until every such FILE has
// announced it (at most 60 s) instead of trusting a fixed pause, for
// watchers as slow to see new pads as Wine's. --min-step makes every pause after an
// event at least MS, for a watcher whose events arrive late; --apart keeps
// events on two different pads at least MS apart, and a pad's removal as
// far from its last event, for a watcher that keeps each pad's events in
// order but not one pad's with another's, nor a removal with the events
// (Wine's device host).
#include <linux/input.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "tests/e2e/feeder/pad_kinds.h"
#include "tests/e2e/feeder/uhid_pad.h"
#include "tests/e2e/feeder/uinput_pad.h"
#include "tests/e2e/feeder/usb_pad.h"

namespace {

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

// A pad the script made, whichever way it was made. Each way offers the same
// Key, Abs and Send; what only one way can do is asked of that way.
using Pad =
    std::variant<std::unique_ptr<UinputPad>, std::unique_ptr<UhidPad>, std::unique_ptr<UsbPad>>;

[[noreturn]] void Fail(int line, const std::string& what) {
  std::fprintf(stderr, "pad_feeder: line %d: %s\n", line, what.c_str());
  std::exit(1);
}

int Code(const std::string& name, int line) {
  auto code = kCodes.find(name);
  if (code == kCodes.end()) Fail(line, "unknown key or axis " + name);
  return code->second;
}

Pad Make(const PadKind& kind, const std::string& name, int line) {
  std::string error;
  Pad pad;
  switch (kind.way) {
    case Way::kUinput:
      pad = UinputPad::Create(*kind.uinput, name, &error);
      break;
    case Way::kUhid:
      pad = UhidPad::Create(*kind.uhid, name, &error);
      break;
    case Way::kUsb:
      pad = UsbPad::Create(name, &error);
      break;
  }
  if (std::visit([](const auto& made) { return made == nullptr; }, pad)) Fail(line, error);
  return pad;
}

// press, release and abs, the same for every way: the line's changes, then
// one report.
template <typename Device>
void PlayEvent(Device& pad, const std::string& command, std::istringstream& words, int line) {
  if (command == "abs") {
    std::string axis;
    int value = 0;
    while (words >> axis >> value) {
      if (!pad.Abs(Code(axis, line), value)) {
        Fail(line, "this pad has no axis " + axis + " or no value " + std::to_string(value));
      }
    }
  } else {
    for (std::string key; words >> key;) {
      if (!pad.Key(Code(key, line), command == "press")) Fail(line, "this pad has no key " + key);
    }
  }
  pad.Send();
}

// Whether the file at path exists and holds text (any file, for none).
bool Holds(const std::string& path, const std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  if (text.empty()) return true;
  std::ostringstream whole;
  whole << in.rdbuf();
  return whole.str().find(text) != std::string::npos;
}

// turn, the same for every way: words are XAXIS YAXIS CENTRE RADIUS TURNS MS
// [FILE TEXT].
template <typename Device>
void Turn(Device& pad, std::istringstream& words, int line) {
  constexpr int kReportsPerTurn = 96;  // every 3.75 degrees: each of a tester's 48 directions twice
  std::string xName, yName;
  int centre = 0, radius = 0, turns = 0, ms = 0;
  if (!(words >> xName >> yName >> centre >> radius >> turns >> ms) || turns < 1 || ms < 1) {
    Fail(line, "turn: XAXIS YAXIS CENTRE RADIUS TURNS MS");
  }
  std::string file, text;
  words >> file;
  std::getline(words >> std::ws, text);
  const int x = Code(xName, line), y = Code(yName, line);
  auto next = std::chrono::steady_clock::now();
  for (int i = 0; i <= turns * kReportsPerTurn; ++i) {
    // A watcher that misses readings (Wine's, under load) needs more turns
    // than one that sees them all; the file says when it has had enough.
    if (!file.empty() && i % 8 == 0 && i > 0 && Holds(file, text)) i = turns * kReportsPerTurn;
    // Half a step off the axes, so that each of the 48 directions gets two
    // reports, the one straight right as many as the others.
    const double angle = 2 * M_PI * (i + 0.5) / kReportsPerTurn;
    const bool last = i == turns * kReportsPerTurn;
    const int atX =
        last ? centre : centre + static_cast<int>(std::lround(radius * std::cos(angle)));
    const int atY =
        last ? centre : centre + static_cast<int>(std::lround(radius * std::sin(angle)));
    if (!pad.Abs(x, atX) || !pad.Abs(y, atY)) {
      Fail(line, "this pad has no axes " + xName + " and " + yName + " reaching " +
                     std::to_string(atX) + ", " + std::to_string(atY));
    }
    pad.Send();
    // sleep_until keeps the pace even when one wake-up is late.
    next += std::chrono::milliseconds(ms);
    std::this_thread::sleep_until(next);
  }
}

// The commands only one way of making a pad has.
void PlayOwn(Pad& pad, const std::string& command, std::istringstream& words, int line) {
  if (auto* uhid = std::get_if<std::unique_ptr<UhidPad>>(&pad); uhid && command == "battery") {
    int level = 0;
    std::string cable;
    if (!(words >> level) || level < 0 || level > 11) Fail(line, "battery: LEVEL 0-11");
    words >> cable;
    (*uhid)->Battery(level, cable == "cable");
    (*uhid)->Send();
    return;
  }
  if (auto* uhid = std::get_if<std::unique_ptr<UhidPad>>(&pad); uhid && command == "motion") {
    int values[6] = {};
    for (int& value : values) {
      if (!(words >> value) || value < -32768 || value > 32767) {
        Fail(line, "motion: GX GY GZ AX AY AZ, each a 16-bit word");
      }
    }
    const std::int16_t gyro[3] = {static_cast<std::int16_t>(values[0]),
                                  static_cast<std::int16_t>(values[1]),
                                  static_cast<std::int16_t>(values[2])};
    const std::int16_t accel[3] = {static_cast<std::int16_t>(values[3]),
                                   static_cast<std::int16_t>(values[4]),
                                   static_cast<std::int16_t>(values[5])};
    (*uhid)->Motion(gyro, accel);
    (*uhid)->Send();
    return;
  }
  if (auto* uhid = std::get_if<std::unique_ptr<UhidPad>>(&pad); uhid && command == "touch") {
    std::vector<PadState::Finger> fingers;
    for (int x = 0, y = 0; words >> x >> y;) {
      if (x < 0 || x > 4095 || y < 0 || y > 4095 || fingers.size() == 2) {
        Fail(line, "touch: [X Y [X Y]], 0 to 4095 each");
      }
      fingers.push_back({true, x, y});
    }
    (*uhid)->Touch(fingers);
    (*uhid)->Send();
    return;
  }
  if (auto* uhid = std::get_if<std::unique_ptr<UhidPad>>(&pad); uhid && command == "stream") {
    int hz = 0, count = 0, jitter = 0;
    std::string stopFile;
    if (!(words >> hz >> count >> jitter) || hz <= 0 || hz > 8000 || count <= 0 || jitter < 0 ||
        jitter * hz >= 500000) {
      Fail(line, "stream: HZ COUNT JITTER_US [FILE], the jitter under half a period");
    }
    words >> stopFile;
    (*uhid)->Stream(hz, count, jitter, stopFile);
    return;
  }
  auto* uinput = std::get_if<std::unique_ptr<UinputPad>>(&pad);
  if (uinput && command == "mute") {
    (*uinput)->Mute();
  } else if (uinput && command == "grab") {
    std::string error;
    if (!(*uinput)->Grab(&error)) Fail(line, error);  // held until the pad is removed
  } else if (uinput && command == "sweep") {
    std::string axis;
    int ms = 0, count = 0;
    if (!(words >> axis >> ms >> count)) Fail(line, "sweep: AXIS MS COUNT");
    (*uinput)->Sweep(Code(axis, line), ms, count);
  } else {
    Fail(line, "this pad cannot " + command);
  }
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Counts the announcements of new controllers in padwatch's output or a
// recording.
int Announcements(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  int count = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("Controller connected!", 0) == 0 || line.rfind("plug ", 0) == 0) ++count;
  }
  return count;
}

// Waits until each file holds `count` announcements, or 60 s, and says on
// standard error how long that took: where a slow watcher's time goes.
void AwaitAnnouncements(const std::vector<std::string>& paths, int count, int line) {
  const auto begin = std::chrono::steady_clock::now();
  const auto end = begin + std::chrono::seconds(60);
  for (const std::string& path : paths) {
    while (Announcements(path) < count) {
      if (std::chrono::steady_clock::now() > end) Fail(line, path + " did not announce the pad");
      Sleep(50);
    }
  }
  const auto waited = std::chrono::steady_clock::now() - begin;
  std::fprintf(stderr, "pad_feeder: line %d: announced after %lld ms\n", line,
               static_cast<long long>(
                   std::chrono::duration_cast<std::chrono::milliseconds>(waited).count()));
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> awaited;
  int minStep = 0;
  int apart = 0;
  while (argc >= 4) {
    if (std::strcmp(argv[1], "--await") == 0) {
      awaited.push_back(argv[2]);
    } else if (std::strcmp(argv[1], "--min-step") == 0) {
      minStep = std::atoi(argv[2]);
    } else if (std::strcmp(argv[1], "--apart") == 0) {
      apart = std::atoi(argv[2]);
    } else {
      break;
    }
    argv += 2;
    argc -= 2;
  }
  if (argc != 2) {
    std::fprintf(stderr,
                 "usage: pad_feeder [--await FILE]... [--min-step MS] [--apart MS] SCRIPT\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "pad_feeder: cannot read %s\n", argv[1]);
    return 2;
  }
  int announced = 0;  // announcements waited for so far
  std::map<std::string, Pad> pads;
  int step = 300;
  int line = 0;
  std::string lastPad;  // the pad of the last event, and when it was
  auto lastEvent = std::chrono::steady_clock::now();
  for (std::string text; std::getline(in, text);) {
    ++line;
    text = text.substr(0, text.find('#'));
    std::istringstream words(text);
    std::string command, name;
    if (!(words >> command)) continue;
    if (command == "until") {
      std::string file, text;
      int ms = 0;
      if (!(words >> file >> ms)) Fail(line, "until: FILE MS [TEXT]");
      std::getline(words >> std::ws, text);
      while (!text.empty() && text.back() == ' ') text.pop_back();
      const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
      while (!Holds(file, text)) {
        if (std::chrono::steady_clock::now() > end) {
          Fail(line, file + (text.empty() ? " never appeared" : " never held \"" + text + "\""));
        }
        Sleep(50);
      }
      continue;
    }
    if (command == "step" || command == "wait" || command == "await") {
      int ms = 0;
      if (!(words >> ms)) Fail(line, "missing milliseconds");
      if (command == "step") {
        step = ms;
      } else if (command == "await" && !awaited.empty()) {
        AwaitAnnouncements(awaited, ++announced, line);
      } else {
        Sleep(ms);
      }
      continue;
    }
    if (!(words >> name)) Fail(line, "missing pad name");
    if (command == "create") {
      std::string kindName;
      words >> kindName;
      const PadKind* kind = FindPadKind(kindName);
      if (kind == nullptr) Fail(line, "unknown kind " + kindName);
      if (pads.count(name) != 0) Fail(line, "there is already a pad " + name);
      const bool getsASlot = pads.size() < 4;
      pads.emplace(name, Make(*kind, name, line));
      if (!awaited.empty() && getsASlot) AwaitAnnouncements(awaited, ++announced, line);
    } else {
      auto found = pads.find(name);
      if (found == pads.end()) Fail(line, "no pad " + name);
      // Wine hands a removal over by another way than the reports, and has
      // been seen to let it overtake a pad's last two.
      if (name != lastPad || command == "remove")
        std::this_thread::sleep_until(lastEvent + std::chrono::milliseconds(apart));
      lastPad = name;
      lastEvent = std::chrono::steady_clock::now();
      if (command == "remove") {
        pads.erase(found);  // the pad's destructor unplugs it
      } else if (command == "press" || command == "release" || command == "abs") {
        std::visit([&](auto& pad) { PlayEvent(*pad, command, words, line); }, found->second);
      } else if (command == "turn") {
        std::visit([&](auto& pad) { Turn(*pad, words, line); }, found->second);
      } else {
        PlayOwn(found->second, command, words, line);
      }
    }
    Sleep(step > minStep ? step : minStep);
  }
  return 0;
}
