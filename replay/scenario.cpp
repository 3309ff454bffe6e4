#include "replay/scenario.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

struct DeviceCommand {
  const char* name;
  ScenarioStep::Kind kind;
};

constexpr DeviceCommand kDeviceCommands[] = {
    {"name", ScenarioStep::Kind::kName},           {"guid", ScenarioStep::Kind::kGuid},
    {"mapping", ScenarioStep::Kind::kMapping},     {"ids", ScenarioStep::Kind::kIds},
    {"subtype", ScenarioStep::Kind::kSubType},     {"wireless", ScenarioStep::Kind::kWireless},
    {"vibration", ScenarioStep::Kind::kVibration}, {"battery", ScenarioStep::Kind::kBattery},
};

struct NamedCode {
  const char* name;
  std::uint8_t code;
};

constexpr NamedCode kSubTypeNames[] = {
    {"gamepad", XINPUT_DEVSUBTYPE_GAMEPAD},
    {"wheel", XINPUT_DEVSUBTYPE_WHEEL},
    {"arcade_stick", XINPUT_DEVSUBTYPE_ARCADE_STICK},
    {"flight_stick", XINPUT_DEVSUBTYPE_FLIGHT_STICK},
    {"dance_pad", XINPUT_DEVSUBTYPE_DANCE_PAD},
    {"guitar", XINPUT_DEVSUBTYPE_GUITAR},
    {"guitar_alternate", XINPUT_DEVSUBTYPE_GUITAR_ALTERNATE},
    {"drum_kit", XINPUT_DEVSUBTYPE_DRUM_KIT},
    {"guitar_bass", XINPUT_DEVSUBTYPE_GUITAR_BASS},
    {"arcade_pad", XINPUT_DEVSUBTYPE_ARCADE_PAD},
    {"unknown", XINPUT_DEVSUBTYPE_UNKNOWN},
};

// "unknown" is no report at all; "other" a battery of unknown type.
constexpr NamedCode kBatteryTypeNames[] = {
    {"wired", BATTERY_TYPE_WIRED},       {"none", BATTERY_TYPE_DISCONNECTED},
    {"alkaline", BATTERY_TYPE_ALKALINE}, {"nimh", BATTERY_TYPE_NIMH},
    {"other", BATTERY_TYPE_UNKNOWN},
};

constexpr NamedCode kBatteryLevelNames[] = {
    {"empty", BATTERY_LEVEL_EMPTY},
    {"low", BATTERY_LEVEL_LOW},
    {"medium", BATTERY_LEVEL_MEDIUM},
    {"full", BATTERY_LEVEL_FULL},
};

const char* NameOf(const NamedCode* names, std::size_t count, std::uint8_t code) {
  for (std::size_t i = 0; i < count; ++i) {
    if (names[i].code == code) return names[i].name;
  }
  return "?";
}

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

// The compact form of a step: a first byte with the kind (bits 0-3) and the
// slot (bits 4-5), then for presses and releases the button mask (2 bytes),
// for sets the mask of fields given and 2 bytes for each, for polls the
// count in 7-bit groups, lowest first, with bit 7 set on all but the last;
// for texts their length so and their bytes; for the other device commands
// their ids, code, flag and level.
void PutWord(std::vector<std::uint8_t>* bytes, std::uint16_t word) {
  bytes->push_back(static_cast<std::uint8_t>(word & 0xFF));
  bytes->push_back(static_cast<std::uint8_t>(word >> 8));
}

