#include "replay/scenario.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "input/device_codes.h"
#include "support/printable.h"

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

class LineParser;

// One command of the format: the step it makes, how the words after its
// name (and slot) are read, and how such a step is written back. This table
// drives reading, writing, and the list of commands messages give.
struct Command {
  const char* name;
  ScenarioStep::Kind kind;
  bool takesSlot;
  bool (LineParser::*read)(ScenarioStep* step);
  // Appends what follows "NAME SLOT" on the command's line.
  void (*write)(const ScenarioStep& step, std::string* text);
};

// Reads the words of one line into a step.
class LineParser {
 public:
  LineParser(std::vector<std::string> words, std::string* error)
      : words(std::move(words)), error(error) {}

  bool Parse(ScenarioStep* step);

  // One reader for each shape of command, as the table names them.
  bool ReadNothing(ScenarioStep* /*step*/) { return NoMoreWords(2); }

  bool ReadButtons(ScenarioStep* step) {
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

  bool ReadFields(ScenarioStep* step) {
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

  bool ReadPollCount(ScenarioStep* step) {
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
    return NoMoreWords(2);
  }

  bool ReadText(ScenarioStep* step) {
    if (!NeedValue()) return false;
    std::string text;
    for (std::size_t i = 2; i < words.size(); ++i) text += (i > 2 ? " " : "") + words[i];
    return Unescape(text, &step->text);
  }

  bool ReadWord(ScenarioStep* step) {
    return NeedValue() && NoMoreWords(3) && Unescape(words[2], &step->text);
  }

  bool ReadAt(ScenarioStep* step) {
    if (words.size() < 2) return Fail("at: missing time (milliseconds since the start)");
    long long ms = 0;
    if (ParseInteger(words[1], &ms) != NumberParse::kOk || ms < 0) {
      return Fail("at: time must be a whole number of milliseconds, not " + QuoteWord(words[1]));
    }
    if (static_cast<std::uint64_t>(ms) > kScenarioMaxAtMs) {
      return Fail("at: time must be at most " + std::to_string(kScenarioMaxAtMs) +
                  " ms (about 34 years), not " + QuoteWord(words[1]));
    }
    step->atMs = static_cast<std::uint64_t>(ms);
    return NoMoreWords(2);
  }

  bool ReadIds(ScenarioStep* step) {
    if (!NeedValue()) return false;
    if (words.size() < 4) return Fail("ids: missing product id");
    return ReadHexId(words[2], &step->vendorId) && ReadHexId(words[3], &step->productId) &&
           NoMoreWords(4);
  }

  bool ReadSubType(ScenarioStep* step) {
    return NeedValue() && ReadCode(kSubTypeCodes, 2, &step->code) && NoMoreWords(3);
  }

  bool ReadYesNo(ScenarioStep* step) {
    if (!NeedValue()) return false;
    if (words[2] != "yes" && words[2] != "no") {
      return Fail(words[0] + ": expected yes or no, not " + QuoteWord(words[2]));
    }
    step->flag = words[2] == "yes";
    return NoMoreWords(3);
  }

  bool ReadBattery(ScenarioStep* step) {
    if (!NeedValue()) return false;
    step->flag = words[2] != kNoBatteryReportName;
    if (!step->flag) return NoMoreWords(3);
    if (!ReadCode(kBatteryTypeCodes, 2, &step->code)) return false;
    if (step->code == BATTERY_TYPE_WIRED || step->code == BATTERY_TYPE_DISCONNECTED) {
      step->level = step->code == BATTERY_TYPE_WIRED ? BATTERY_LEVEL_FULL : BATTERY_LEVEL_EMPTY;
      return NoMoreWords(3);
    }
    if (words.size() < 4) return Fail("battery: missing level (empty low medium full)");
    return ReadCode(kBatteryLevelCodes, 3, &step->level) && NoMoreWords(4);
  }

 private:
  bool Fail(std::string message) {
    *error = std::move(message);
    return false;
  }

  bool ReadSlot(ScenarioStep* step) {
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

  // A device's text with its escapes (\\ and \xNN) undone.
  bool Unescape(const std::string& text, std::string* out) {
    out->clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '\\') {
        *out += text[i];
      } else if (i + 1 < text.size() && text[i + 1] == '\\') {
        *out += '\\';
        ++i;
      } else if (i + 3 < text.size() && text[i + 1] == 'x' && IsHex(text[i + 2]) &&
                 IsHex(text[i + 3])) {
        *out += static_cast<char>(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3]));
        i += 3;
      } else {
        return Fail(words[0] + ": unknown escape " + QuoteWord(text.substr(i, 4)) +
                    " (a backslash is written \\\\, any byte \\xNN)");
      }
    }
    if (out->size() > kScenarioMaxTextBytes) {
      return Fail(words[0] + ": text is longer than " + std::to_string(kScenarioMaxTextBytes) +
                  " bytes");
    }
    return true;
  }

  static bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  }
  static int HexValue(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

  // The commands about a device need a value after the slot.
  bool NeedValue() { return words.size() >= 3 || Fail(words[0] + ": missing value"); }

  bool ReadHexId(const std::string& word, std::uint16_t* id) {
    unsigned value = 0;
    const auto result = std::from_chars(word.data(), word.data() + word.size(), value, 16);
    if (word.size() != 4 || result.ec != std::errc() || result.ptr != word.data() + 4) {
      return Fail("ids: expected four hexadecimal digits, not " + QuoteWord(word));
    }
    *id = static_cast<std::uint16_t>(value);
    return true;
  }

  // words[at] as one of the table's scenario names.
  template <std::size_t N>
  bool ReadCode(const DeviceCode (&table)[N], std::size_t at, std::uint8_t* code) {
    for (const DeviceCode& entry : table) {
      if (words[at] == entry.scenarioName) {
        *code = entry.code;
        return true;
      }
    }
    std::string expected;
    for (const DeviceCode& entry : table) {
      expected += std::string(expected.empty() ? "" : " ") + entry.scenarioName;
    }
    return Fail(words[0] + ": unknown " + QuoteWord(words[at]) + " (expected " + expected + ")");
  }

  std::vector<std::string> words;
  std::string* error;
};

