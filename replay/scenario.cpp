#include "replay/scenario.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

namespace {

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

// The compact form of a step: a first byte with the kind (bits 0-2) and the
// slot (bits 3-4), then for presses and releases the button mask (2 bytes),
// for sets the mask of fields given and 2 bytes for each, for polls the
// count in 7-bit groups, lowest first, with bit 7 set on all but the last.
void PutWord(std::vector<std::uint8_t>* bytes, std::uint16_t word) {
  bytes->push_back(static_cast<std::uint8_t>(word & 0xFF));
  bytes->push_back(static_cast<std::uint8_t>(word >> 8));
}

std::uint16_t GetWord(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

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
    return Fail("unknown command " + QuoteWord(command) +
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
      return Fail(words[0] + ": slot must be 0 to 3, not " + QuoteWord(words[1]));
    }
    step->slot = static_cast<DWORD>(slot);
    return true;
  }

  bool NoMoreWords(std::size_t expected) {
    if (words.size() > expected) {
      return Fail(words[0] + ": unexpected extra word " + QuoteWord(words[expected]));
    }
    return true;
  }

  bool ParseButtons(ScenarioStep* step) {
    if (words.size() < 3) return Fail(words[0] + ": missing button name");
    for (std::size_t i = 2; i < words.size(); ++i) {
      bool found = false;
      for (const ButtonInput& button : kButtonInputs) {
        if (words[i] == button.scenarioName) {
          step->buttons = static_cast<WORD>(step->buttons | button.mask);
          found = true;
          break;
        }
      }
      if (!found) {
        return Fail(words[0] + ": unknown button " + QuoteWord(words[i]) +
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
        if (words[i] == kAxisInputs[f].scenarioName) field = f;
      }
      if (field < 0) {
        return Fail("set: unknown field " + QuoteWord(words[i]) + " (expected lx ly rx ry lt rt)");
      }
      const AxisInput& axis = kAxisInputs[field];
      if (i + 1 >= words.size()) return Fail("set: missing value for " + QuoteWord(words[i]));
      long long value = 0;
      const NumberParse parsed = ParseInteger(words[i + 1], &value);
      const std::string range = std::to_string(axis.Min()) + " to " + std::to_string(axis.Max());
      if (parsed == NumberParse::kNotANumber) {
        return Fail("set: value for " + QuoteWord(words[i]) +
                    " is not a whole number: " + QuoteWord(words[i + 1]));
      }
      if (parsed == NumberParse::kOutOfRange || value < axis.Min() || value > axis.Max()) {
        return Fail("set: value for " + QuoteWord(words[i]) + " must be " + range + ", not " +
                    QuoteWord(words[i + 1]));
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
      return Fail("poll: count is not a whole number: " + QuoteWord(words[1]));
    }
    if (parsed == NumberParse::kOutOfRange && words[1][0] != '-') {
      return Fail("poll: count is too large: " + QuoteWord(words[1]));
    }
    if (parsed == NumberParse::kOutOfRange || count < 1) {
      return Fail("poll: count must be at least 1, not " + QuoteWord(words[1]));
    }
    step->polls = static_cast<std::uint64_t>(count);
    return true;
  }

  std::vector<std::string> words;
  std::string* error;
};

}  // namespace

void Scenario::Add(const ScenarioStep& step) {
  bytes.push_back(static_cast<std::uint8_t>(static_cast<unsigned>(step.kind) | (step.slot << 3)));
  switch (step.kind) {
    case ScenarioStep::Kind::kPress:
    case ScenarioStep::Kind::kRelease:
      PutWord(&bytes, step.buttons);
      break;
    case ScenarioStep::Kind::kSet:
      bytes.push_back(step.fieldsSet);
      for (int f = 0; f < kScenarioFieldCount; ++f) {
        if ((step.fieldsSet & (1u << f)) != 0) {
          PutWord(&bytes, static_cast<std::uint16_t>(step.values[f]));
        }
      }
      break;
    case ScenarioStep::Kind::kPoll: {
      std::uint64_t polls = step.polls;
      while (polls >= 0x80) {
        bytes.push_back(static_cast<std::uint8_t>((polls & 0x7F) | 0x80));
        polls >>= 7;
      }
      bytes.push_back(static_cast<std::uint8_t>(polls));
      break;
    }
    case ScenarioStep::Kind::kPlug:
    case ScenarioStep::Kind::kUnplug:
      break;
  }
  ++stepCount;
}

std::size_t Scenario::Decode(const std::uint8_t* at, ScenarioStep* step) {
  const std::uint8_t* const start = at;
  *step = ScenarioStep();
  step->kind = static_cast<ScenarioStep::Kind>(*at & 7);
  step->slot = (*at >> 3) & 3;
  ++at;
  switch (step->kind) {
    case ScenarioStep::Kind::kPress:
    case ScenarioStep::Kind::kRelease:
      step->buttons = GetWord(at);
      at += 2;
      break;
    case ScenarioStep::Kind::kSet:
      step->fieldsSet = *at++;
      for (int f = 0; f < kScenarioFieldCount; ++f) {
        if ((step->fieldsSet & (1u << f)) == 0) continue;
        const std::uint16_t word = GetWord(at);
        at += 2;
        // Sticks are signed; triggers (0 to 255) read the same either way.
        step->values[f] = f < 4 ? static_cast<std::int16_t>(word) : word;
      }
      break;
    case ScenarioStep::Kind::kPoll:
      for (int shift = 0;; shift += 7) {
        step->polls |= static_cast<std::uint64_t>(*at & 0x7F) << shift;
        if ((*at++ & 0x80) == 0) break;
      }
      break;
    case ScenarioStep::Kind::kPlug:
    case ScenarioStep::Kind::kUnplug:
      break;
  }
  return static_cast<std::size_t>(at - start);
}

std::vector<ScenarioStep> Scenario::Steps() const {
  std::vector<ScenarioStep> steps;
  steps.reserve(stepCount);
  ForEach([&](const ScenarioStep& step) {
    steps.push_back(step);
    return true;
  });
  return steps;
}

std::uint64_t Scenario::TotalPolls() const {
  std::uint64_t total = 0;
  ForEach([&](const ScenarioStep& step) {
    if (step.kind == ScenarioStep::Kind::kPoll) total += step.polls;
    return true;
  });
  return total;
}

bool ScenarioReader::Feed(const char* data, std::size_t size) {
  if (failed) return false;
  if (size > kScenarioMaxBytes - total) {
    return Fail(0, "scenario is larger than " + std::to_string(kScenarioMaxBytes >> 20) + " MiB");
  }
  total += size;
  const char* const end = data + size;
  while (data < end) {
    const char* newline = static_cast<const char*>(std::memchr(data, '\n', end - data));
    const char* const stop = newline != nullptr ? newline : end;
    // A NUL is reported at once, so that no amount of binary input is held.
    if (std::memchr(data, '\0', stop - data) != nullptr) {
      return Fail(lineNumber + 1, "line contains a NUL byte");
    }
    if (line.size() + (stop - data) > kScenarioMaxLineBytes) {
      return Fail(lineNumber + 1,
                  "line is longer than " + std::to_string(kScenarioMaxLineBytes) + " bytes");
    }
    line.append(data, stop);
    data = stop;
    if (newline != nullptr) {
      ++data;
      if (!EndLine()) return false;
    }
  }
  return true;
}

bool ScenarioReader::Finish() {
  if (failed) return false;
  return line.empty() || EndLine();
}

bool ScenarioReader::Fail(std::size_t badLine, std::string message) {
  failed = true;
  errorLine = badLine;
  error = std::move(message);
  return false;
}

bool ScenarioReader::EndLine() {
  ++lineNumber;
  // Editors on Windows may start the file with a byte order mark and end
  // lines with CRLF.
  if (lineNumber == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.find('\r') != std::string::npos) {
    return Fail(lineNumber,
                "carriage return inside the line (lines must end with LF or CRLF, "
                "not CR alone)");
  }
  const std::size_t comment = line.find('#');
  if (comment != std::string::npos) line.erase(comment);
  std::vector<std::string> words = SplitWords(line);
  line.clear();
  if (words.empty()) return true;

  ScenarioStep step;
  std::string message;
  if (!LineParser(std::move(words), &message).Parse(&step)) {
    return Fail(lineNumber, std::move(message));
  }
  scenario->Add(step);
  return true;
}

bool ParseScenario(const std::string& text, Scenario* scenario, std::size_t* errorLine,
                   std::string* error) {
  *scenario = Scenario();
  ScenarioReader reader(scenario);
  if (reader.Feed(text.data(), text.size()) && reader.Finish()) return true;
  *errorLine = reader.ErrorLine();
  *error = reader.Error();
  return false;
}

std::string Printable(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string shown;
  for (const char byte : text) {
    const unsigned char c = static_cast<unsigned char>(byte);
    if (c >= 0x20 && c < 0x7F) {
      shown += byte;
    } else {
      shown += "\\x";
      shown += kHex[c >> 4];
      shown += kHex[c & 15];
    }
  }
  return shown;
}

std::string QuoteWord(const std::string& word) {
  if (word.size() <= kShownWordBytes) return "'" + Printable(word) + "'";
  return "'" + Printable(word.substr(0, kShownWordBytes)) + "...'";
}

std::string FormatScenario(const Scenario& scenario) {
  std::string text;
  scenario.ForEach([&](const ScenarioStep& step) {
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
        for (const ButtonInput& button : kButtonInputs) {
          if ((step.buttons & button.mask) != 0) text += std::string(" ") + button.scenarioName;
        }
        break;
      case ScenarioStep::Kind::kSet:
        text += "set" + slot;
        for (int f = 0; f < kScenarioFieldCount; ++f) {
          if ((step.fieldsSet & (1u << f)) == 0) continue;
          text +=
              std::string(" ") + kAxisInputs[f].scenarioName + " " + std::to_string(step.values[f]);
        }
        break;
      case ScenarioStep::Kind::kPoll:
        text += "poll " + std::to_string(step.polls);
        break;
    }
    text += '\n';
    return true;
  });
  return text;
}
