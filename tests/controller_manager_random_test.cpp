// Drives the manager through long pseudo-random sessions and checks every
// line and the manager's state against properties any correct padwatch has.
// A failure prints the seed and a short scenario that reproduces it, ready
// for padwatch-replay.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "input/controller_manager.h"
#include "input/inputs.h"
#include "platform/scripted/scripted_xinput.h"
#include "replay/scenario_player.h"
#include "support/math.h"
#include "tests/stdout_capture.h"

namespace {

constexpr int kButtons = static_cast<int>(kButtonCount);
constexpr int kInputs = kButtons + static_cast<int>(kAxisCount);

// Input i is button i, or axis i - kButtons: the order in which their lines
// must appear within a slot.
struct Input {
  int index;
  bool IsButton() const { return index < kButtons; }
  const AxisInput& Axis() const { return kAxisInputs[index - kButtons]; }
  const char* Name() const { return IsButton() ? kButtonInputs[index].name : Axis().name; }
};

bool Active(const XINPUT_GAMEPAD& pad, Input input) {
  if (input.IsButton()) return (pad.wButtons & kButtonInputs[input.index].mask) != 0;
  const AxisInput& axis = input.Axis();
  const int r = axis.Reading(pad);
  return axis.IsTrigger() ? r > axis.rest : (r > axis.rest || r < -axis.rest);
}

std::string ExpectedValue(const XINPUT_GAMEPAD& pad, Input input) {
  const AxisInput& axis = input.Axis();
  const int r = axis.Reading(pad);
  const float value = axis.IsTrigger() ? Clamp01(static_cast<float>(r) / 255.0f)
                                       : Clamp(static_cast<float>(r) / 32767.0f, -1.0f, 1.0f);
  return std::to_string(value);
}

struct Snapshot {
  std::array<bool, 4> plugged{};
  std::array<XINPUT_GAMEPAD, 4> pads{};
  bool operator==(const Snapshot& other) const {
    for (int s = 0; s < 4; ++s) {
      if (plugged[s] != other.plugged[s]) return false;
      if (std::memcmp(&pads[s], &other.pads[s], sizeof(XINPUT_GAMEPAD)) != 0) return false;
    }
    return true;
  }
};

Snapshot TakeSnapshot() {
  Snapshot snapshot;
  for (DWORD s = 0; s < 4; ++s) {
    snapshot.plugged[s] = scripted::IsPlugged(s);
    snapshot.pads[s] = scripted::Gamepad(s);
  }
  return snapshot;
}

enum class LineKind { kNone, kPress, kRelease, kMoved, kValue };

// Checks one session poll by poll; remembers what the lines so far said.
class Checker {
 public:
  // Checks the output of one poll, given the readings it was made with and
  // the manager after it. Returns an empty string or what is wrong.
  std::string Check(const std::string& output, const Snapshot& now, const ControllerManager& m) {
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    if (!output.empty() && output.back() != '\n') return "output does not end with a newline";

    PollLines seen;
    std::string problem = CheckLines(lines, now, &seen);
    if (problem.empty()) problem = CheckConnections(now, seen);
    if (problem.empty()) problem = CheckAgreement(now, seen);
    if (problem.empty()) problem = CheckManager(now, m);
    previous = now;
    ++polls;
    return problem;
  }

 private:
  // What the lines of one poll said, beyond each line on its own.
  struct PollLines {
    bool countSeen = false;
    int connectionLines = 0;
    std::array<std::array<int, kInputs>, 4> valueLines{};
  };

  static int Answering(const Snapshot& now) {
    int answering = 0;
    for (bool p : now.plugged) answering += p ? 1 : 0;
    return answering;
  }

