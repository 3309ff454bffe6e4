// padwatch-replay: runs padwatch's core on a scripted session and prints
// exactly what padwatch would print for it.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "app/application.h"
#include "app/stop_request.h"
#include "platform/scripted/scripted_xinput.h"
#include "replay/scenario_player.h"
#include "support/command_line.h"
#include "support/console.h"
#include "support/printable.h"

namespace {

constexpr ProgramText kProgram = {
    "padwatch-replay", "usage: padwatch-replay [--realtime] FILE",
    "Plays the scenario in FILE ('-' for standard input) and prints what padwatch\n"
    "prints for it, as fast as it can; with --realtime at the pace its \"at\" lines\n"
    "give, as padwatch-check --record wrote them.\n",
    PADWATCH_VERSION};

enum class ReadResult { kRead, kBadText, kCannotRead, kStopped };

// Feeds all of file to reader. On kCannotRead, *reason is the system's.
ReadResult ReadScenario(std::FILE* file, ScenarioReader* reader, std::string* reason) {
  static char buffer[1 << 16];
  for (;;) {
    const std::size_t got = std::fread(buffer, 1, sizeof(buffer), file);
    if (got > 0 && !reader->Feed(buffer, got)) return ReadResult::kBadText;
    if (got == sizeof(buffer)) continue;
    if (std::feof(file)) return reader->Finish() ? ReadResult::kRead : ReadResult::kBadText;
    const int error = errno;
    if (StopRequested()) return ReadResult::kStopped;
    if (error == EINTR || error == EAGAIN || error == EWOULDBLOCK) {
      // Interrupted, or a standard input left non-blocking by whoever
      // shares it: try again, after a moment if there was nothing yet.
      if (error != EINTR) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      std::clearerr(file);
      continue;
    }
    *reason = std::strerror(error);
    return ReadResult::kCannotRead;
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  SetProgramText(kProgram);
  InstallConsoleWriter(StopRequested);
  InstallStopHandlers();
  bool realtime = false;
  std::string path;
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return PrintHelp();
    if (arg == "--version") return PrintVersion();
    if (arg == "--realtime") {
      realtime = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      // "-" is standard input; a file whose name starts with '-' is "./-name".
      return UsageError(UnknownOption(arg));
    } else {
      path = arg;
      ++files;
    }
  }
  if (files == 0) return UsageError("no FILE given");
  if (files > 1) return UsageError("one FILE only, not " + std::to_string(files));
  const std::string shownName = path == "-" ? "<stdin>" : Printable(path);

  std::FILE* file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  Scenario scenario;
  ScenarioReader reader(&scenario);
  std::string reason = file == nullptr ? std::strerror(errno) : "";
  const ReadResult read =
      file == nullptr ? ReadResult::kCannotRead : ReadScenario(file, &reader, &reason);
  if (file != nullptr && file != stdin) std::fclose(file);
  switch (read) {
    case ReadResult::kRead:
      break;
    case ReadResult::kStopped:
      return 0;
    case ReadResult::kCannotRead:
      std::cerr << "padwatch-replay: " << shownName << ": cannot read: " << reason << "\n";
      return 2;
    case ReadResult::kBadText:
      std::cerr << "padwatch-replay: " << shownName;
      if (reader.ErrorLine() != 0) std::cerr << ":" << reader.ErrorLine();
      std::cerr << ": " << reader.Error() << "\n";
      return 2;
  }

  scripted::Reset();
  Application* application = new Application();
  PlayScenario(scenario, *application, StopRequested, realtime);
  application->Stop();
  delete application;
  return std::cout.good() ? 0 : ConsoleFailureStatus("padwatch-replay");
}
