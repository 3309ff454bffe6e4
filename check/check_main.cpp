// padwatch-check: what is connected, whether its sticks drift, how fast it
// reports and whether it vibrates, for the four controller slots.
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/stop_request.h"
#include "check/doctor/doctor_report.h"
#include "check/doctor/system_scan.h"
#include "check/health/health_card.h"
#include "check/health/health_check.h"
#include "check/health/health_compare.h"
#include "check/health/health_json.h"
#include "check/health/health_picture.h"
#include "check/probe/demo_pads.h"
#include "check/probe/gather_pace.h"
#include "check/probe/node_reports.h"
#include "check/probe/rate_meter.h"
#include "check/probe/rumble_sequence.h"
#include "check/probe/slot_probe.h"
#include "check/record/record_file.h"
#include "check/record/recorder.h"
#include "check/report/device_text.h"
#include "check/report/once_report.h"
#include "check/report/rate_report.h"
#include "check/report/rumble_report.h"
#include "check/screen/live_screen.h"
#include "check/screen/terminal.h"
#include "platform/arrival.h"
#include "platform/identity.h"
#include "support/command_line.h"
#include "support/console.h"
#include "support/printable.h"

namespace {

constexpr const char kHelpTop[] =
    "Checks the controllers in the four slots.\n"
    "\n"
    "  (no option)      a live picture of the four slots, in a terminal; keys:\n"
    "                   q quit, r rumble test, c clear traced outlines and offsets\n"
    "  --once           one report of each slot: what it is, its battery, its\n"
    "                   readings, where each stick rests inside its dead zone, and\n"
    "                   its motion sensors and touchpad where they can be read\n"
    "  --rate SECONDS   measures for 1 to 600 s how often each controller reports\n"
    "                   (keep a stick moving); waits for one if none is connected\n"
    "  --rumble         runs each controller's motors, half a second each\n"
    "  --test           a guided health check of one controller, step by step (q\n"
    "                   ends it): rest, each stick round its edge, each trigger,\n"
    "                   every button, rumble; then a report card. Exit status 0\n"
    "                   when every check is good, 1 if not\n"
    "  --slot N         with --test: the controller in slot N (0 to 3), not the\n"
    "                   first connected\n"
    "  --compare FILE   with --test: each check and figure beside those of an\n"
    "                   earlier card (a file --test --json wrote), with the change\n"
    "  --picture FILE   with --test: also draws the sticks' outlines, resting points\n"
    "                   and the triggers' travel in FILE, an SVG picture\n"
    "  --record FILE    writes what the four slots do to FILE ('-' for standard\n"
    "                   output) as a scenario for padwatch-replay, until stopped\n"
    "  --seconds N      with --record: stop after N seconds (1 to 86400)\n"
#ifdef _WIN32
    "  --doctor         why a controller is not seen: whether XInput 1.4 is loaded,\n"
    "                   what it answers for each slot, the HID game controllers it\n"
    "                   does not serve, and Wine; each problem with the fix.\n"
#else
    "  --doctor         why a controller is not seen, or only half seen: its\n"
    "                   nodes and who may read them, what SDL makes of it, grabs,\n"
    "                   sandboxes, duplicates; each problem with the exact fix.\n"
#endif
    "                   Exit status 0 when every controller is fully usable, 1 if not\n"
    "  --json           with --once, --rate, --test or --doctor: the report as JSON\n";
constexpr const char kHelpDemo[] =
    "  --demo           with any of the above: on two controllers that move on their\n"
    "                   own, for trying it without one\n";
constexpr const char kHelpEnd[] =
    "  --help, --version\n"
    "\n"
    "Ctrl+C or SIGTERM stops --rate and --rumble early; what was measured is printed.\n"
    "It stops --record with the file complete.\n";

// Where the platform cannot make virtual controllers, --demo is not offered.
const std::string kHelpWithDemo = std::string(kHelpTop) + kHelpDemo + kHelpEnd;
const std::string kHelpWithoutDemo = std::string(kHelpTop) + kHelpEnd;

ProgramText Program() {
  const bool demo = DemoPads::Available();
  return {"padwatch-check",
          demo ? "usage: padwatch-check [--demo] [--once [--json] | --rate SECONDS [--json] | "
                 "--rumble | --test [--slot N] [--compare FILE] [--picture FILE] [--json] | "
                 "--record FILE [--seconds N] | --doctor [--json]]"
               : "usage: padwatch-check [--once [--json] | --rate SECONDS [--json] | --rumble | "
                 "--test [--slot N] [--compare FILE] [--picture FILE] [--json] | --record FILE "
                 "[--seconds N] | --doctor [--json]]",
          demo ? kHelpWithDemo.c_str() : kHelpWithoutDemo.c_str(), PADWATCH_VERSION};
}

// How long --once samples the sticks for their resting offsets.
constexpr std::chrono::milliseconds kOnceSample(200);
// How often --rate looks for a controller while none is connected.
constexpr std::chrono::milliseconds kWaitForController(50);
// --record polls as padwatch does while a controller is connected; while
// none is, it waits for the system's word that one arrived, at most this
// long at a time (so that a stop or --seconds is seen).
constexpr std::chrono::milliseconds kRecordIdleWait(100);
constexpr long kMaxRecordSeconds = 86400;

enum class Mode { kNone, kOnce, kRate, kRumble, kTest, kRecord, kDoctor };

struct Options {
  Mode mode = Mode::kNone;  // none: the live screen
  bool json = false;
  bool demo = false;
  int seconds = 0;          // --rate's, or --record's --seconds (0: until stopped)
  std::string recordPath;   // --record's FILE, "-" for standard output
  int slot = -1;            // --test's --slot (-1: the first connected)
  std::string comparePath;  // --test's --compare FILE, or empty
  std::string picturePath;  // --test's --picture FILE, or empty
};

// The whole number of seconds in argv[++*i], from 1 to max; -1 where there
// is none.
long Seconds(int argc, char* argv[], int* i, long max) {
  if (*i + 1 >= argc) return -1;
  const std::string number = argv[++*i];
  char* end = nullptr;
  const long seconds = std::strtol(number.c_str(), &end, 10);
  if (number.empty() || *end != '\0' || number[0] < '0' || number[0] > '9' || seconds < 1 ||
      seconds > max) {
    return -1;
  }
  return seconds;
}

// Parses argv into *options; returns -1 to go on, or the exit status.
int Parse(int argc, char* argv[], Options* options) {
  int recordSeconds = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    Mode mode = Mode::kNone;
    if (arg == "--help" || arg == "-h") {
      return PrintHelp();
    } else if (arg == "--version") {
      return PrintVersion();
    } else if (arg == "--json") {
      options->json = true;
      continue;
    } else if (arg == "--demo" && DemoPads::Available()) {
      options->demo = true;
      continue;
    } else if (arg == "--once") {
      mode = Mode::kOnce;
    } else if (arg == "--rumble") {
      mode = Mode::kRumble;
    } else if (arg == "--test") {
      mode = Mode::kTest;
    } else if (arg == "--slot") {
      if (options->slot >= 0) return UsageError("--slot is given twice");
      const std::string slot = i + 1 < argc ? argv[++i] : "";
      if (slot.size() != 1 || slot[0] < '0' || slot[0] > '3') {
        return UsageError("--slot takes a slot number from 0 to 3");
      }
      options->slot = slot[0] - '0';
      continue;
    } else if (arg == "--compare" || arg == "--picture") {
      std::string& path = arg == "--compare" ? options->comparePath : options->picturePath;
      if (!path.empty()) return UsageError(arg + " is given twice");
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        return UsageError(arg == "--compare" ? "--compare needs the FILE of an earlier card"
                                             : "--picture needs a FILE to draw in");
      }
      path = argv[++i];
      continue;
    } else if (arg == "--doctor") {
      mode = Mode::kDoctor;
    } else if (arg == "--rate") {
      mode = Mode::kRate;
      if (i + 1 >= argc) return UsageError("--rate needs a number of seconds");
      const long seconds = Seconds(argc, argv, &i, 600);
      if (seconds < 0) return UsageError("--rate takes a whole number of seconds from 1 to 600");
      options->seconds = static_cast<int>(seconds);
    } else if (arg == "--record") {
      mode = Mode::kRecord;
      if (i + 1 >= argc) return UsageError("--record needs a FILE ('-' for standard output)");
      options->recordPath = argv[++i];
    } else if (arg == "--seconds") {
      if (recordSeconds != 0) return UsageError("--seconds is given twice");
      if (i + 1 >= argc) return UsageError("--seconds needs a number");
      const long seconds = Seconds(argc, argv, &i, kMaxRecordSeconds);
      if (seconds < 0) {
        return UsageError("--seconds takes a whole number from 1 to " +
                          std::to_string(kMaxRecordSeconds));
      }
      recordSeconds = static_cast<int>(seconds);
      continue;
    } else {
      return UsageError(UnknownOption(arg));
    }
    if (options->mode != Mode::kNone) {
      return UsageError("give one of --once, --rate, --rumble, --test, --record, --doctor");
    }
    options->mode = mode;
  }
  if (options->json && options->mode != Mode::kOnce && options->mode != Mode::kRate &&
      options->mode != Mode::kTest && options->mode != Mode::kDoctor) {
    return UsageError("--json goes with --once, --rate, --test or --doctor");
  }
  if (options->slot >= 0 && options->mode != Mode::kTest) {
    return UsageError("--slot goes with --test");
  }
  if (!options->comparePath.empty() && options->mode != Mode::kTest) {
    return UsageError("--compare goes with --test");
  }
  if (!options->picturePath.empty() && options->mode != Mode::kTest) {
    return UsageError("--picture goes with --test");
  }
  if (options->demo && options->mode == Mode::kDoctor) {
    return UsageError("--doctor looks at the system's own controllers, not --demo's");
  }
  if (recordSeconds != 0 && options->mode != Mode::kRecord) {
    return UsageError("--seconds goes with --record");
  }
  if (options->mode == Mode::kRecord) options->seconds = recordSeconds;
  if (options->mode == Mode::kNone) {
    const std::string unavailable = ScreenUnavailableReason();
    if (!unavailable.empty()) return UsageError(unavailable);
  }
  return -1;
}

