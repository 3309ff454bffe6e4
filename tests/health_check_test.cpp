// The health check on known shapes, fed as a pad would feed it: each
// expected figure is worked out here from the shape itself, not by the
// check's own code, and each verdict is the one the manual gives.
#include "check/health/health_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <vector>

#include "check/health/health_card.h"
#include "check/health/health_picture.h"
#include "input/inputs.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Feeds the check a reading every 4 ms, as a pad reporting at 250 Hz would.
class Pad {
 public:
  explicit Pad(HealthCheck* check) : check(check) {}
  void Poll(int times = 1) {
    for (int i = 0; i < times; ++i) {
      ms += 4;
      check->Poll(ms, true, state);
    }
  }
  XINPUT_GAMEPAD& Gamepad() { return state.Gamepad; }
  std::uint64_t ms = 0;

 private:
  HealthCheck* check;
  XINPUT_STATE state{};
};

// A gate: the stick's reach (full scale 1) at an angle in degrees.
using Gate = std::function<double(double degrees)>;

double Circle(double) { return 1.0; }
double Square(double degrees) {
  const double a = degrees * kPi / 180;
  return 1.0 / std::max(std::fabs(std::cos(a)), std::fabs(std::sin(a)));
}
double Short(double) { return 0.85; }
// Dented in the one direction centred on straight up.
double Dented(double degrees) { return std::fabs(degrees - 90) < 3.7 ? 0.7 : 1.0; }

SHORT Clamped(double value) {
  return static_cast<SHORT>(std::lround(std::max(-32768.0, std::min(32767.0, value))));
}

// Three slow turns of the left stick along the gate, a reading every half
// degree.
void TurnLeftStick(Pad& pad, const Gate& gate) {
  for (int i = 0; i < 3 * 720; ++i) {
    const double degrees = (i % 720) / 2.0;
    const double r = gate(degrees) * 32767;
    pad.Gamepad().sThumbLX = Clamped(r * std::cos(degrees * kPi / 180));
    pad.Gamepad().sThumbLY = Clamped(r * std::sin(degrees * kPi / 180));
    pad.Poll();
  }
  pad.Gamepad().sThumbLX = pad.Gamepad().sThumbLY = 0;
}

// The outline testers take from those readings, worked out on its own: the
// furthest clamped reading in each 7.5 degree sector round each of the 48
// directions, up to the reading where 46 of them (95%) reach past 0.8 and
// the step ends; then the root mean square of (r - 1) over those past 0.2,
// and the lowest of those.
struct Expected {
  double circularityPercent;
  double lowestPercent;
};

Expected ExpectedOutline(const Gate& gate) {
  std::vector<double> reach(48, 0.0);
  for (int i = 0; i < 720; ++i) {
    const double degrees = i / 2.0;
    const double r = gate(degrees) * 32767;
    const double x = Clamped(r * std::cos(degrees * kPi / 180));
    const double y = Clamped(r * std::sin(degrees * kPi / 180));
    const double at = std::atan2(y, x) * 180 / kPi;
    const int sector = static_cast<int>(std::floor((at < 0 ? at + 360 : at) / 7.5 + 0.5)) % 48;
    reach[sector] = std::max(reach[sector], std::hypot(x, y) / 32767);
    if (std::count_if(reach.begin(), reach.end(), [](double r) { return r > 0.8; }) >= 46) break;
  }
  double sum = 0, lowest = 2;
  int count = 0;
  for (double r : reach) {
    if (r <= 0.2) continue;
    sum += (r - 1) * (r - 1);
    ++count;
    lowest = std::min(lowest, r);
  }
  return {std::sqrt(sum / count) * 100, lowest * 100};
}

const CardLine& Line(const std::vector<CardLine>& card, const std::string& check) {
  for (const CardLine& line : card) {
    if (line.check == check) return line;
  }
  static const CardLine none{"", "", Verdict::kInfo};
  ADD_FAILURE() << "no line " << check;
  return none;
}

