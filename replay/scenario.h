// Scenarios for padwatch-replay: scripted controller sessions in a small text
// format, one command per line.
//
//   plug S | unplug S                 slot S (0 to 3) starts / stops answering
//   press S NAME... | release S NAME...
//   set S FIELD VALUE [FIELD VALUE]...  lx ly rx ry: -32768..32767, lt rt: 0..255
//   poll [N]                          N polls (default 1) with the readings as they stand
//
// '#' starts a comment; blank lines are ignored; words are separated by spaces
// or tabs.
#ifndef PADWATCH_REPLAY_SCENARIO_H_
#define PADWATCH_REPLAY_SCENARIO_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/xinput.h"

class Application;

enum class ScenarioField { kLX, kLY, kRX, kRY, kLT, kRT };
constexpr int kScenarioFieldCount = 6;

struct ScenarioStep {
  enum class Kind { kPlug, kUnplug, kPress, kRelease, kSet, kPoll };
  Kind kind = Kind::kPoll;
  DWORD slot = 0;
  WORD buttons = 0;                               // kPress, kRelease
  std::uint8_t fieldsSet = 0;                     // kSet: bit i set when field i is given
  std::int32_t values[kScenarioFieldCount] = {};  // kSet
  std::uint64_t polls = 0;                        // kPoll
};

struct Scenario {
  std::vector<ScenarioStep> steps;
  std::uint64_t TotalPolls() const;
};

// Parses a whole scenario. On the first bad line, returns false and sets
// *errorLine (1-based) and *error to a short description; *scenario is then
// unspecified.
bool ParseScenario(const std::string& text, Scenario* scenario, std::size_t* errorLine,
                   std::string* error);

// Writes scenario back in the text format, one command per line, so that
// parsing the text gives the same steps.
std::string FormatScenario(const Scenario& scenario);

// Applies one step's change to the scripted platform's readings; a poll
// step changes nothing.
void ApplyStep(const ScenarioStep& step);

// Plays scenario on the scripted platform, calling application.Update() once
// per poll. Stops early if the application stops or std::cout has failed.
void PlayScenario(const Scenario& scenario, Application& application);

#endif  // PADWATCH_REPLAY_SCENARIO_H_
