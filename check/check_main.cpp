// padwatch-check: what is connected, whether its sticks drift, how fast it
// reports and whether it vibrates, for the four controller slots.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "app/stop_request.h"
#include "check/doctor/doctor_report.h"
#include "check/doctor/system_scan.h"
#include "check/probe/demo_pads.h"
#include "check/probe/rate_meter.h"
#include "check/probe/rumble_sequence.h"
#include "check/probe/slot_probe.h"
#include "check/record/record_file.h"
#include "check/record/recorder.h"
#include "check/report/once_report.h"
#include "check/report/rate_report.h"
#include "check/report/rumble_report.h"
#include "check/screen/live_screen.h"
#include "check/screen/terminal.h"
#include "platform/arrival.h"
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
    "                   readings, and where each stick rests inside its dead zone\n"
    "  --rate SECONDS   measures for 1 to 600 s how often each controller reports\n"
    "                   (keep a stick moving); waits for one if none is connected\n"
    "  --rumble         runs each controller's motors, half a second each\n"
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
    "  --json           with --once, --rate or --doctor: the report as JSON\n";
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
                 "--rumble | --record FILE [--seconds N] | --doctor [--json]]"
               : "usage: padwatch-check [--once [--json] | --rate SECONDS [--json] | --rumble | "
                 "--record FILE [--seconds N] | --doctor [--json]]",
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

enum class Mode { kNone, kOnce, kRate, kRumble, kRecord, kDoctor };

struct Options {
  Mode mode = Mode::kNone;  // none: the live screen
  bool json = false;
  bool demo = false;
  int seconds = 0;         // --rate's, or --record's --seconds (0: until stopped)
  std::string recordPath;  // --record's FILE, "-" for standard output
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
      return UsageError("give one of --once, --rate, --rumble, --record, --doctor");
    }
    options->mode = mode;
  }
  if (options->json && options->mode != Mode::kOnce && options->mode != Mode::kRate &&
      options->mode != Mode::kDoctor) {
    return UsageError("--json goes with --once, --rate or --doctor");
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
  const double end = options.seconds * 1000.0;
  double now = 0;
  if (!StopRequested()) std::cerr << "Measuring for " << options.seconds << " s..." << std::endl;
  while (now < end && !StopRequested()) {
    now = Since(start);
    if (demo != nullptr) demo->Move(now / 1000.0);
    meter.Poll(now);
  }
  std::cout << (options.json ? FormatRateJson(meter, now / 1000.0)
                             : FormatRateText(meter, now / 1000.0))
            << std::flush;
  return 0;
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
      std::cout << (options.json ? FormatOnceJson(slots) : FormatOnceText(slots)) << std::flush;
      break;
    }
    case Mode::kRate:
      RunRate(options, demo);
      break;
    case Mode::kRumble:
      std::cout << FormatRumbleText(RunRumble(kRumbleEach, StopRequested)) << std::flush;
      break;
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
