#include "check/health/health_json.h"

#include <nlohmann/json.hpp>

#include "check/report/decimal_text.h"
#include "input/inputs.h"

namespace {

using Json = nlohmann::ordered_json;

Json Noise(const char* name, const AxisNoise& noise) {
  return {{"axis", name},
          {"mean", Rounded(noise.Mean(), 1)},
          {"standard_deviation", Rounded(noise.StandardDeviation(), 2)},
          {"peak_to_peak", Rounded(noise.PeakToPeak(), 0)},
          {"readings", noise.Count()}};
}

Json Outline(const char* name, const StickOutline& outline, bool done) {
  Json reach = Json::array();
  for (int d = 0; d < StickOutline::kDirections; ++d) {
    reach.push_back(Rounded(outline.Reach(d) * 100, 1));
  }
  return {{"stick", name},
          {"done", done},
          {"circularity_error_percent",
           outline.ShowsError() ? Json(Rounded(outline.CircularityErrorPercent(), 2)) : Json()},
          {"reach_percent", reach}};
}

Json Travel(const char* name, const TriggerTravel& travel, bool done) {
  return {{"trigger", name},
          {"done", done},
          {"highest", travel.Highest()},
          {"distinct_values", travel.DistinctValues()},
          {"pulls", travel.Pulls()},
          {"back_to_rest", travel.AtRest()}};
}

bool Done(const HealthFigures& figures, HealthStep step) {
  return figures.done[static_cast<int>(step)];
}

}  // namespace

std::string HealthJson(int slot, const HealthFigures& figures, const std::vector<CardLine>& card) {
  Json checks = Json::array();
  for (const CardLine& line : card) {
    checks.push_back(
        {{"check", line.check}, {"verdict", VerdictName(line.verdict)}, {"figure", line.figure}});
  }
  Json buttons = Json::array();
  for (std::size_t i = 0; i < kButtonCount; ++i) {
    buttons.push_back({{"button", kButtonInputs[i].name},
                       {"pressed", figures.buttons.Pressed(i)},
                       {"released", figures.buttons.Released(i)},
                       {"bounces", figures.buttons.Bounces(i)}});
  }
  Json steps = Json::array();
  for (int s = 0; s < kHealthStepCount; ++s) {
    steps.push_back({{"step", HealthStepName(static_cast<HealthStep>(s))},
                     {"started", figures.started[s]},
                     {"done", figures.done[s]}});
  }
  const Json json = {
      {"tool", "padwatch-check"},
      {"report", "health"},
      {"version", 1},
      {"slot", slot},
      {"exit_status", HealthExitStatus(card)},
      {"unplugged", figures.unplugged},
      {"checks", checks},
      {"steps", steps},
      {"rest",
       {{"sticks",
         {Noise("left x", figures.restSticks[0]), Noise("left y", figures.restSticks[1]),
          Noise("right x", figures.restSticks[2]), Noise("right y", figures.restSticks[3])}},
        {"triggers",
         {Noise("left", figures.restTriggers[0]), Noise("right", figures.restTriggers[1])}}}},
      {"sticks",
       {Outline("left", figures.outlines[0], Done(figures, HealthStep::kLeftStick)),
        Outline("right", figures.outlines[1], Done(figures, HealthStep::kRightStick))}},
      {"triggers",
       {Travel("left", figures.triggers[0], Done(figures, HealthStep::kLeftTrigger)),
        Travel("right", figures.triggers[1], Done(figures, HealthStep::kRightTrigger))}},
      {"buttons", buttons},
  };
  return json.dump(2, ' ', true, Json::error_handler_t::replace) + "\n";
}