struct GateCase {
  const char* name;
  Gate gate;
  Verdict verdict;
  double lowestPercent;
  // Where the picture must show the outline, and in which colour.
  double probeDegrees;
  const char* probeColour;
};

struct Rgb {
  int r, g, b;
  bool Near(const Rgb& other) const {
    return std::abs(r - other.r) + std::abs(g - other.g) + std::abs(b - other.b) < 60;
  }
};

Rgb Parse(const char* hex) {
  const long value = std::strtol(hex + 1, nullptr, 16);
  return {static_cast<int>(value >> 16), static_cast<int>((value >> 8) & 255),
          static_cast<int>(value & 255)};
}

// The colours of the picture's pixels at the points, as a real SVG renderer
// (rsvg-convert) draws them; empty where this machine has none.
std::vector<Rgb> Rendered(const std::string& name, const std::string& svg,
                          const std::vector<std::pair<int, int>>& points) {
#ifdef _WIN32
  (void)name, (void)svg, (void)points;
  return {};  // the renderer runs on Linux; the picture is the same bytes
#else
  if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0) return {};
  const std::string base = ::testing::TempDir() + "/" + name;
  std::ofstream(base + ".svg") << svg;
  std::string command = "rsvg-convert -o '" + base + ".png' '" + base + ".svg' && python3 '" +
                        PADWATCH_PNG_PIXELS + "' '" + base + ".png'";
  for (const auto& [x, y] : points) command += " " + std::to_string(x) + "," + std::to_string(y);
  std::vector<Rgb> pixels;
  FILE* out = popen(command.c_str(), "r");
  Rgb pixel{};
  while (out != nullptr && std::fscanf(out, "%d %d %d", &pixel.r, &pixel.g, &pixel.b) == 3) {
    pixels.push_back(pixel);
  }
  if (out != nullptr) pclose(out);
  EXPECT_EQ(pixels.size(), points.size()) << command;
  return pixels;
#endif
}

class StickGateTest : public ::testing::TestWithParam<GateCase> {};

