// One step of a scenario, and the compact form steps are kept in: a few
// bytes a step, less than half the text that describes it, so that a
// scenario of millions of lines takes little memory.
#ifndef PADWATCH_REPLAY_SCENARIO_STEP_H_
#define PADWATCH_REPLAY_SCENARIO_STEP_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "input/inputs.h"
#include "platform/xinput.h"

// The axes a `set` gives values to, in the order of kAxisInputs.
enum class ScenarioField { kLX, kLY, kRX, kRY, kLT, kRT };
constexpr int kScenarioFieldCount = static_cast<int>(kAxisCount);

struct ScenarioStep {
  enum class Kind {
    kPlug,
    kUnplug,
    kPress,
    kRelease,
    kSet,
    kPoll,
    kName,
    kGuid,
    kMapping,
    kIds,
    kSubType,
    kWireless,
    kVibration,
    kBattery,
    kAt,
  };
  Kind kind = Kind::kPoll;
  DWORD slot = 0;
  WORD buttons = 0;                               // kPress, kRelease
  std::uint8_t fieldsSet = 0;                     // kSet: bit i set when field i is given
  std::int32_t values[kScenarioFieldCount] = {};  // kSet
  std::uint64_t polls = 0;                        // kPoll
  std::uint64_t atMs = 0;                         // kAt
  std::string text;                               // kName, kGuid, kMapping
  std::uint16_t vendorId = 0;                     // kIds
  std::uint16_t productId = 0;                    // kIds
  // kSubType: the XINPUT_DEVSUBTYPE; kBattery: the BATTERY_TYPE.
  std::uint8_t code = 0;
  std::uint8_t level = 0;  // kBattery: the BATTERY_LEVEL
  // kWireless, kVibration: yes; kBattery: reported at all.
  bool flag = false;
};

// Appends the compact form of step to *bytes.
void EncodeStep(const ScenarioStep& step, std::vector<std::uint8_t>* bytes);

// Reads the step whose compact form starts at `at` into *step; returns the
// size of that form. `at` must point at a form EncodeStep wrote.
std::size_t DecodeStep(const std::uint8_t* at, ScenarioStep* step);

#endif  // PADWATCH_REPLAY_SCENARIO_STEP_H_
