#include "check/health/health_card.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "check/report/decimal_text.h"
#include "input/inputs.h"

namespace {

Verdict Worst(Verdict a, Verdict b) {
  // Faulty over not measured over worn over good.
  auto rank = [](Verdict v) {
    switch (v) {
      case Verdict::kFaulty:
        return 3;
      case Verdict::kNotMeasured:
        return 2;
      case Verdict::kWorn:
        return 1;
      default:
        return 0;
    }
  };
  return rank(a) >= rank(b) ? a : b;
}

// A stick at rest: where it rests, how it moves there, and how far the two
// together take it toward the dead zone's edge; and the kernel's filters,
// which hide noise smaller than their fuzz.
CardLine RestLine(const char* name, const AxisNoise& x, const AxisNoise& y, std::int32_t deadZone,
                  const std::string& filters, bool done) {
  if (!done) return {name, "not measured", Verdict::kNotMeasured};
  // The furthest either axis strayed from the centre: its mean plus half its
  // peak to peak.
  const double reach =
      std::max(std::fabs(x.Mean()) + x.PeakToPeak() / 2, std::fabs(y.Mean()) + y.PeakToPeak() / 2);
  const double share = reach / deadZone;
  const Verdict verdict = share > 1                     ? Verdict::kFaulty
                          : share > kRestWornOfDeadZone ? Verdict::kWorn
                                                        : Verdict::kGood;
  return {name,
          "rests at (" + Fixed(x.Mean(), 0) + ", " + Fixed(y.Mean(), 0) + "), noise " +
              Fixed(x.StandardDeviation(), 1) + "/" + Fixed(y.StandardDeviation(), 1) +
              ", peak to peak " + Fixed(x.PeakToPeak(), 0) + "/" + Fixed(y.PeakToPeak(), 0) +
              "; strays to " + Fixed(share * 100, 0) + "% of the dead zone" +
              (filters.empty() ? "" : "; read through the kernel's filters, " + filters),
          verdict};
}

CardLine TriggerRestLine(const char* name, const AxisNoise& trigger, bool done) {
  if (!done) return {name, "not measured", Verdict::kNotMeasured};
  const double highest = trigger.Highest();
  const Verdict verdict = highest > kTriggerThreshold       ? Verdict::kFaulty
                          : highest > kTriggerThreshold / 2 ? Verdict::kWorn
                                                            : Verdict::kGood;
  return {name,
          "highest " + Fixed(highest, 0) + " at rest (threshold " +
              std::to_string(kTriggerThreshold) + ")",
          verdict};
}

const char* const kMainDirections[] = {"right", "up-right",  "up",   "up-left",
                                       "left",  "down-left", "down", "down-right"};

CardLine OutlineLine(const char* name, const StickOutline& outline, bool done) {
  if (!outline.ShowsError()) return {name, "not measured", Verdict::kNotMeasured};
  // The lowest reach among the directions the error counts: one the step
  // ended before the stick went through is not a dent.
  int lowest = -1;
  for (int d = 0; d < StickOutline::kDirections; ++d) {
    if (outline.Reach(d) <= 0.2) continue;
    if (lowest < 0 || outline.Reach(d) < outline.Reach(lowest)) lowest = d;
  }
  const double lowestPercent = outline.Reach(lowest) * 100;
  const double error = outline.CircularityErrorPercent();
  std::string figure = "circularity error " + Fixed(error, 1) + "%; reach";
  // A main direction with no reading at all was not seen, which is not a
  // reach of 0%: a watcher that reads a quick turn too seldom misses a few
  // directions even though the step counts the stick as gone round.
  for (int m = 0; m < 8; m += 2) {
    const double percent = outline.MainReachPercent(m);
    figure += std::string(m == 0 ? " " : ", ") + kMainDirections[m] + " " +
              (percent > 0 ? Fixed(percent, 0) + "%" : std::string("not seen"));
  }
  figure += "; lowest " + Fixed(lowestPercent, 0) + "% at " +
            Fixed(lowest * 360.0 / StickOutline::kDirections, 1) + " degrees";
  Verdict verdict = Verdict::kGood;
  if (lowestPercent < kReachFaultyPercent || error > kCircularityFaultyPercent) {
    verdict = Verdict::kFaulty;
  } else if (lowestPercent < kReachWornPercent || error > kCircularityWornPercent) {
    verdict = Verdict::kWorn;
  }
  if (!done) {
    figure += "; not gone round";
    verdict = Worst(verdict, Verdict::kNotMeasured);
  }
  return {name, figure, verdict};
}

CardLine TravelLine(const char* name, const TriggerTravel& travel, bool started, bool cutShort) {
  // A trigger that moved but never got past half its travel was measured:
  // it is faulty, not unmeasured.
  if (!started || travel.Highest() <= kTriggerThreshold) {
    return {name, "not measured", Verdict::kNotMeasured};
  }
  const Verdict verdict = !travel.AtRest() || travel.Highest() <= 255 / 2 ? Verdict::kFaulty
                          : travel.Highest() < 255                        ? Verdict::kWorn
                                                                          : Verdict::kGood;
  return {name,
          "highest " + std::to_string(travel.Highest()) + " of 255, " +
              std::to_string(travel.DistinctValues()) + " values, " +
              std::to_string(travel.Pulls()) + " pulls, " +
              (travel.AtRest() ? "back to rest" : "not back to rest") +
              (cutShort ? "; stopped before the end" : ""),
          cutShort ? Verdict::kNotMeasured : verdict};
}

CardLine ButtonsLine(const ButtonLog& log, bool started, bool cutShort) {
  if (!started) return {"buttons", "not measured", Verdict::kNotMeasured};
  std::string never, bounced;
  for (std::size_t i = 0; i < kButtonCount; ++i) {
    if (!log.Pressed(i) || !log.Released(i)) never += std::string(" ") + kButtonInputs[i].name;
    if (log.Bounces(i) > 0) {
      bounced +=
          std::string(" ") + kButtonInputs[i].name + " (" + std::to_string(log.Bounces(i)) + ")";
    }
  }
  std::string figure =
      std::to_string(log.Seen()) + " of " + std::to_string(kButtonCount) + " pressed and released";
  if (!never.empty()) figure += "; never seen:" + never;
  figure += bounced.empty() ? "; no bounce" : "; bounced:" + bounced;
  // Buttons not pressed yet when the check was stopped are not missing.
  if (cutShort) return {"buttons", figure + "; stopped before the end", Verdict::kNotMeasured};
  const Verdict verdict = !never.empty()     ? Verdict::kFaulty
                          : !bounced.empty() ? Verdict::kWorn
                                             : Verdict::kGood;
  return {"buttons", figure, verdict};
}

const char* MotorText(MotorResult result) {
  switch (result) {
    case MotorResult::kAccepted:
      return "accepted";
    case MotorResult::kRejected:
      return "refused";
    case MotorResult::kNotTried:
      break;
  }
  return "not tried";
}

CardLine RumbleLine(const HealthExtras& extras) {
  const RumbleResult& rumble = extras.rumble;
  if (!extras.rumbleTried || !rumble.connected) {
    return {"rumble", "not measured", Verdict::kNotMeasured};
  }
  if (!rumble.supported) return {"rumble", "the controller has no motors", Verdict::kInfo};
  const bool good = rumble.lowFrequency == MotorResult::kAccepted &&
                    rumble.highFrequency == MotorResult::kAccepted;
  const bool tried = rumble.lowFrequency != MotorResult::kNotTried &&
                     rumble.highFrequency != MotorResult::kNotTried;
  return {"rumble",
          std::string("low-frequency motor ") + MotorText(rumble.lowFrequency) +
              ", high-frequency motor " + MotorText(rumble.highFrequency),
          good    ? Verdict::kGood
          : tried ? Verdict::kFaulty
                  : Verdict::kNotMeasured};
}

CardLine RateLine(const std::vector<double>& times) {
  const RateStats stats = ComputeRateStats(times);
  if (!stats.enough) {
    return {"report rate", std::to_string(stats.reports) + " reports, too few to measure",
            Verdict::kInfo};
  }
  return {"report rate",
          "median interval " + Fixed(stats.medianMs, 2) + " ms (mean " + Fixed(stats.meanHz, 1) +
              " Hz) over " + std::to_string(stats.reports) +
              " reports while the sticks moved, by polling",
          Verdict::kInfo};
}

// The gyroscope's bias is a figure only: games and drivers calibrate it
// away. An acceleration far from 1 g on a still pad is a fault.
CardLine MotionRestLine(const HealthExtras& extras) {
  const MotionRest& rest = extras.motionRest;
  if (rest.Readings() == 0) {
    return {"motion at rest",
            "not read" + (extras.motionMissing.empty() ? "" : ": " + extras.motionMissing),
            Verdict::kInfo};
  }
  const double g = rest.MagnitudeG();
  return {"motion at rest",
          "gyro bias " + XyzText({rest.BiasDps(0), rest.BiasDps(1), rest.BiasDps(2)}, 2) +
              " deg/s; acceleration " + Fixed(g, 3) + " g over " + std::to_string(rest.Readings()) +
              " readings",
          g >= kGravityLowG && g <= kGravityHighG ? Verdict::kGood : Verdict::kFaulty};
}

int Index(HealthStep step) { return static_cast<int>(step); }

}  // namespace

