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
#include "support/console.h"
#include "support/printable.h"

namespace {

constexpr const char kUsage[] =
    "usage: padwatch-replay FILE\n"
    "Plays the scenario in FILE ('-' for standard input) and prints what padwatch\n"
    "prints for it.\n";

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
  InstallConsoleWriter(StopRequested);
  InstallStopHandlers();
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::cout << kUsage;
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::cout << "padwatch-replay " PADWATCH_VERSION "\n";
    return 0;
  }
  if (argc != 2) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string path = argv[1];
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
  PlayScenario(scenario, *application, StopRequested);
  application->Stop();
  delete application;
  return std::cout.good() ? 0 : ConsoleFailureStatus("padwatch-replay");
}