  // Each line's form, order and value, and its press/release alternation.
  std::string CheckLines(const std::vector<std::string>& lines, const Snapshot& now,
                         PollLines* seen) {
    const int answering = Answering(now);
    const bool unchanged = polls > 0 && now == previous;
    int lastSlot = -1;
    int lastInput = -1;
    bool connectionPart = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      if (seen->countSeen) return "a line after the count line: " + line;
      if (line == "Controller connected!" || line == "Controller disconnected!") {
        connectionPart = true;
        ++seen->connectionLines;
        continue;
      }
      const std::string countPrefix = " Connected Devices: ";
      if (line.compare(0, countPrefix.size(), countPrefix) == 0) {
        if (line != countPrefix + std::to_string(answering)) return "wrong count: " + line;
        seen->countSeen = true;
        continue;
      }
      if (connectionPart) return "a slot line among the connection lines: " + line;
      if (unchanged && line.find("with value: ") == std::string::npos) {
        return "a poll in which nothing changed wrote: " + line;
      }
      int slot = -1, input = -1;
      const LineKind kind = Classify(line, &slot, &input);
      if (kind == LineKind::kNone) return "a line of no known form: " + line;
      if (!now.plugged[slot]) return "a line for a slot that did not answer: " + line;
      if (slot < lastSlot || (slot == lastSlot && input < lastInput)) {
        return "a line out of order: " + line;
      }
      lastSlot = slot;
      lastInput = input;
      const Input in{input};
      const XINPUT_GAMEPAD& pad = now.pads[slot];
      bool& isOpen = open[slot][input];
      if (kind == LineKind::kPress || kind == LineKind::kMoved) {
        if (!Active(pad, in)) return "a press or movement for an input at rest: " + line;
        if (isOpen) return "a second press without a release: " + line;
        isOpen = true;
        if (kind == LineKind::kMoved &&
            (i + 1 == lines.size() ||
             lines[i + 1].find("Axis [" + std::string(in.Name()) + "] moved on device : ") != 0)) {
          return "a first movement not followed by its value: " + line;
        }
      } else if (kind == LineKind::kRelease) {
        if (Active(pad, in)) return "a release for an active input: " + line;
        if (!isOpen) return "a release without a press: " + line;
        isOpen = false;
      } else {  // value
        if (!Active(pad, in)) return "a value for an axis at rest: " + line;
        if (!isOpen) return "a value for an axis whose movement was not reported: " + line;
        const std::string expected = ExpectedValue(pad, in);
        if (line.substr(line.rfind(' ') + 1) != expected) {
          return "value does not match the reading (expected " + expected + "): " + line;
        }
        ++seen->valueLines[slot][input];
      }
    }
    return "";
  }

  // Connection lines only with a count line, and only when the count changed.
  std::string CheckConnections(const Snapshot& now, const PollLines& seen) {
    const int answering = Answering(now);
    const bool countChanged = answering != announcedCount;
    if (seen.countSeen != countChanged) {
      return countChanged ? "the count changed but was not announced"
                          : "a count line though the count did not change";
    }
    if (seen.connectionLines > 0 && !seen.countSeen) return "connection lines without a count line";
    if (seen.countSeen) {
      int changed = 0;
      for (int s = 0; s < 4; ++s) changed += now.plugged[s] != announced[s] ? 1 : 0;
      if (seen.connectionLines != changed) {
        return "connection lines do not match the slots that changed";
      }
      announced = now.plugged;
      announcedCount = answering;
    }
    return "";
  }

  // What the lines say must be what the answering controllers do.
  std::string CheckAgreement(const Snapshot& now, const PollLines& seen) const {
    for (int s = 0; s < 4; ++s) {
      if (!now.plugged[s]) continue;
      for (int input = 0; input < kInputs; ++input) {
        const bool active = Active(now.pads[s], Input{input});
        if (open[s][input] != active) {
          return std::string(Input{input}.Name()) + " on slot " + std::to_string(s) +
                 (active ? " is active but reported at rest" : " is at rest but reported active");
        }
        if (!Input{input}.IsButton() && seen.valueLines[s][input] != (active ? 1 : 0)) {
          return std::string("wrong number of value lines for ") + Input{input}.Name();
        }
      }
    }
    return "";
  }

  // The manager's own counts and flags.
  std::string CheckManager(const Snapshot& now, const ControllerManager& m) const {
    if (m.ConnectedCount() != Answering(now)) return "connectedCount is not the number answering";
    if (m.LastReportedCount() != m.ConnectedCount()) return "lastReportedCount lags after a poll";
    for (std::uint32_t s = 0; s < 4; ++s) {
      if (m.IsConnected(s) != now.plugged[s]) return "a connected flag is wrong";
      if (m.IsReported(s) != announced[s]) return "a reported flag differs from the last report";
    }
    return "";
  }

