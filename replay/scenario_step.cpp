#include "replay/scenario_step.h"

namespace {

// The compact form of a step: a first byte with the kind (bits 0-3) and the
// slot (bits 4-5), then for presses and releases the button mask (2 bytes),
// for sets the mask of fields given and 2 bytes for each, for polls the
// count (and for "at" the time) in 7-bit groups, lowest first, with bit 7
// set on all but the last;
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

}  // namespace

void EncodeStep(const ScenarioStep& step, std::vector<std::uint8_t>* bytes) {
  bytes->push_back(static_cast<std::uint8_t>(static_cast<unsigned>(step.kind) | (step.slot << 4)));
  switch (step.kind) {
    case ScenarioStep::Kind::kPress:
    case ScenarioStep::Kind::kRelease:
      PutWord(bytes, step.buttons);
      break;
    case ScenarioStep::Kind::kSet:
      bytes->push_back(step.fieldsSet);
      for (int f = 0; f < kScenarioFieldCount; ++f) {
        if ((step.fieldsSet & (1u << f)) != 0) {
          PutWord(bytes, static_cast<std::uint16_t>(step.values[f]));
        }
      }
      break;
    case ScenarioStep::Kind::kPoll:
      PutCount(bytes, step.polls);
      break;
    case ScenarioStep::Kind::kAt:
      PutCount(bytes, step.atMs);
      break;
    case ScenarioStep::Kind::kName:
    case ScenarioStep::Kind::kGuid:
    case ScenarioStep::Kind::kMapping:
      PutCount(bytes, step.text.size());
      bytes->insert(bytes->end(), step.text.begin(), step.text.end());
      break;
    case ScenarioStep::Kind::kIds:
      PutWord(bytes, step.vendorId);
      PutWord(bytes, step.productId);
      break;
    case ScenarioStep::Kind::kSubType:
      bytes->push_back(step.code);
      break;
    case ScenarioStep::Kind::kWireless:
    case ScenarioStep::Kind::kVibration:
      bytes->push_back(step.flag ? 1 : 0);
      break;
    case ScenarioStep::Kind::kBattery:
      bytes->push_back(step.flag ? 1 : 0);
      bytes->push_back(step.code);
      bytes->push_back(step.level);
      break;
    case ScenarioStep::Kind::kPlug:
    case ScenarioStep::Kind::kUnplug:
      break;
  }
}

std::size_t DecodeStep(const std::uint8_t* at, ScenarioStep* step) {
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
    case ScenarioStep::Kind::kAt:
      step->atMs = GetCount(&at);
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