// Milliseconds since start.
double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// While every pad is measured by its event nodes, --rate asks SDL for new
// pads every 50 ms only for a moment after a device node appears, and
// otherwise every 2 s: SDL's refresh was most of what measuring cost.
constexpr double kSettlingPollMs = 50;
constexpr double kNodePollMs = 2000;
// The longest wait on the nodes, so that an arrival is noticed soon.
constexpr int kNodeWaitMs = 250;

int RunRate(const Options& options, DemoPads* demo) {
  // The explanation is not part of a JSON document.
  (options.json ? std::cerr : std::cout) << kRateExplanation << "\n" << std::flush;
  RateMeter meter;
  auto start = std::chrono::steady_clock::now();
  meter.Poll(0);
  if (!meter.AnyConnected()) {
    // Nothing to measure yet: look now and then, not all the time.
    std::cerr << "No controller is connected; waiting for one (Ctrl+C stops)." << std::endl;
    while (!meter.AnyConnected() && !StopRequested()) {
      std::this_thread::sleep_for(kWaitForController);
      meter.Poll(Since(start));
    }
    start = std::chrono::steady_clock::now();
  }
  // Each pad SDL reads through an event node is measured from the kernel's
  // timestamps on it, waiting on the nodes; the others by polling, as
  // padwatch sees them, which spins a core while there is one to poll.
  // A pad's motion node, where its driver made one, is read too.
  std::array<std::unique_ptr<NodeReports>, XUSER_MAX_COUNT> nodes;
  std::array<std::unique_ptr<NodeReports>, XUSER_MAX_COUNT> motionNodes;
  std::array<std::size_t, XUSER_MAX_COUNT> samplesPerReport{};
  std::array<bool, XUSER_MAX_COUNT> looked{};
  auto openNodes = [&meter, &nodes, &motionNodes, &samplesPerReport, &looked] {
    for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
      if (!meter.EverConnected(slot) || looked[slot]) continue;
      looked[slot] = true;
      DeviceIdentity identity;
      if (!GetDeviceIdentity(slot, &identity) || identity.eventNode.empty()) continue;
      auto node = std::make_unique<NodeReports>(identity.eventNode);
      if (node->IsOpen()) {
        node->Take();  // what came before is not part of the measurement
        meter.UseKernelTimestamps(slot);
        nodes[slot] = std::move(node);
      }
      if (identity.motionNode.empty()) continue;
      // hid-nintendo hands each report over as three motion samples, with
      // times it makes up from the reports' mean interval.
      const bool nintendo = identity.kernelDriver == "nintendo";
      auto motion =
          std::make_unique<NodeReports>(identity.motionNode, FrameKind::kEvery, nintendo ? 3 : 1);
      if (!motion->IsOpen()) continue;
      motion->Take();
      meter.UseMotionNode(slot, !nintendo);
      motionNodes[slot] = std::move(motion);
      samplesPerReport[slot] = nintendo ? 3 : 1;
    }
  };
  openNodes();
  const double end = options.seconds * 1000.0;
  double now = 0;
  double lastPoll = 0;
  // Whether the reports about to be read came while this waited with
  // nothing unread: only their delays say how late this process wakes.
  bool woken = false;
  GatherPace pace;
  double settleUntil = -1;
  if (!StopRequested()) std::cerr << "Measuring for " << options.seconds << " s..." << std::endl;
  while (now < end && !StopRequested()) {
    now = Since(start);
    if (demo != nullptr) demo->Move(now / 1000.0);
    bool polling = false;
    for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
      polling |= meter.EverConnected(slot) && meter.Source(slot) == RateSource::kPolling;
    }
    // Only for arrivals while every pad is measured by its node.
    if (!polling && WaitForControllerArrival(std::chrono::milliseconds(0))) {
      settleUntil = now + static_cast<double>(kArrivalSettling.count());
    }
    if (polling || now - lastPoll >= (now < settleUntil ? kSettlingPollMs : kNodePollMs)) {
      meter.Poll(now);
      openNodes();
      lastPoll = now;
    }
    std::vector<NodeReports*> open;
    bool took = false;
    std::size_t most = 0;  // the most frames one node gave
    for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
      if (nodes[slot] != nullptr) {
        const std::vector<NodeReport> reports = nodes[slot]->Take();
        most = std::max(most, reports.size());
        for (const NodeReport& report : reports) {
          meter.AddKernelReport(slot, report.kernelMs, woken ? report.readMs : std::nan(""),
                                report.afterDrop);
          took = true;
        }
        meter.SetDrops(slot, nodes[slot]->Drops());
        if (nodes[slot]->IsOpen()) open.push_back(nodes[slot].get());
      }
      if (motionNodes[slot] != nullptr) {
        const std::vector<NodeReport> reports = motionNodes[slot]->Take();
        most = std::max(most, reports.size() * samplesPerReport[slot]);
        for (const NodeReport& report : reports) {
          meter.AddMotionReport(slot, report.kernelMs, report.afterDrop, report.hasPadClock,
                                report.padUs);
          took = true;
        }
        meter.SetMotionDrops(slot, motionNodes[slot]->Drops());
        if (motionNodes[slot]->IsOpen()) open.push_back(motionNodes[slot].get());
      }
    }
    if (took) pace.AfterRead(most, !woken);
    woken = false;
    if (polling) continue;
    if (took) {
      // The next reports gather in the nodes' buffers meanwhile: one
      // wake-up for several keeps the cost of measuring small, and their
      // times are the kernel's all the same.
      std::this_thread::sleep_for(std::chrono::milliseconds(pace.Ms()));
    } else {
      NodeReports::WaitAny(open, kNodeWaitMs);
      woken = true;
    }
  }
  std::cout << (options.json ? FormatRateJson(meter, now / 1000.0)
                             : FormatRateText(meter, now / 1000.0))
            << std::flush;
  return 0;
}

