// The health check's report card: one line per check with its figure and a
// verdict, from the figures the steps measured. The verdicts' limits are
// here, once; the manual says what each verdict means.
#ifndef PADWATCH_CHECK_HEALTH_HEALTH_CARD_H_
#define PADWATCH_CHECK_HEALTH_HEALTH_CARD_H_

#include <array>
#include <string>
#include <vector>

#include "check/health/health_check.h"
#include "check/probe/motion_rest.h"
#include "check/probe/rate_meter.h"
#include "check/probe/rumble_sequence.h"

enum class Verdict {
  kGood,
  kWorn,         // works, but measurably off: drift close to the dead zone, a
                 // short or dented reach, a trigger short of full, a bounce
  kFaulty,       // padwatch would report what nobody did, or miss what was done
  kNotMeasured,  // the step was not done (stopped, unplugged, timed out)
  kInfo,         // a figure without a verdict: the battery, the report rate
};

const char* VerdictName(Verdict verdict);

// Limits, as fractions of a stick's dead zone, percentages of full scale,
// and percents of circularity error.
constexpr double kRestWornOfDeadZone = 0.5;  // past half the dead zone: close
constexpr double kReachWornPercent = 95;     // a direction short of this: worn
constexpr double kReachFaultyPercent = 75;   // ... of this: faulty
constexpr double kCircularityWornPercent = 10;
constexpr double kCircularityFaultyPercent = 25;
// A still pad's accelerometer feels 1 g; outside these it is mis-scaled.
constexpr double kGravityLowG = 0.8;
constexpr double kGravityHighG = 1.2;

struct CardLine {
  std::string check;   // "left stick at rest"
  std::string figure;  // what was measured, in words and numbers
  Verdict verdict;
};

// What the card is made from besides the steps' figures.
struct HealthExtras {
  bool rumbleTried = false;
  RumbleResult rumble;
  std::string battery;                // as --once says it; empty when unknown
  std::vector<double> reportTimesMs;  // new packets while the sticks moved
  // The kernel's filters on each stick's axes (left, right), as
  // FiltersText gives them; empty where no kernel driver's node is read.
  std::array<std::string, 2> stickFilters;
  // The motion sensors read while the pad lay still in the rest step, or
  // why they could not be read (a pad without them is not at fault).
  MotionRest motionRest;
  std::string motionMissing;
};

std::vector<CardLine> MakeHealthCard(const HealthFigures& figures, const HealthExtras& extras);

// 0 when every check with a verdict is good, 1 otherwise, as the doctor.
int HealthExitStatus(const std::vector<CardLine>& card);

// The card as text: a line per check, its verdict first.
std::string HealthCardText(const std::vector<CardLine>& card);

#endif  // PADWATCH_CHECK_HEALTH_HEALTH_CARD_H_
