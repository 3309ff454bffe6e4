// Plays scenarios on the scripted platform through padwatch's core.
#ifndef PADWATCH_REPLAY_SCENARIO_PLAYER_H_
#define PADWATCH_REPLAY_SCENARIO_PLAYER_H_

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

#endif  // PADWATCH_REPLAY_SCENARIO_PLAYER_H_
