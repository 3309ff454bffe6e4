// Scenarios for padwatch-replay: scripted controller sessions in a small text
// format, one command per line. This is the text side only: reading and
// writing it needs nothing of the core or of any platform.
//
//   plug S | unplug S                 slot S (0 to 3) starts / stops answering
//   press S NAME... | release S NAME...
//   set S FIELD VALUE [FIELD VALUE]...  lx ly rx ry: -32768..32767, lt rt: 0..255
//   poll [N]                          N polls (default 1) with the readings as they stand
//   at MS                             when the next polls happened, in milliseconds
//                                     since the start (a recording says it; replay
//                                     waits for it only when asked to keep the pace);
//                                     never earlier than the previous at, at most
//                                     kScenarioMaxAtMs
//
// and what the device in a slot says of itself (padwatch never asks; the
// check tool does):
//
//   name S TEXT... | guid S TEXT | mapping S TEXT...
//                                     with \\ for a backslash and \xNN for any byte
//   ids S VENDOR PRODUCT              four hexadecimal digits each
//   subtype S SUBTYPE                 gamepad wheel arcade_stick ... unknown
//   wireless S yes|no | vibration S yes|no
//   battery S wired|none|unknown | battery S alkaline|nimh|other LEVEL
//                                     LEVEL: empty low medium full
//
// '#' starts a comment; blank lines are ignored; words are separated by spaces
// or tabs. Lines end with LF or CRLF; a UTF-8 byte order mark at the start is
// ignored. A line may be at most kScenarioMaxLineBytes long and the whole
// text at most kScenarioMaxBytes.
#ifndef PADWATCH_REPLAY_SCENARIO_H_
#define PADWATCH_REPLAY_SCENARIO_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "replay/scenario_step.h"

// Limits on what a scenario may be, checked while it is read, so that no
// input can make the reader hold more than a fraction of its size.
constexpr std::size_t kScenarioMaxBytes = std::size_t{256} << 20;  // 256 MiB
constexpr std::size_t kScenarioMaxLineBytes = 4096;
// A device's text (name, GUID, mapping) once its escapes are undone: short
// enough that written back with every byte escaped (four bytes each) its
// line stays within kScenarioMaxLineBytes.
constexpr std::size_t kScenarioMaxTextBytes = 1000;
// The latest "at" a scenario may give: about 34 years, longer than any
// recording, and far from where a clock's arithmetic overflows.
constexpr std::uint64_t kScenarioMaxAtMs = std::uint64_t{1} << 40;

// The steps of a scenario, each kept in its compact form (scenario_step.h).
class Scenario {
 public:
  void Add(const ScenarioStep& step) {
    EncodeStep(step, &bytes);
    ++stepCount;
  }
  std::size_t StepCount() const { return stepCount; }

  // Calls visit(step) for each step in order, stopping early, with false,
  // when visit returns false.
  template <typename Visit>
  bool ForEach(Visit&& visit) const {
    std::size_t at = 0;
    ScenarioStep step;
    while (at < bytes.size()) {
      at += DecodeStep(bytes.data() + at, &step);
      if (!visit(step)) return false;
    }
    return true;
  }

 private:
  std::vector<std::uint8_t> bytes;
  std::size_t stepCount = 0;
};

// Reads scenario text as it arrives, piece by piece, into a Scenario,
// checking each line as soon as it is complete. Memory stays in proportion
// to the steps read, whatever the input.
class ScenarioReader {
 public:
  explicit ScenarioReader(Scenario* scenario) : scenario(scenario) {}

  // Takes the next piece of the text. Returns false at the first bad line,
  // or when the text passes a limit; after that it takes nothing more.
  bool Feed(const char* data, std::size_t size);
  // Ends the text: a last line without a newline is read now. Returns false
  // if anything was bad.
  bool Finish();

  // After a false return: the 1-based line that was bad, or 0 when the
  // fault is the text's as a whole; and a one-line description of it.
  std::size_t ErrorLine() const { return errorLine; }
  const std::string& Error() const { return error; }

 private:
  bool EndLine();
  bool Fail(std::size_t line, std::string message);

  Scenario* scenario;
  std::string line;  // the line being read
  std::size_t lineNumber = 0;
  std::uint64_t lastAtMs = 0;  // time only goes forward
  std::size_t total = 0;
  std::size_t errorLine = 0;
  std::string error;
  bool failed = false;
};

// Parses a whole scenario. On the first bad line, returns false and sets
// *errorLine (1-based, or 0 for a fault of the text as a whole) and *error
// to a short description; *scenario is then unspecified.
bool ParseScenario(const std::string& text, Scenario* scenario, std::size_t* errorLine,
                   std::string* error);

// One step as a line of the text format, newline included.
std::string FormatStep(const ScenarioStep& step);

// Writes scenario back in the text format, one command per line, so that
// parsing the text gives the same steps.
std::string FormatScenario(const Scenario& scenario);

#endif  // PADWATCH_REPLAY_SCENARIO_H_