std::uint16_t GetWord(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

void PutCount(std::vector<std::uint8_t>* bytes, std::uint64_t count) {
  while (count >= 0x80) {
    bytes->push_back(static_cast<std::uint8_t>((count & 0x7F) | 0x80));
    count >>= 7;
  }
  bytes->push_back(static_cast<std::uint8_t>(count));
}

std::uint64_t GetCount(const std::uint8_t** at) {
  std::uint64_t count = 0;
  for (int shift = 0;; shift += 7) {
    count |= static_cast<std::uint64_t>(**at & 0x7F) << shift;
    if ((*(*at)++ & 0x80) == 0) return count;
  }
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
    for (const DeviceCommand& device : kDeviceCommands) {
      if (command == device.name) {
        step->kind = device.kind;
        return ParseSlot(step) && ParseDevice(step);
      }
    }
    return Fail("unknown command " + QuoteWord(command) +
                " (expected plug, unplug, press, release, set, poll, name, guid, mapping, ids, "
                "subtype, wireless, vibration or battery)");
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

  // The words after the slot of a command about the device.
  bool ParseDevice(ScenarioStep* step) {
    const std::string& command = words[0];
    if (words.size() < 3) return Fail(command + ": missing value");
    switch (step->kind) {
      case ScenarioStep::Kind::kName:
      case ScenarioStep::Kind::kMapping:
        for (std::size_t i = 2; i < words.size(); ++i) {
          step->text += (i > 2 ? " " : "") + words[i];
        }
        return true;
      case ScenarioStep::Kind::kGuid:
        step->text = words[2];
        return NoMoreWords(3);
      case ScenarioStep::Kind::kIds:
        if (words.size() < 4) return Fail("ids: missing product id");
        return ParseHexId(words[2], &step->vendorId) && ParseHexId(words[3], &step->productId) &&
               NoMoreWords(4);
      case ScenarioStep::Kind::kSubType:
        return ParseCode(kSubTypeNames, &step->code) && NoMoreWords(3);
      case ScenarioStep::Kind::kWireless:
      case ScenarioStep::Kind::kVibration:
        if (words[2] != "yes" && words[2] != "no") {
          return Fail(command + ": expected yes or no, not " + QuoteWord(words[2]));
        }
        step->flag = words[2] == "yes";
        return NoMoreWords(3);
      case ScenarioStep::Kind::kBattery:
        return ParseBattery(step);
      default:
        return false;
    }
  }

  bool ParseHexId(const std::string& word, std::uint16_t* id) {
    unsigned value = 0;
    const auto result = std::from_chars(word.data(), word.data() + word.size(), value, 16);
    if (word.size() != 4 || result.ec != std::errc() || result.ptr != word.data() + 4) {
      return Fail("ids: expected four hexadecimal digits, not " + QuoteWord(word));
    }
    *id = static_cast<std::uint16_t>(value);
    return true;
  }

  template <std::size_t N>
  bool ParseCode(const NamedCode (&names)[N], std::uint8_t* code, std::size_t at = 2) {
    for (const NamedCode& name : names) {
      if (words[at] == name.name) {
        *code = name.code;
        return true;
      }
    }
    std::string expected;
    for (const NamedCode& name : names)
      expected += std::string(expected.empty() ? "" : " ") + name.name;
    return Fail(words[0] + ": unknown " + QuoteWord(words[at]) + " (expected " + expected + ")");
  }

  bool ParseBattery(ScenarioStep* step) {
    step->flag = words[2] != "unknown";
    if (!step->flag) return NoMoreWords(3);
    if (!ParseCode(kBatteryTypeNames, &step->code)) return false;
    if (step->code == BATTERY_TYPE_WIRED || step->code == BATTERY_TYPE_DISCONNECTED) {
      step->level = step->code == BATTERY_TYPE_WIRED ? BATTERY_LEVEL_FULL : BATTERY_LEVEL_EMPTY;
      return NoMoreWords(3);
    }
    if (words.size() < 4) return Fail("battery: missing level (empty low medium full)");
    return ParseCode(kBatteryLevelNames, &step->level, 3) && NoMoreWords(4);
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
  bytes.push_back(static_cast<std::uint8_t>(static_cast<unsigned>(step.kind) | (step.slot << 4)));
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
    case ScenarioStep::Kind::kPoll:
      PutCount(&bytes, step.polls);
      break;
    case ScenarioStep::Kind::kName:
    case ScenarioStep::Kind::kGuid:
    case ScenarioStep::Kind::kMapping:
      PutCount(&bytes, step.text.size());
      bytes.insert(bytes.end(), step.text.begin(), step.text.end());
      break;
    case ScenarioStep::Kind::kIds:
      PutWord(&bytes, step.vendorId);
      PutWord(&bytes, step.productId);
      break;
    case ScenarioStep::Kind::kSubType:
      bytes.push_back(step.code);
      break;
    case ScenarioStep::Kind::kWireless:
    case ScenarioStep::Kind::kVibration:
      bytes.push_back(step.flag ? 1 : 0);
      break;
    case ScenarioStep::Kind::kBattery:
      bytes.push_back(step.flag ? 1 : 0);
      bytes.push_back(step.code);
      bytes.push_back(step.level);
      break;
    case ScenarioStep::Kind::kPlug:
    case ScenarioStep::Kind::kUnplug:
      break;
  }
  ++stepCount;
}

std::size_t Scenario::Decode(const std::uint8_t* at, ScenarioStep* step) {
  const std::uint8_t* const start = at;
  *step = ScenarioStep();
  step->kind = static_cast<ScenarioStep::Kind>(*at & 15);
  step->slot = (*at >> 4) & 3;
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
      step->polls = GetCount(&at);
      break;
    case ScenarioStep::Kind::kName:
    case ScenarioStep::Kind::kGuid:
    case ScenarioStep::Kind::kMapping: {
      const std::size_t size = static_cast<std::size_t>(GetCount(&at));
      step->text.assign(reinterpret_cast<const char*>(at), size);
      at += size;
      break;
    }
    case ScenarioStep::Kind::kIds:
      step->vendorId = GetWord(at);
      step->productId = GetWord(at + 2);
      at += 4;
      break;
    case ScenarioStep::Kind::kSubType:
      step->code = *at++;
      break;
    case ScenarioStep::Kind::kWireless:
    case ScenarioStep::Kind::kVibration:
      step->flag = *at++ != 0;
      break;
    case ScenarioStep::Kind::kBattery:
      step->flag = at[0] != 0;
      step->code = at[1];
      step->level = at[2];
      at += 3;
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

namespace {

template <std::size_t N>
const char* NameOf(const NamedCode (&names)[N], std::uint8_t code) {
  return NameOf(names, N, code);
}

std::string FormatDeviceStep(const ScenarioStep& step, const std::string& slot) {
  for (const DeviceCommand& device : kDeviceCommands) {
    if (device.kind != step.kind) continue;
    std::string text = device.name + slot + " ";
    switch (step.kind) {
      case ScenarioStep::Kind::kIds: {
        char ids[16];
        std::snprintf(ids, sizeof(ids), "%04x %04x", static_cast<unsigned>(step.vendorId),
                      static_cast<unsigned>(step.productId));
        return text + ids;
      }
      case ScenarioStep::Kind::kSubType:
        return text + NameOf(kSubTypeNames, step.code);
      case ScenarioStep::Kind::kWireless:
      case ScenarioStep::Kind::kVibration:
        return text + (step.flag ? "yes" : "no");
      case ScenarioStep::Kind::kBattery:
        if (!step.flag) return text + "unknown";
        text += NameOf(kBatteryTypeNames, step.code);
        if (step.code == BATTERY_TYPE_WIRED || step.code == BATTERY_TYPE_DISCONNECTED) return text;
        return text + " " + NameOf(kBatteryLevelNames, step.level);
      default:
        return text + step.text;
    }
  }
  return "";
}

}  // namespace

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
      case ScenarioStep::Kind::kName:
      case ScenarioStep::Kind::kGuid:
      case ScenarioStep::Kind::kMapping:
      case ScenarioStep::Kind::kIds:
      case ScenarioStep::Kind::kSubType:
      case ScenarioStep::Kind::kWireless:
      case ScenarioStep::Kind::kVibration:
      case ScenarioStep::Kind::kBattery:
        text += FormatDeviceStep(step, slot);
        break;
    }
    text += '\n';
    return true;
  });
  return text;
}