// The slot --test checks: --slot's once it is connected, or the first one
// connected; -1 once a stop was asked for first.
int FindTestSlot(const Options& options, DemoPads* demo,
                 std::chrono::steady_clock::time_point start) {
  bool said = false;
  while (!StopRequested()) {
    if (demo != nullptr) demo->Move(Since(start) / 1000.0);
    for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
      XINPUT_STATE state{};
      if (options.slot >= 0 && static_cast<int>(slot) != options.slot) continue;
      if (XInputGetState(slot, &state) == ERROR_SUCCESS) return static_cast<int>(slot);
    }
    if (!said) {
      std::cerr << (options.slot >= 0 ? "No controller is in slot " + std::to_string(options.slot)
                                      : std::string("No controller is connected"))
                << "; waiting for one (Ctrl+C stops)." << std::endl;
      said = true;
    }
    WaitForControllerArrival(kWaitForController);
  }
  return -1;
}

// Shows the step's progress on a line of standard error written over each
// time where it is a terminal, and the step's end on a line of its own.
class StepLines {
 public:
  void Start(int number, const std::string& name, const std::string& prompt) {
    End();
    std::cerr << "Step " << number << " of " << kHealthStepCount + 1 << ", " << name << ": "
              << prompt << std::endl;
  }
  void Progress(const std::string& text) {
    if (!overwrite || text == shown) return;
    std::string line = "  " + text;
    const std::size_t width = line.size();
    if (line.size() < shownWidth) line.append(shownWidth - line.size(), ' ');
    std::cerr << '\r' << line << std::flush;
    shown = text;
    shownWidth = width;
  }
  // Ends the progress line with what became of the step.
  void Result(const std::string& text) {
    Progress(text);
    if (!overwrite) std::cerr << "  " << text;
    std::cerr << std::endl;
    shown.clear();
    shownWidth = 0;
  }
  void End() {
    if (!shown.empty()) std::cerr << std::endl;
    shown.clear();
    shownWidth = 0;
  }

