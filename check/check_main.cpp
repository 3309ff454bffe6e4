// padwatch-check: what is connected, whether its sticks drift, how fast it
// reports and whether it vibrates, for the four controller slots.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "app/stop_request.h"
#include "check/probe/rate_meter.h"
#include "check/probe/rumble_sequence.h"
#include "check/probe/slot_probe.h"
#include "check/report/once_report.h"
#include "check/report/rate_report.h"
#include "check/report/rumble_report.h"
#include "check/screen/live_screen.h"
#include "check/screen/terminal.h"
#include "support/command_line.h"
#include "support/console.h"

namespace {

constexpr const char kHelp[] =
    "Checks the controllers in the four slots.\n"
    "\n"
    "  (no option)      a live picture of the four slots, in a terminal; keys:\n"
    "                   q quit, r rumble test, c clear traced outlines and offsets\n"
    "  --demo           the live picture on controllers that move on their own\n"
    "  --once           one report of each slot: what it is, its battery, its\n"
    "                   readings, and where each stick rests inside its dead zone\n"
    "  --rate SECONDS   measures for 1 to 600 s how often each controller reports\n"
    "                   (keep a stick moving)\n"
    "  --rumble         runs each controller's motors, half a second each\n"
    "  --json           with --once or --rate: the report as JSON\n"
    "  --help, --version\n"
    "\n"
    "Ctrl+C or SIGTERM stops --rate and --rumble early; what was measured is printed.\n";

constexpr ProgramText kProgram = {
    "padwatch-check",
    "usage: padwatch-check [--demo] | --once [--json] | --rate SECONDS [--json] | --rumble", kHelp,
    PADWATCH_VERSION};

// How long --once samples the sticks for their resting offsets.
constexpr std::chrono::milliseconds kOnceSample(200);
constexpr std::chrono::milliseconds kRumbleEach(500);

enum class Mode { kNone, kOnce, kRate, kRumble };

struct Options {
  Mode mode = Mode::kNone;  // none: the live screen
  bool json = false;
  bool demo = false;
  int seconds = 0;
};

// Parses argv into *options; returns -1 to go on, or the exit status.
int Parse(int argc, char* argv[], Options* options) {
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
    } else if (arg == "--demo") {
      options->demo = true;
      continue;
    } else if (arg == "--once") {
      mode = Mode::kOnce;
    } else if (arg == "--rumble") {
      mode = Mode::kRumble;
    } else if (arg == "--rate") {
      mode = Mode::kRate;
      if (i + 1 >= argc) return UsageError("--rate needs a number of seconds");
      const std::string number = argv[++i];
      char* end = nullptr;
      const long seconds = std::strtol(number.c_str(), &end, 10);
      if (number.empty() || *end != '\0' || number[0] < '0' || number[0] > '9' || seconds < 1 ||
          seconds > 600) {
        return UsageError("--rate takes a whole number of seconds from 1 to 600");
      }
      options->seconds = static_cast<int>(seconds);
    } else {
      return UsageError(UnknownOption(arg));
    }
    if (options->mode != Mode::kNone) return UsageError("give one of --once, --rate, --rumble");
    options->mode = mode;
  }
  if (options->json && (options->mode == Mode::kRumble || options->mode == Mode::kNone)) {
    return UsageError("--json goes with --once or --rate");
  }
  if (options->demo && options->mode != Mode::kNone) {
    return UsageError("--demo is for the live screen, without --once, --rate or --rumble");
  }
  if (options->mode == Mode::kNone && !OutputIsTerminal()) {
    return UsageError("the live screen needs a terminal; --once prints a report anywhere");
  }
  return -1;
}

int RunRate(const Options& options) {
  // The explanation is not part of a JSON document.
  (options.json ? std::cerr : std::cout) << kRateExplanation << "\n" << std::flush;
  std::cerr << "Measuring for " << options.seconds << " s..." << std::endl;
  RateMeter meter;
  const auto start = std::chrono::steady_clock::now();
  const auto end = start + std::chrono::seconds(options.seconds);
  auto now = start;
  while (now < end && !StopRequested()) {
    now = std::chrono::steady_clock::now();
    meter.Poll(std::chrono::duration<double, std::milli>(now - start).count());
  }
  const double seconds = std::chrono::duration<double>(now - start).count();
  std::cout << (options.json ? FormatRateJson(meter, seconds) : FormatRateText(meter, seconds))
            << std::flush;
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  SetProgramText(kProgram);
  InstallConsoleWriter(StopRequested);
  InstallStopHandlers();
  Options options;
  const int status = Parse(argc, argv, &options);
  if (status >= 0) return status;

  switch (options.mode) {
    case Mode::kOnce: {
      Slots slots = MakeSlots();
      SampleSlots(slots, kOnceSample, StopRequested);
      std::cout << (options.json ? FormatOnceJson(slots) : FormatOnceText(slots)) << std::flush;
      break;
    }
    case Mode::kRate:
      RunRate(options);
      break;
    case Mode::kRumble:
      std::cout << FormatRumbleText(RunRumble(kRumbleEach, StopRequested)) << std::flush;
      break;
    case Mode::kNone: {
      const int live = RunLiveScreen(options.demo, StopRequested);
      StopCompleted();
      return live;
    }
  }
  StopCompleted();
  return std::cout.good() ? 0 : ConsoleFailureStatus("padwatch-check");
}