template <std::size_t N>
const char* ScenarioName(const DeviceCode (&table)[N], std::uint8_t code) {
  const DeviceCode* entry = FindDeviceCode(table, code);
  return entry != nullptr ? entry->scenarioName : "?";
}

void WriteNothing(const ScenarioStep& /*step*/, std::string* /*text*/) {}

void WriteButtons(const ScenarioStep& step, std::string* text) {
  for (const ButtonInput& button : kButtonInputs) {
    if ((step.buttons & button.mask) != 0) text->append(" ").append(button.scenarioName);
  }
}

void WriteFields(const ScenarioStep& step, std::string* text) {
  for (int f = 0; f < kScenarioFieldCount; ++f) {
    if ((step.fieldsSet & (1u << f)) == 0) continue;
    text->append(" ").append(kAxisInputs[f].scenarioName).append(" ");
    text->append(std::to_string(step.values[f]));
  }
}

void WritePollCount(const ScenarioStep& step, std::string* text) {
  text->append(" ").append(std::to_string(step.polls));
}

// A device's text as reading gives it back: a backslash as \\, and as \xNN
// every byte that is not printable ASCII, '#' (which starts a comment) and
// every space but one between two words (the reader joins words with one;
// a word alone, as a GUID, keeps none).
std::string Escaped(const std::string& text, bool oneWord) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool lone = c == ' ' && !oneWord && i > 0 && i + 1 < text.size() && text[i - 1] != ' ' &&
                      text[i + 1] != ' ';
    if (c == '\\') {
      out += "\\\\";
    } else if (c > ' ' && c < 0x7F && c != '#') {
      out += static_cast<char>(c);
    } else if (lone) {
      out += ' ';
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

void WriteText(const ScenarioStep& step, std::string* text) {
  text->append(" ").append(Escaped(step.text, false));
}

void WriteWord(const ScenarioStep& step, std::string* text) {
  text->append(" ").append(Escaped(step.text, true));
}

void WriteAt(const ScenarioStep& step, std::string* text) {
  text->append(" ").append(std::to_string(step.atMs));
}

void WriteIds(const ScenarioStep& step, std::string* text) {
  char ids[16];
  std::snprintf(ids, sizeof(ids), " %04x %04x", static_cast<unsigned>(step.vendorId),
                static_cast<unsigned>(step.productId));
  text->append(ids);
}

void WriteSubType(const ScenarioStep& step, std::string* text) {
  text->append(" ").append(ScenarioName(kSubTypeCodes, step.code));
}

void WriteYesNo(const ScenarioStep& step, std::string* text) {
  text->append(step.flag ? " yes" : " no");
}

void WriteBattery(const ScenarioStep& step, std::string* text) {
  if (!step.flag) {
    text->append(" ").append(kNoBatteryReportName);
    return;
  }
  text->append(" ").append(ScenarioName(kBatteryTypeCodes, step.code));
  if (step.code == BATTERY_TYPE_WIRED || step.code == BATTERY_TYPE_DISCONNECTED) return;
  text->append(" ").append(ScenarioName(kBatteryLevelCodes, step.level));
}

using Kind = ScenarioStep::Kind;
using Parser = LineParser;

constexpr Command kCommands[] = {
    {"plug", Kind::kPlug, true, &Parser::ReadNothing, WriteNothing},
    {"unplug", Kind::kUnplug, true, &Parser::ReadNothing, WriteNothing},
    {"press", Kind::kPress, true, &Parser::ReadButtons, WriteButtons},
    {"release", Kind::kRelease, true, &Parser::ReadButtons, WriteButtons},
    {"set", Kind::kSet, true, &Parser::ReadFields, WriteFields},
    {"poll", Kind::kPoll, false, &Parser::ReadPollCount, WritePollCount},
    {"name", Kind::kName, true, &Parser::ReadText, WriteText},
    {"guid", Kind::kGuid, true, &Parser::ReadWord, WriteWord},
    {"mapping", Kind::kMapping, true, &Parser::ReadText, WriteText},
    {"ids", Kind::kIds, true, &Parser::ReadIds, WriteIds},
    {"subtype", Kind::kSubType, true, &Parser::ReadSubType, WriteSubType},
    {"wireless", Kind::kWireless, true, &Parser::ReadYesNo, WriteYesNo},
    {"vibration", Kind::kVibration, true, &Parser::ReadYesNo, WriteYesNo},
    {"battery", Kind::kBattery, true, &Parser::ReadBattery, WriteBattery},
    {"at", Kind::kAt, false, &Parser::ReadAt, WriteAt},
};

// "plug, unplug, ... or battery".
std::string CommandList() {
  std::string list;
  const std::size_t count = sizeof(kCommands) / sizeof(kCommands[0]);
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) list += i + 1 == count ? " or " : ", ";
    list += kCommands[i].name;
  }
  return list;
}