 private:
  const bool overwrite = ErrorIsTerminal();
  std::string shown;
  std::size_t shownWidth = 0;
};

int RunTest(const Options& options, DemoPads* demo) {
  // The earlier card is read first: a file that is not one is said before
  // the pad is put through the steps, not after.
  CardSummary before;
  std::string why;
  if (!options.comparePath.empty() && !ReadCardFile(options.comparePath, &before, &why)) {
    std::cerr << "padwatch-check: cannot compare with " << Printable(options.comparePath) << ": "
              << why << std::endl;
    return 2;
  }
  // A picture's file that cannot be written is said before the steps, not
  // after them. It is opened without emptying it: a check stopped before
  // a controller came leaves an earlier picture as it was, and makes none.
  const bool drawing = !options.picturePath.empty();
  bool pictureWasThere = false;
  if (drawing) {
    pictureWasThere = std::ifstream(options.picturePath).is_open();
    if (!std::ofstream(options.picturePath, std::ios::binary | std::ios::app)) {
      std::cerr << "padwatch-check: cannot write " << Printable(options.picturePath) << ": "
                << std::strerror(errno) << std::endl;
      return 1;
    }
  }
  const auto start = std::chrono::steady_clock::now();
  const int slot = FindTestSlot(options, demo, start);
  if (slot < 0) {
    if (drawing && !pictureWasThere) std::remove(options.picturePath.c_str());
    return 1;
  }
  const bool keys = EnterKeyMode();
  std::cerr << "Checking the controller in slot " << slot << "; "
            << (keys ? "q ends the check at any step" : "Ctrl+C ends the check at any step")
            << " with what was measured so far." << std::endl;
  auto now = [&start] { return static_cast<std::uint64_t>(Since(start)); };
  HealthCheck check(now());
  HealthExtras extras;
  // The motion sensors, where a kernel driver made them a node, are read
  // through the rest step, every 10 ms.
  DeviceIdentity identity;
  GetDeviceIdentity(static_cast<DWORD>(slot), &identity);
  std::uint64_t lastSensors = 0;
  StepLines lines;
  HealthStep shownStep = HealthStep::kDone;
  std::uint64_t lastProgress = 0;
  DWORD lastPacket = 0;
  bool quit = false;
  while (check.Step() != HealthStep::kDone) {
    if (StopRequested()) quit = true;
    if (keys) {
      bool gone = false;
      const std::string typed = ReadKeys(&gone);
      if (typed.find_first_of("qQ") != std::string::npos) quit = true;
    }
    if (quit) {
      check.Stop();
      break;
    }
    const std::uint64_t ms = now();
    if (demo != nullptr) demo->Move(ms / 1000.0);
    XINPUT_STATE state{};
    const bool connected = XInputGetState(static_cast<DWORD>(slot), &state) == ERROR_SUCCESS;
    const HealthStep step = check.Step();
    if (step != shownStep) {
      lines.Start(static_cast<int>(step) + 1, HealthStepName(step), check.Prompt());
      shownStep = step;
    }
    const bool sticks = step == HealthStep::kLeftStick || step == HealthStep::kRightStick;
    if (connected && sticks && state.dwPacketNumber != lastPacket) {
      extras.reportTimesMs.push_back(Since(start));
    }
    lastPacket = state.dwPacketNumber;
    if (connected && step == HealthStep::kRest && ms - lastSensors >= 10) {
      const PadSensors sensors = ReadPadMotion(identity);
      if (sensors.motionKnown) extras.motionRest.Add(sensors.motion);
      extras.motionMissing = sensors.motionMissing;
      lastSensors = ms;
    }
    check.Poll(ms, connected, state);
    if (check.Step() != step) {
      const bool done = check.Figures().done[static_cast<int>(step)];
      lines.Result(check.Figures().unplugged ? "the controller was unplugged"
                   : done                    ? "done"
                                             : "not done in time");
    } else if (ms - lastProgress >= 100) {
      lines.Progress(check.Progress(ms));
      lastProgress = ms;
    }
    // Reports come every few milliseconds at most: a millisecond's nap
    // misses none of them and leaves the core to others.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  lines.End();
  if (quit) std::cerr << "Stopped; the card says what was not measured." << std::endl;
  SlotReading reading(static_cast<DWORD>(slot));
  if (!quit && !check.Figures().unplugged && PollSlot(&reading)) {
    ReadDevice(&reading);
    extras.battery = BatteryText(reading);
    const std::array<int, 4>& sticks = reading.identity.stickAxes;
    extras.stickFilters = {FiltersText(reading.identity, {sticks[0], sticks[1]}),
                           FiltersText(reading.identity, {sticks[2], sticks[3]})};
    lines.Start(kHealthStepCount + 1, "rumble", "each motor runs for half a second.");
    extras.rumble = RunRumble(kRumbleEach, StopRequested, slot)[slot];
    extras.rumbleTried = true;
    lines.Result("done");
  }
  LeaveKeyMode();
  const std::vector<CardLine> card = MakeHealthCard(check.Figures(), extras);
  const std::string json = HealthJson(slot, check.Figures(), card);
  if (options.comparePath.empty()) {
    std::cout << (options.json ? json : HealthCardText(card));
  } else {
    std::cout << (options.json ? HealthJsonCompared(json, before)
                               : HealthCardText(card) + HealthCompareText(json, before));
  }
  std::cout << std::flush;
  if (drawing) {
    std::ofstream picture(options.picturePath, std::ios::binary | std::ios::trunc);
    if (!(picture << HealthPictureSvg(slot, check.Figures()) << std::flush)) {
      std::cerr << "padwatch-check: cannot write " << Printable(options.picturePath) << std::endl;
      return 1;
    }
  }
  return HealthExitStatus(card);
}

int RunRecord(const Options& options, DemoPads* demo) {
  // --seconds counts from the start, a wait for a FIFO's reader included.
  const auto start = std::chrono::steady_clock::now();
  const double end = options.seconds * 1000.0;
  bool said = false;
  RecordFile out(options.recordPath, [&] {
    if (!said) {
      std::cerr << "Waiting for a reader of " << Printable(options.recordPath) << " (Ctrl+C stops)."
                << std::endl;
      said = true;
    }
    return !StopRequested() && (options.seconds == 0 || Since(start) < end);
  });
  if (out.Stopped()) return 0;
  if (!out.Write(Recorder::kHeader)) return out.Failed();
  std::cerr << "Recording"
            << (options.seconds > 0 ? " for " + std::to_string(options.seconds) + " s" : "")
            << "; Ctrl+C stops." << std::endl;
  Recorder recorder;
  double settleUntil = 0;  // after an arrival, poll at full speed until then
  while (!StopRequested()) {
    const double now = Since(start);
    if (options.seconds > 0 && now >= end) break;
    if (demo != nullptr) demo->Move(now / 1000.0);
    if (!out.Write(recorder.Poll(static_cast<std::uint64_t>(now)))) return out.Failed();
    if (recorder.AnyConnected() || demo != nullptr || now < settleUntil) continue;
    const double left = options.seconds > 0 ? end - now : kRecordIdleWait.count();
    const auto wait =
        std::min(kRecordIdleWait, std::chrono::milliseconds(static_cast<long long>(left) + 1));
    if (WaitForControllerArrival(wait)) settleUntil = Since(start) + kArrivalSettling.count();
  }
  if (!out.Write(recorder.Finish())) return out.Failed();
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  const ProgramText program = Program();
  SetProgramText(program);
  InstallConsoleWriter(StopRequested);
  InstallStopHandlers();
  Options options;
  const int status = Parse(argc, argv, &options);
  if (status >= 0) return status;

  if (options.mode == Mode::kDoctor) {
    const SystemFacts facts = ScanSystem();
    std::cout << (options.json ? FormatDoctorJson(facts) : FormatDoctorText(facts)) << std::flush;
    StopCompleted();
    if (!std::cout.good()) return ConsoleFailureStatus("padwatch-check");
    return DoctorStatus(facts);
  }

  DemoPads demoPads;
  DemoPads* demo = nullptr;
  if (options.demo) {
    if (!demoPads.Start()) return 1;
    demoPads.Move(0);
    demo = &demoPads;
  }
  switch (options.mode) {
    case Mode::kOnce: {
      Slots slots = MakeSlots();
      SampleSlots(slots, kOnceSample, StopRequested);
      SampleSensors(slots, kOnceSample, StopRequested);
      std::cout << (options.json ? FormatOnceJson(slots) : FormatOnceText(slots)) << std::flush;
      break;
    }
    case Mode::kRate:
      RunRate(options, demo);
      break;
    case Mode::kRumble:
      std::cout << FormatRumbleText(RunRumble(kRumbleEach, StopRequested)) << std::flush;
      break;
    case Mode::kTest: {
      const int tested = RunTest(options, demo);
      StopCompleted();
      if (!std::cout.good()) return ConsoleFailureStatus("padwatch-check");
      return tested;
    }
    case Mode::kRecord: {
      const int recorded = RunRecord(options, demo);
      StopCompleted();
      return recorded;
    }
    case Mode::kDoctor:
      break;  // done above, before any demo controller exists
    case Mode::kNone: {
      const int live = RunLiveScreen(demo, StopRequested);
      StopCompleted();
      return live;
    }
  }
  StopCompleted();
  return std::cout.good() ? 0 : ConsoleFailureStatus("padwatch-check");
}
