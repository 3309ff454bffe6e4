#include <SDL.h>

#include <cmath>
#include <cstdio>

#include "check/probe/demo_pads.h"
#include "platform/sdl/sdl_xinput.h"
#include "platform/sdl/virtual_controller.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

Sint16 Scaled(double fraction) {
  return static_cast<Sint16>(std::lround(std::fmax(-1.0, std::fmin(1.0, fraction)) * 32767.0));
}

}  // namespace

struct DemoPads::Pads {
  VirtualController first;
  VirtualController second;
  long lastStep = -1;
};

bool DemoPads::Available() { return true; }

DemoPads::DemoPads() : pads(new Pads) {}
DemoPads::~DemoPads() = default;

bool DemoPads::Start() {
  if (!sdl_platform::Start() || !pads->first.Attach() || !pads->second.Attach()) {
    std::fprintf(stderr, "padwatch-check: cannot make the demo's controllers: %s\n",
                 SDL_GetError());
    return false;
  }
  return true;
}

void DemoPads::Move(double seconds) {
  const long step = static_cast<long>(seconds * 250.0);
  if (step == pads->lastStep) return;
  pads->lastStep = step;
  const double t = step / 250.0;
  VirtualController& first = pads->first;
  VirtualController& second = pads->second;

  // The first: its left stick goes round once every 2 s; SDL's Y is down.
  const double angle = 2 * kPi * t / 2.0;
  first.Axis(SDL_CONTROLLER_AXIS_LEFTX, Scaled(0.95 * std::cos(angle)));
  first.Axis(SDL_CONTROLLER_AXIS_LEFTY, Scaled(-0.95 * std::sin(angle)));
  // Its right stick rests a little off centre, as a drifting stick does,
  // for 4 s of every 8; for the other 4 it goes round twice, so that
  // --test's steps see it at rest and turning.
  if (std::fmod(t, 8.0) < 4.0) {
    first.Axis(SDL_CONTROLLER_AXIS_RIGHTX, 1800);
    first.Axis(SDL_CONTROLLER_AXIS_RIGHTY, -900);
  } else {
    first.Axis(SDL_CONTROLLER_AXIS_RIGHTX, Scaled(0.97 * std::cos(angle)));
    first.Axis(SDL_CONTROLLER_AXIS_RIGHTY, Scaled(-0.97 * std::sin(angle)));
  }
  // Its buttons light one after another, each for a quarter of a second.
  const int lit = static_cast<int>(t * 4.0) % 15;
  for (int b = 0; b <= SDL_CONTROLLER_BUTTON_DPAD_RIGHT; ++b) {
    first.Button(static_cast<SDL_GameControllerButton>(b), b == lit);
  }
  // Triggers: SDL's -32768 is rest, 32767 full.
  first.Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, Scaled(std::sin(2 * kPi * t / 1.5)));
  first.Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, Scaled(2.0 * std::fmod(t / 2.0, 1.0) - 1.0));

  // The second: its right stick goes round the other way in a gate worn flat
  // on the right; A is held every other second.
  const double turn = -2 * kPi * t / 3.0;
  const double reach = std::cos(turn) > 0.7 ? 0.7 / std::cos(turn) * 0.9 : 0.9;
  second.Axis(SDL_CONTROLLER_AXIS_RIGHTX, Scaled(reach * std::cos(turn)));
  second.Axis(SDL_CONTROLLER_AXIS_RIGHTY, Scaled(-reach * std::sin(turn)));
  second.Button(SDL_CONTROLLER_BUTTON_A, static_cast<long>(t) % 2 == 1);
}
