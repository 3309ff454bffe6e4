// padwatch-replay: runs padwatch's core on a scripted session and prints
// exactly what padwatch would print for it.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "app/application.h"
#include "platform/scripted/scripted_xinput.h"
#include "replay/scenario.h"
#include "support/console.h"

namespace {

constexpr const char kUsage[] =
    "usage: padwatch-replay FILE\n"
    "Plays the scenario in FILE ('-' for standard input) and prints what padwatch\n"
    "prints for it.\n";

// Reads all of path ('-' is standard input) into *text; on failure returns
// false with the system's reason in *reason.
bool ReadAll(const std::string& path, std::string* text, std::string* reason) {
  std::FILE* file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *reason = std::strerror(errno);
    return false;
  }
  char buffer[1 << 16];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text->append(buffer, got);
  const bool failed = std::ferror(file) != 0;
  const int error = errno;
  if (file != stdin) std::fclose(file);
  if (failed) {
    *reason = std::strerror(error);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  InstallConsoleWriter();
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::cout << kUsage;
    return 0;
  }
  if (argc != 2) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string path = argv[1];
  const std::string shownName = path == "-" ? "<stdin>" : path;

  std::string text;
  std::string reason;
  if (!ReadAll(path, &text, &reason)) {
    std::cerr << "padwatch-replay: cannot read " << shownName << ": " << reason << "\n";
    return 2;
  }
  Scenario scenario;
  std::size_t errorLine = 0;
  std::string error;
  if (!ParseScenario(text, &scenario, &errorLine, &error)) {
    std::cerr << "padwatch-replay: " << shownName << ":" << errorLine << ": " << error << "\n";
    return 2;
  }

  scripted::Reset();
  Application* application = new Application();
  PlayScenario(scenario, *application);
  application->Stop();
  delete application;
  return std::cout.good() ? 0 : ConsoleFailureStatus("padwatch-replay");
}