const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::kGood:
      return "good";
    case Verdict::kWorn:
      return "worn";
    case Verdict::kFaulty:
      return "faulty";
    case Verdict::kNotMeasured:
      return "not measured";
    case Verdict::kInfo:
      break;
  }
  return "info";
}

std::vector<CardLine> MakeHealthCard(const HealthFigures& figures, const HealthExtras& extras) {
  const bool rest = figures.done[Index(HealthStep::kRest)];
  return {
      RestLine("left stick at rest", figures.restSticks[0], figures.restSticks[1],
               kLeftStickDeadZone, extras.stickFilters[0], rest),
      RestLine("right stick at rest", figures.restSticks[2], figures.restSticks[3],
               kRightStickDeadZone, extras.stickFilters[1], rest),
      TriggerRestLine("left trigger at rest", figures.restTriggers[0], rest),
      TriggerRestLine("right trigger at rest", figures.restTriggers[1], rest),
      MotionRestLine(extras),
      OutlineLine("left stick's reach", figures.outlines[0],
                  figures.done[Index(HealthStep::kLeftStick)]),
      OutlineLine("right stick's reach", figures.outlines[1],
                  figures.done[Index(HealthStep::kRightStick)]),
      TravelLine("left trigger's travel", figures.triggers[0],
                 figures.started[Index(HealthStep::kLeftTrigger)],
                 figures.cutShort[Index(HealthStep::kLeftTrigger)]),
      TravelLine("right trigger's travel", figures.triggers[1],
                 figures.started[Index(HealthStep::kRightTrigger)],
                 figures.cutShort[Index(HealthStep::kRightTrigger)]),
      ButtonsLine(figures.buttons, figures.started[Index(HealthStep::kButtons)],
                  figures.cutShort[Index(HealthStep::kButtons)]),
      RumbleLine(extras),
      {"battery", extras.battery.empty() ? "unknown" : extras.battery, Verdict::kInfo},
      RateLine(extras.reportTimesMs),
  };
}

int HealthExitStatus(const std::vector<CardLine>& card) {
  for (const CardLine& line : card) {
    if (line.verdict != Verdict::kGood && line.verdict != Verdict::kInfo) return 1;
  }
  return 0;
}

std::string HealthCardText(const std::vector<CardLine>& card) {
  std::string text;
  for (const CardLine& line : card) {
    std::string verdict = line.verdict == Verdict::kInfo ? "" : VerdictName(line.verdict);
    verdict.resize(12, ' ');
    text += verdict + " " + line.check + ": " + line.figure + "\n";
  }
  return text;
}
