#include "replay/scenario.h"

#include <charconv>
#include <cstring>
#include <iostream>
#include <limits>

#include "app/application.h"
#include "platform/scripted/scripted_xinput.h"

namespace {

struct ButtonName {
  const char* name;
  WORD mask;
};

constexpr ButtonName kButtonNames[] = {
    {"A", XINPUT_GAMEPAD_A},
    {"B", XINPUT_GAMEPAD_B},
    {"X", XINPUT_GAMEPAD_X},
    {"Y", XINPUT_GAMEPAD_Y},
    {"DPAD_UP", XINPUT_GAMEPAD_DPAD_UP},
    {"DPAD_DOWN", XINPUT_GAMEPAD_DPAD_DOWN},
    {"DPAD_LEFT", XINPUT_GAMEPAD_DPAD_LEFT},
    {"DPAD_RIGHT", XINPUT_GAMEPAD_DPAD_RIGHT},
    {"START", XINPUT_GAMEPAD_START},
    {"BACK", XINPUT_GAMEPAD_BACK},
    {"LB", XINPUT_GAMEPAD_LEFT_SHOULDER},
    {"RB", XINPUT_GAMEPAD_RIGHT_SHOULDER},
    {"L3", XINPUT_GAMEPAD_LEFT_THUMB},
    {"R3", XINPUT_GAMEPAD_RIGHT_THUMB},
};

struct FieldName {
  const char* name;
  std::int32_t min;
  std::int32_t max;
};

// Indexed by ScenarioField.
constexpr FieldName kFieldNames[kScenarioFieldCount] = {
    {"lx", -32768, 32767}, {"ly", -32768, 32767}, {"rx", -32768, 32767},
    {"ry", -32768, 32767}, {"lt", 0, 255},        {"rt", 0, 255},
};

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::size_t end = i;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    if (end > i) words.push_back(line.substr(i, end - i));
    i = end;
  }
  return words;
}

// A decimal integer with an optional leading minus and nothing else.
enum class NumberParse { kOk, kNotANumber, kOutOfRange };

NumberParse ParseInteger(const std::string& word, long long* value) {
  const char* first = word.data();
  const char* last = first + word.size();
  if (first == last || (*first != '-' && (*first < '0' || *first > '9'))) {
    return NumberParse::kNotANumber;
  }
  auto result = std::from_chars(first, last, *value);
  if (result.ec == std::errc::result_out_of_range) return NumberParse::kOutOfRange;
  if (result.ec != std::errc() || result.ptr != last) return NumberParse::kNotANumber;
  return NumberParse::kOk;
}

std::string Quoted(const std::string& word) { return "'" + word + "'"; }

class LineParser {
 public:
  LineParser(std::vector<std::string> words, std::string* error)
      : words(std::move(words)), error(error) {}

  bool Parse(ScenarioStep* step) {
    const std::string& command = words[0];
    if (command == "plug" || command == "unplug") {
      step->kind = command == "plug" ? ScenarioStep::Kind::kPlug : ScenarioStep::Kind::kUnplug;
      return ParseSlot(step) && NoMoreWords(2);
    }
    if (command == "press" || command == "release") {
      step->kind = command == "press" ? ScenarioStep::Kind::kPress : ScenarioStep::Kind::kRelease;
      return ParseSlot(step) && ParseButtons(step);
    }
    if (command == "set") {
      step->kind = ScenarioStep::Kind::kSet;
      return ParseSlot(step) && ParseFields(step);
    }
    if (command == "poll") {
      step->kind = ScenarioStep::Kind::kPoll;
      return ParsePollCount(step) && NoMoreWords(2);
    }
    return Fail("unknown command " + Quoted(command) +
                " (expected plug, unplug, press, release, set or poll)");
  }

 private:
  bool Fail(std::string message) {
    *error = std::move(message);
    return false;
  }