  // Names the line's kind and finds its slot and input; kNone if malformed.
  static LineKind Classify(const std::string& line, int* slot, int* input) {
    const bool button = line.compare(0, 8, "Button [") == 0;
    const bool axis = line.compare(0, 6, "Axis [") == 0;
    if (!button && !axis) return LineKind::kNone;
    const std::size_t open = button ? 8 : 6;
    const std::size_t close = line.find(']', open);
    if (close == std::string::npos) return LineKind::kNone;
    const std::string name = line.substr(open, close - open);
    *input = -1;
    for (int i = 0; i < kInputs; ++i) {
      if (name == Input{i}.Name() && Input{i}.IsButton() == button) *input = i;
    }
    if (*input < 0) return LineKind::kNone;
    struct Tail {
      const char* text;
      LineKind kind;
    };
    static const Tail buttonTails[] = {{"] pressed on Device: ", LineKind::kPress},
                                       {"] released: on Device: ", LineKind::kRelease}};
    static const Tail axisTails[] = {{"] moved on device: ", LineKind::kMoved},
                                     {"] released on device: ", LineKind::kRelease},
                                     {"] moved on device : ", LineKind::kValue}};
    for (const Tail& tail : button ? std::vector<Tail>(buttonTails, buttonTails + 2)
                                   : std::vector<Tail>(axisTails, axisTails + 3)) {
      const std::size_t length = std::strlen(tail.text);
      if (line.compare(close, length, tail.text) != 0) continue;
      const std::size_t at = close + length;
      if (at >= line.size() || line[at] < '0' || line[at] > '3') return LineKind::kNone;
      *slot = line[at] - '0';
      const std::string after = line.substr(at + 1);
      if (tail.kind != LineKind::kValue) return after.empty() ? tail.kind : LineKind::kNone;
      // " with value: " and a number with six decimals.
      const std::string with = " with value: ";
      if (after.compare(0, with.size(), with) != 0) return LineKind::kNone;
      const std::string number = after.substr(with.size());
      const std::size_t dot = number.find('.');
      if (dot == std::string::npos || number.size() - dot != 7) return LineKind::kNone;
      return LineKind::kValue;
    }
    return LineKind::kNone;
  }

  std::array<std::array<bool, kInputs>, 4> open{};
  std::array<bool, 4> announced{};
  int announcedCount = 0;
  Snapshot previous;
  long polls = 0;
};

// A session as a list of steps, which shrinking cuts down one by one.
using Steps = std::vector<ScenarioStep>;

// A session of `polls` polls: before each, a few random changes, biased
// towards dead-zone edges, extremes and plugging.
Steps Generate(std::uint64_t seed, int polls) {
  std::mt19937_64 random(seed);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const int sticks[] = {-32768, -32767, -8690, -8689, -7850, -7849, -1,    0,
                        1,      7849,   7850,  8689,  8690,  16384, 32766, 32767};
  const int triggers[] = {0, 1, 29, 30, 31, 32, 128, 254, 255};
  Steps scenario;
  for (int p = 0; p < polls; ++p) {
    const int changes = pick(10) < 3 ? 0 : 1 + pick(4);
    for (int c = 0; c < changes; ++c) {
      ScenarioStep step;
      step.slot = static_cast<DWORD>(pick(4));
      const int what = pick(100);
      if (what < 6) {
        step.kind = pick(2) == 0 ? ScenarioStep::Kind::kPlug : ScenarioStep::Kind::kUnplug;
      } else if (what < 50) {
        step.kind = pick(2) == 0 ? ScenarioStep::Kind::kPress : ScenarioStep::Kind::kRelease;
        step.buttons = static_cast<WORD>(kButtonInputs[pick(kButtons)].mask);
        if (pick(8) == 0)
          step.buttons = static_cast<WORD>(step.buttons | kButtonInputs[pick(kButtons)].mask);
      } else {
        step.kind = ScenarioStep::Kind::kSet;
        const int fields = 1 + pick(3);
        for (int f = 0; f < fields; ++f) {
          const int field = pick(kScenarioFieldCount);
          int value;
          if (field < 4) {
            value = pick(4) == 0 ? pick(65536) - 32768 : sticks[pick(16)];
          } else {
            value = pick(4) == 0 ? pick(256) : triggers[pick(9)];
          }
          step.fieldsSet = static_cast<std::uint8_t>(step.fieldsSet | (1u << field));
          step.values[field] = value;
        }
      }
      scenario.push_back(step);
    }
    ScenarioStep poll;
    poll.kind = ScenarioStep::Kind::kPoll;
    poll.polls = 1;
    scenario.push_back(poll);
  }
  return scenario;
}

