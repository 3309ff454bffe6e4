// libFuzzer target for the scenario reader: every input either parses, and
// then survives being written back and read again unchanged, or gets one
// clear one-line error that names a line of the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "replay/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Scenario scenario;
  std::size_t errorLine = 0;
  std::string error;
  if (!ParseScenario(text, &scenario, &errorLine, &error)) {
    std::size_t lines = 1;
    for (char c : text) lines += c == '\n' ? 1 : 0;
    if (error.empty() || error.find('\n') != std::string::npos) std::abort();
    if (errorLine == 0 || errorLine > lines) std::abort();
    return 0;
  }
  const std::string written = FormatScenario(scenario);
  Scenario again;
  if (!ParseScenario(written, &again, &errorLine, &error)) std::abort();
  if (FormatScenario(again) != written) std::abort();
  return 0;
}