  bool ParseSlot(ScenarioStep* step) {
    if (words.size() < 2) return Fail(words[0] + ": missing slot (0 to 3)");
    long long slot = 0;
    if (ParseInteger(words[1], &slot) != NumberParse::kOk || slot < 0 || slot > 3) {
      return Fail(words[0] + ": slot must be 0 to 3, not " + Quoted(words[1]));
    }
    step->slot = static_cast<DWORD>(slot);
    return true;
  }

  bool NoMoreWords(std::size_t expected) {
    if (words.size() > expected) {
      return Fail(words[0] + ": unexpected extra word " + Quoted(words[expected]));
    }
    return true;
  }

  bool ParseButtons(ScenarioStep* step) {
    if (words.size() < 3) return Fail(words[0] + ": missing button name");
    for (std::size_t i = 2; i < words.size(); ++i) {
      bool found = false;
      for (const ButtonName& button : kButtonNames) {
        if (words[i] == button.name) {
          step->buttons = static_cast<WORD>(step->buttons | button.mask);
          found = true;
          break;
        }
      }
      if (!found) {
        return Fail(words[0] + ": unknown button " + Quoted(words[i]) +
                    " (expected A B X Y DPAD_UP DPAD_DOWN DPAD_LEFT DPAD_RIGHT START BACK LB RB "
                    "L3 R3)");
      }
    }
    return true;
  }

  bool ParseFields(ScenarioStep* step) {
    if (words.size() < 3) return Fail("set: missing field and value");
    for (std::size_t i = 2; i < words.size(); i += 2) {
      int field = -1;
      for (int f = 0; f < kScenarioFieldCount; ++f) {
        if (words[i] == kFieldNames[f].name) field = f;
      }
      if (field < 0) {
        return Fail("set: unknown field " + Quoted(words[i]) + " (expected lx ly rx ry lt rt)");
      }
      const FieldName& limits = kFieldNames[field];
      if (i + 1 >= words.size()) return Fail("set: missing value for " + Quoted(words[i]));
      long long value = 0;
      const NumberParse parsed = ParseInteger(words[i + 1], &value);
      const std::string range = std::to_string(limits.min) + " to " + std::to_string(limits.max);
      if (parsed == NumberParse::kNotANumber) {
        return Fail("set: value for " + Quoted(words[i]) +
                    " is not a whole number: " + Quoted(words[i + 1]));
      }
      if (parsed == NumberParse::kOutOfRange || value < limits.min || value > limits.max) {
        return Fail("set: value for " + Quoted(words[i]) + " must be " + range + ", not " +
                    Quoted(words[i + 1]));
      }
      step->fieldsSet = static_cast<std::uint8_t>(step->fieldsSet | (1u << field));
      step->values[field] = static_cast<std::int32_t>(value);
    }
    return true;
  }

  bool ParsePollCount(ScenarioStep* step) {
    if (words.size() < 2) {
      step->polls = 1;
      return true;
    }
    long long count = 0;
    const NumberParse parsed = ParseInteger(words[1], &count);
    if (parsed == NumberParse::kNotANumber) {
      return Fail("poll: count is not a whole number: " + Quoted(words[1]));
    }
    if (parsed == NumberParse::kOutOfRange && words[1][0] != '-') {
      return Fail("poll: count is too large: " + Quoted(words[1]));
    }
    if (parsed == NumberParse::kOutOfRange || count < 1) {
      return Fail("poll: count must be at least 1, not " + Quoted(words[1]));
    }
    step->polls = static_cast<std::uint64_t>(count);
    return true;
  }

  std::vector<std::string> words;
  std::string* error;
};