// Runs scenario (one poll per poll step) and returns the first failure.
std::string Run(const Steps& scenario, long* failingPoll = nullptr) {
  scripted::Reset();
  StdoutCapture out;
  ControllerManager manager;
  Checker checker;
  long poll = 0;
  for (const ScenarioStep& step : scenario) {
    if (step.kind != ScenarioStep::Kind::kPoll) {
      ApplyStep(step);
      continue;
    }
    const Snapshot now = TakeSnapshot();
    manager.Poll();
    const std::string problem = checker.Check(out.Take(), now, manager);
    if (!problem.empty()) {
      if (failingPoll != nullptr) *failingPoll = poll;
      return "poll " + std::to_string(poll) + ": " + problem;
    }
    ++poll;
  }
  return "";
}

// Cuts the failing session down: first to the polls up to the failure, then
// by dropping single steps for as long as it still fails.
Steps Shrink(const Steps& scenario, long failingPoll) {
  Steps prefix;
  long polls = 0;
  for (const ScenarioStep& step : scenario) {
    prefix.push_back(step);
    if (step.kind == ScenarioStep::Kind::kPoll && polls++ == failingPoll) break;
  }
  for (std::size_t i = prefix.size(); i-- > 0 && prefix.size() < 4000;) {
    Steps smaller = prefix;
    smaller.erase(smaller.begin() + static_cast<long>(i));
    if (!Run(smaller).empty()) prefix = smaller;
  }
  return prefix;
}

void CheckSeed(std::uint64_t seed, int polls) {
  const Steps scenario = Generate(seed, polls);
  long failingPoll = -1;
  const std::string problem = Run(scenario, &failingPoll);
  if (problem.empty()) return;
  const Steps shortest = Shrink(scenario, failingPoll);
  Scenario text;
  for (const ScenarioStep& step : shortest) text.Add(step);
  ADD_FAILURE() << "seed " << seed << ", " << problem << "\n"
                << "shortest failing scenario found (" << shortest.size() << " steps; "
                << Run(shortest) << "):\n"
                << FormatScenario(text);
}

// Under AddressSanitizer a poll costs some twenty times more: the sessions
// are a quarter as long there, and the optimised Windows build plays them
// whole under Wine.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kPollsPerSeed = 25000;
#else
constexpr int kPollsPerSeed = 100000;
#endif

// One test per seed, so that a parallel run spreads them.
class ControllerManagerSeedTest : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(ControllerManagerSeedTest, FixedSeed) { CheckSeed(GetParam(), kPollsPerSeed); }

INSTANTIATE_TEST_SUITE_P(Seeds, ControllerManagerSeedTest,
                         ::testing::Values(1u, 2u, 3u, 20261207u));

// A different seed on every run, printed so that a failure can be replayed
// with PADWATCH_RANDOM_SEED.
TEST(ControllerManagerRandomTest, VaryingSeed) {
  std::uint64_t seed;
  if (const char* given = std::getenv("PADWATCH_RANDOM_SEED")) {
    seed = std::strtoull(given, nullptr, 10);
  } else {
    seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  }
  std::printf("random seed: %llu (PADWATCH_RANDOM_SEED=%llu repeats it)\n",
              static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed));
  CheckSeed(seed, kPollsPerSeed);
}

// The checker itself must catch a wrong line.
TEST(ControllerManagerRandomTest, CheckerRejectsAWrongValue) {
  scripted::Reset();
  scripted::Plug(0);
  XINPUT_GAMEPAD pad{};
  pad.sThumbLX = 16384;
  scripted::SetGamepad(0, pad);
  StdoutCapture out;
  ControllerManager manager;
  Checker checker;
  const Snapshot now = TakeSnapshot();
  manager.Poll();
  std::string text = out.Take();
  const std::size_t at = text.find("0.500015");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 8, "0.500016");
  EXPECT_NE(checker.Check(text, now, manager).find("does not match the reading"),
            std::string::npos);
}

}  // namespace
