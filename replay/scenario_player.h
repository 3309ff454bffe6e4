// Plays scenarios on the scripted platform through padwatch's core.
#ifndef PADWATCH_REPLAY_SCENARIO_PLAYER_H_
#define PADWATCH_REPLAY_SCENARIO_PLAYER_H_

#include <cstdint>

#include "replay/scenario.h"

class Application;

// Applies one step's change to the scripted platform's readings; a poll
// step changes nothing.
void ApplyStep(const ScenarioStep& step);

// Plays scenario on the scripted platform, calling application.Update() once
// per poll. Stops early, returning false, if the application stops,
// std::cout has failed or stopRequested (if given) returns true. With
// keepPace, each "at" step waits until its time since the start has come;
// otherwise the scenario plays as fast as it can.
bool PlayScenario(const Scenario& scenario, Application& application,
                  bool (*stopRequested)() = nullptr, bool keepPace = false);

// Plays scenario on the scripted platform, calling poll() once per poll,
// for a caller that polls the slots its own way; "at" steps are passed over.
template <typename Poll>
void PlayPolls(const Scenario& scenario, Poll&& poll) {
  scenario.ForEach([&poll](const ScenarioStep& step) {
    if (step.kind != ScenarioStep::Kind::kPoll) ApplyStep(step);
    for (std::uint64_t i = 0; step.kind == ScenarioStep::Kind::kPoll && i < step.polls; ++i) {
      poll();
    }
    return true;
  });
}

#endif  // PADWATCH_REPLAY_SCENARIO_PLAYER_H_