void ApplySet(const ScenarioStep& step) {
  XINPUT_GAMEPAD pad = scripted::Gamepad(step.slot);
  for (int f = 0; f < kScenarioFieldCount; ++f) {
    if ((step.fieldsSet & (1u << f)) == 0) continue;
    const std::int32_t v = step.values[f];
    switch (static_cast<ScenarioField>(f)) {
      case ScenarioField::kLX:
        pad.sThumbLX = static_cast<SHORT>(v);
        break;
      case ScenarioField::kLY:
        pad.sThumbLY = static_cast<SHORT>(v);
        break;
      case ScenarioField::kRX:
        pad.sThumbRX = static_cast<SHORT>(v);
        break;
      case ScenarioField::kRY:
        pad.sThumbRY = static_cast<SHORT>(v);
        break;
      case ScenarioField::kLT:
        pad.bLeftTrigger = static_cast<BYTE>(v);
        break;
      case ScenarioField::kRT:
        pad.bRightTrigger = static_cast<BYTE>(v);
        break;
    }
  }
  scripted::SetGamepad(step.slot, pad);
}

}  // namespace

std::uint64_t Scenario::TotalPolls() const {
  std::uint64_t total = 0;
  for (const ScenarioStep& step : steps) {
    if (step.kind == ScenarioStep::Kind::kPoll) total += step.polls;
  }
  return total;
}

bool ParseScenario(const std::string& text, Scenario* scenario, std::size_t* errorLine,
                   std::string* error) {
  scenario->steps.clear();
  std::size_t lineNumber = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;

    const std::size_t comment = line.find('#');
    if (comment != std::string::npos) line.erase(comment);
    if (!line.empty() && line.back() == '\r') line.pop_back();  // files saved on Windows
    if (line.find('\0') != std::string::npos) {
      *errorLine = lineNumber;
      *error = "line contains a NUL byte";
      return false;
    }
    std::vector<std::string> words = SplitWords(line);
    if (words.empty()) continue;

    ScenarioStep step;
    if (!LineParser(std::move(words), error).Parse(&step)) {
      *errorLine = lineNumber;
      return false;
    }
    scenario->steps.push_back(step);
  }
  return true;
}

std::string FormatScenario(const Scenario& scenario) {
  std::string text;
  for (const ScenarioStep& step : scenario.steps) {
    const std::string slot = " " + std::to_string(step.slot);
    switch (step.kind) {
      case ScenarioStep::Kind::kPlug:
        text += "plug" + slot;
        break;
      case ScenarioStep::Kind::kUnplug:
        text += "unplug" + slot;
        break;
      case ScenarioStep::Kind::kPress:
      case ScenarioStep::Kind::kRelease:
        text += (step.kind == ScenarioStep::Kind::kPress ? "press" : "release") + slot;
        for (const ButtonName& button : kButtonNames) {
          if ((step.buttons & button.mask) != 0) text += std::string(" ") + button.name;
        }
        break;
      case ScenarioStep::Kind::kSet:
        text += "set" + slot;
        for (int f = 0; f < kScenarioFieldCount; ++f) {
          if ((step.fieldsSet & (1u << f)) == 0) continue;
          text += std::string(" ") + kFieldNames[f].name + " " + std::to_string(step.values[f]);
        }
        break;
      case ScenarioStep::Kind::kPoll:
        text += "poll " + std::to_string(step.polls);
        break;
    }
    text += '\n';
  }
  return text;
}

void ApplyStep(const ScenarioStep& step) {
  switch (step.kind) {
    case ScenarioStep::Kind::kPlug:
      scripted::Plug(step.slot);
      break;
    case ScenarioStep::Kind::kUnplug:
      scripted::Unplug(step.slot);
      break;
    case ScenarioStep::Kind::kPress:
      scripted::Press(step.slot, step.buttons);
      break;
    case ScenarioStep::Kind::kRelease:
      scripted::Release(step.slot, step.buttons);
      break;
    case ScenarioStep::Kind::kSet:
      ApplySet(step);
      break;
    case ScenarioStep::Kind::kPoll:
      break;
  }
}

void PlayScenario(const Scenario& scenario, Application& application) {
  for (const ScenarioStep& step : scenario.steps) {
    if (step.kind != ScenarioStep::Kind::kPoll) {
      ApplyStep(step);
      continue;
    }
    // Output that can no longer be written ends the replay.
    for (std::uint64_t i = 0; i < step.polls; ++i) {
      if (!application.IsRunning() || !std::cout.good()) return;
      application.Update();
    }
  }
}