TEST_P(StickGateTest, CircularityReachAndVerdict) {
  const GateCase& shape = GetParam();
  HealthCheck check(0);
  Pad pad(&check);
  pad.Poll(800);  // rest
  ASSERT_EQ(check.Step(), HealthStep::kLeftStick);
  TurnLeftStick(pad, shape.gate);
  EXPECT_EQ(check.Step(), HealthStep::kRightStick) << "gone round once past 0.8 everywhere";
  const Expected expected = ExpectedOutline(shape.gate);
  EXPECT_NEAR(check.Figures().outlines[0].CircularityErrorPercent(), expected.circularityPercent,
              0.01);
  EXPECT_NEAR(expected.lowestPercent, shape.lowestPercent, 0.5);
  const auto card = MakeHealthCard(check.Figures(), {});
  const CardLine& reach = Line(card, "left stick's reach");
  EXPECT_EQ(reach.verdict, shape.verdict) << reach.figure;
  EXPECT_NE(reach.figure.find("; lowest " + std::to_string(std::lround(shape.lowestPercent)) + "%"),
            std::string::npos)
      << reach.figure;

  // The picture: the outline drawn at the gate's reach in its colour, and
  // not drawn 10 pixels inside it.
  const double a = shape.probeDegrees * kPi / 180;
  const double radius =
      std::min(shape.gate(shape.probeDegrees), std::sqrt(2.0)) * PictureLayout::kStickRadius;
  auto at = [&](double r) {
    return std::pair<int, int>(
        static_cast<int>(std::lround(PictureLayout::kStickCentreX[0] + r * std::cos(a))),
        static_cast<int>(std::lround(PictureLayout::kStickCentreY - r * std::sin(a))));
  };
  const std::vector<Rgb> pixels =
      Rendered(shape.name, HealthPictureSvg(0, check.Figures()), {at(radius), at(radius - 10)});
  if (pixels.size() == 2) {
    EXPECT_TRUE(pixels[0].Near(Parse(shape.probeColour)))
        << pixels[0].r << " " << pixels[0].g << " " << pixels[0].b;
    EXPECT_FALSE(pixels[1].Near(Parse(shape.probeColour)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Gates, StickGateTest,
    ::testing::Values(GateCase{"circle", Circle, Verdict::kGood, 100, 0, kOutlineGood},
                      // Clamped to full scale on each axis: the corners reach sqrt(2)
                      // at most, 41% past the circle.
                      GateCase{"square", Square, Verdict::kWorn, 100, 45, kOutlineFaulty},
                      GateCase{"short", Short, Verdict::kWorn, 85, 0, kOutlineWorn},
                      GateCase{"dented", Dented, Verdict::kFaulty, 70, 90, kOutlineFaulty}),
    [](const ::testing::TestParamInfo<GateCase>& info) { return info.param.name; });

// A watcher that misses the readings round straight down still counts the
// stick as gone round (47 of 48 directions past 0.8); the card says down was
// not seen rather than reached 0%.
TEST(HealthCheckTest, MainDirectionWithNoReadingIsNotSeen) {
  HealthCheck check(0);
  Pad pad(&check);
  pad.Poll(800);
  for (int i = 0; i < 720 && check.Step() == HealthStep::kLeftStick; ++i) {
    const double degrees = i / 2.0;
    if (std::fabs(degrees - 270) < 4) continue;
    pad.Gamepad().sThumbLX = Clamped(32767 * std::cos(degrees * kPi / 180));
    pad.Gamepad().sThumbLY = Clamped(32767 * std::sin(degrees * kPi / 180));
    pad.Poll();
  }
  EXPECT_EQ(check.Step(), HealthStep::kRightStick);
  const auto card = MakeHealthCard(check.Figures(), {});
  const CardLine& reach = Line(card, "left stick's reach");
  EXPECT_EQ(reach.verdict, Verdict::kGood) << reach.figure;
  EXPECT_NE(reach.figure.find("reach right 100%, up 100%, left 100%, down not seen;"),
            std::string::npos)
      << reach.figure;
}

TEST(HealthCheckTest, RestNoiseAgainstTheDeadZone) {
  // The left stick rests at 60% of its dead zone and wanders 3 units either
  // way; the right one sits still at the centre.
  HealthCheck check(0);
  Pad pad(&check);
  const SHORT rest = static_cast<SHORT>(kLeftStickDeadZone * 6 / 10);
  std::vector<double> xs;
  while (check.Step() == HealthStep::kRest) {
    const SHORT x = static_cast<SHORT>(rest + (xs.size() % 3) * 3 - 3);
    pad.Gamepad().sThumbLX = x;
    pad.Poll();
    xs.push_back(x);
  }
  double mean = 0, squares = 0;
  for (double x : xs) mean += x;
  mean /= xs.size();
  for (double x : xs) squares += (x - mean) * (x - mean);
  const AxisNoise& lx = check.Figures().restSticks[0];
  EXPECT_NEAR(lx.Mean(), mean, 1e-9);
  EXPECT_NEAR(lx.StandardDeviation(), std::sqrt(squares / xs.size()), 1e-6);
  EXPECT_EQ(lx.PeakToPeak(), 6);
  // The kernel's filters, where they are known, are said beside the noise
  // they hide.
  HealthExtras extras;
  extras.stickFilters[0] = "fuzz/flat ABS_X 16/128, ABS_Y 16/128";
  const auto card = MakeHealthCard(check.Figures(), extras);
  EXPECT_EQ(Line(card, "left stick at rest").verdict, Verdict::kWorn);
  EXPECT_EQ(Line(card, "right stick at rest").verdict, Verdict::kGood);
  const std::string left = Line(card, "left stick at rest").figure;
  EXPECT_NE(left.find("strays to 60% of the dead zone; read through the kernel's filters, "
                      "fuzz/flat ABS_X 16/128, ABS_Y 16/128"),
            std::string::npos)
      << left;
  EXPECT_EQ(Line(card, "right stick at rest").figure.find("kernel"), std::string::npos);
}

// A still pad's motion: the gyroscope's bias as a figure, the acceleration
// judged against 1 g; a pad without motion sensors is not at fault.
TEST(HealthCheckTest, MotionAtRestAgainstGravity) {
  const struct {
    const char* name;
    std::vector<MotionValues> readings;
    const char* missing;
    Verdict verdict;
    const char* figure;
  } cases[] = {
      {"still, biased",
       {{{2, -1, 0.5}, {0, 1, 0}}, {{2.04, -1, 0.5}, {0, 0.99, 0}}},
       "",
       Verdict::kGood,
       "gyro bias x 2.02, y -1.00, z 0.50 deg/s; acceleration 0.995 g over 2 readings"},
      {"mis-scaled", {{{0, 0, 0}, {0, 0.5, 0.5}}}, "", Verdict::kFaulty, "acceleration 0.707 g"},
      {"too strong", {{{0, 0, 0}, {0, 0, -1.3}}}, "", Verdict::kFaulty, "acceleration 1.300 g"},
      {"no sensors",
       {},
       "its kernel driver made no motion node",
       Verdict::kInfo,
       "not read: its kernel driver made no motion node"},
  };
  for (const auto& c : cases) {
    HealthExtras extras;
    for (const MotionValues& reading : c.readings) extras.motionRest.Add(reading);
    extras.motionMissing = c.missing;
    const CardLine line = Line(MakeHealthCard(HealthCheck(0).Figures(), extras), "motion at rest");
    EXPECT_EQ(line.verdict, c.verdict) << c.name;
    EXPECT_NE(line.figure.find(c.figure), std::string::npos) << c.name << ": " << line.figure;
  }
}

TEST(HealthCheckTest, TriggerThatStopsShortAndItsResolution) {
  HealthCheck check(0);
  Pad pad(&check);
  pad.Poll(800);
  TurnLeftStick(pad, Circle);
  // The right stick is never turned: its step runs out.
  pad.Poll(static_cast<int>(kStickLimitMs / 4) + 1);
  ASSERT_EQ(check.Step(), HealthStep::kLeftTrigger);
  std::set<int> values;
  for (int pull = 0; pull < 3; ++pull) {
    for (int v = 0; v <= 200; v += 5) {
      pad.Gamepad().bLeftTrigger = static_cast<BYTE>(v);
      values.insert(v);
      pad.Poll();
    }
    pad.Gamepad().bLeftTrigger = 0;
    pad.Poll();
  }
  EXPECT_EQ(check.Step(), HealthStep::kRightTrigger);
  // The right trigger never gets past 100: no pull counts, the step runs
  // out, and a trigger that moves only that far is faulty.
  for (int pull = 0; pull < 3; ++pull) {
    pad.Gamepad().bRightTrigger = 100;
    pad.Poll();
    pad.Gamepad().bRightTrigger = 0;
    pad.Poll();
  }
  pad.Poll(static_cast<int>(kTriggerLimitMs / 4) + 1);
  EXPECT_EQ(check.Step(), HealthStep::kButtons);
  const TriggerTravel& travel = check.Figures().triggers[0];
  EXPECT_EQ(travel.Highest(), 200);
  EXPECT_EQ(travel.DistinctValues(), static_cast<int>(values.size()));
  const auto card = MakeHealthCard(check.Figures(), {});
  EXPECT_EQ(Line(card, "left trigger's travel").verdict, Verdict::kWorn);
  EXPECT_EQ(Line(card, "right trigger's travel").verdict, Verdict::kFaulty);
  EXPECT_EQ(Line(card, "right trigger's travel").figure,
            "highest 100 of 255, 2 values, 0 pulls, back to rest");
  EXPECT_EQ(Line(card, "right stick's reach").verdict, Verdict::kNotMeasured);
  EXPECT_EQ(HealthExitStatus(card), 1);
}

TEST(HealthCheckTest, ButtonNeverPressedAndAButtonThatBounces) {
  HealthCheck check(0);
  Pad pad(&check);
  pad.Poll(800);
  for (HealthStep s = check.Step(); s != HealthStep::kButtons; s = check.Step()) {
    pad.Poll(static_cast<int>(kStickLimitMs / 4) + 1);  // let each step run out
  }
  // Every button but Y, once; A chatters: down, up 2 ms later, down 2 ms
  // after that.
  for (const ButtonInput& button : kButtonInputs) {
    if (button.mask == XINPUT_GAMEPAD_Y) continue;
    pad.Gamepad().wButtons = button.mask;
    pad.Poll(10);
    pad.Gamepad().wButtons = 0;
    pad.Poll(10);
  }
  HealthCheck* raw = &check;
  const std::uint64_t t = pad.ms + 100;
  XINPUT_STATE state{};
  state.Gamepad.wButtons = XINPUT_GAMEPAD_A;
  raw->Poll(t, true, state);
  state.Gamepad.wButtons = 0;
  raw->Poll(t + 2, true, state);
  state.Gamepad.wButtons = XINPUT_GAMEPAD_A;
  raw->Poll(t + 4, true, state);
  state.Gamepad.wButtons = 0;
  raw->Poll(t + 50, true, state);
  EXPECT_EQ(check.Figures().buttons.Bounces(0), 1);
  const auto card = MakeHealthCard(check.Figures(), {});
  const CardLine& buttons = Line(card, "buttons");
  EXPECT_EQ(buttons.verdict, Verdict::kFaulty);
  EXPECT_EQ(buttons.figure, "13 of 14 pressed and released; never seen: Y; bounced: A (1)");
}

TEST(HealthCheckTest, UnpluggedInTheMiddleLeavesTheRestNotMeasured) {
  HealthCheck check(0);
  Pad pad(&check);
  pad.Poll(800);
  check.Poll(pad.ms + 4, false, XINPUT_STATE{});
  EXPECT_EQ(check.Step(), HealthStep::kDone);
  EXPECT_TRUE(check.Figures().unplugged);
  const auto card = MakeHealthCard(check.Figures(), {});
  EXPECT_EQ(Line(card, "left stick at rest").verdict, Verdict::kGood);
  EXPECT_EQ(Line(card, "left stick's reach").verdict, Verdict::kNotMeasured);
  EXPECT_EQ(Line(card, "buttons").verdict, Verdict::kNotMeasured);
}

// Stopped (q, Ctrl+C) in the middle of a step: a trigger pulled halfway and
// buttons not pressed yet are not faults, they were not measured.
TEST(HealthCheckTest, StoppedInTheMiddleOfAStepIsNotAFault) {
  for (const HealthStep stopAt : {HealthStep::kLeftTrigger, HealthStep::kButtons}) {
    HealthCheck check(0);
    Pad pad(&check);
    pad.Poll(800);
    while (check.Step() != stopAt) pad.Poll(static_cast<int>(kStickLimitMs / 4) + 1);
    pad.Gamepad().bLeftTrigger = 100;
    pad.Gamepad().wButtons = XINPUT_GAMEPAD_A;
    pad.Poll();
    check.Stop();
    const auto card = MakeHealthCard(check.Figures(), {});
    const char* line = stopAt == HealthStep::kButtons ? "buttons" : "left trigger's travel";
    EXPECT_EQ(Line(card, line).verdict, Verdict::kNotMeasured) << Line(card, line).figure;
    EXPECT_NE(Line(card, line).figure.find("; stopped before the end"), std::string::npos);
  }
}

}  // namespace