bool LineParser::Parse(ScenarioStep* step) {
  for (const Command& command : kCommands) {
    if (words[0] != command.name) continue;
    step->kind = command.kind;
    if (command.takesSlot && !ReadSlot(step)) return false;
    return (this->*command.read)(step);
  }
  return Fail("unknown command " + QuoteWord(words[0]) + " (expected " + CommandList() + ")");
}

}  // namespace

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
    // One byte more for the CR of a CRLF, checked once the line is whole.
    if (line.size() + (stop - data) > kScenarioMaxLineBytes + 1) {
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
  if (line.size() > kScenarioMaxLineBytes) {
    return Fail(lineNumber,
                "line is longer than " + std::to_string(kScenarioMaxLineBytes) + " bytes");
  }
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
  if (step.kind == ScenarioStep::Kind::kAt) {
    // A recording's clock only goes forward: an earlier time is a damaged
    // or edited file, and --realtime could not keep its pace.
    if (step.atMs < lastAtMs) {
      return Fail(lineNumber, "at: time " + std::to_string(step.atMs) +
                                  " is earlier than the previous at (" + std::to_string(lastAtMs) +
                                  ")");
    }
    lastAtMs = step.atMs;
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

std::string FormatStep(const ScenarioStep& step) {
  std::string text;
  for (const Command& command : kCommands) {
    if (command.kind != step.kind) continue;
    text += command.name;
    if (command.takesSlot) text += " " + std::to_string(step.slot);
    command.write(step, &text);
    break;
  }
  return text + '\n';
}

std::string FormatScenario(const Scenario& scenario) {
  std::string text;
  scenario.ForEach([&](const ScenarioStep& step) {
    text += FormatStep(step);
    return true;
  });
  return text;
}
