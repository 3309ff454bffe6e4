#include "check/health/trigger_travel.h"

#include "input/inputs.h"

void TriggerTravel::Add(std::uint8_t value) {
  seen.set(value);
  if (value > highest) highest = value;
  last = value;
  if (!pulling && value > 255 / 2) pulling = true;
  if (pulling && AtRest()) {
    pulling = false;
    ++pulls;
  }
}

bool TriggerTravel::AtRest() const { return last <= kTriggerThreshold; }
