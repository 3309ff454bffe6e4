// AddSdlView: SDL's own list of joysticks, matched to the doctor's
// controllers by the node SDL reads (an event node through evdev, a hidraw
// node through HIDAPI).
#include <SDL.h>

#include "check/doctor/system_scan.h"

namespace {

const char* PowerName(SDL_JoystickPowerLevel level) {
  switch (level) {
    case SDL_JOYSTICK_POWER_EMPTY:
      return "empty";
    case SDL_JOYSTICK_POWER_LOW:
      return "low";
    case SDL_JOYSTICK_POWER_MEDIUM:
      return "medium";
    case SDL_JOYSTICK_POWER_FULL:
      return "full";
    case SDL_JOYSTICK_POWER_MAX:
      return "wired";
    default:
      return "unknown";
  }
}

ControllerFacts* Owner(LinuxFacts* facts, const char* path) {
  if (path == nullptr) return nullptr;
  for (ControllerFacts& controller : facts->controllers) {
    for (const NodeFacts& node : controller.nodes) {
      if (node.path == path) return &controller;
    }
  }
  return nullptr;
}

}  // namespace

void AddSdlView(LinuxFacts* facts) {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return;
  facts->sdlStarted = true;
  SDL_JoystickUpdate();
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    ControllerFacts* controller = Owner(facts, SDL_JoystickPathForIndex(i));
    if (controller == nullptr) continue;
    SdlFacts& sdl = controller->sdl;
    sdl.kind = SDL_IsGameController(i) ? SdlKind::kController : SdlKind::kJoystick;
    const SDL_JoystickGUID guid = SDL_JoystickGetDeviceGUID(i);
    char guidText[33] = {};
    SDL_JoystickGetGUIDString(guid, guidText, sizeof guidText);
    sdl.guid = guidText;
    // SDL marks the joysticks its HIDAPI drivers serve with an 'h' here.
    sdl.hidapi = guid.data[14] == 'h';
    const char* name =
        sdl.kind == SdlKind::kController ? SDL_GameControllerNameForIndex(i) : nullptr;
    if (name == nullptr) name = SDL_JoystickNameForIndex(i);
    sdl.name = name != nullptr ? name : "";
    if (SDL_Joystick* joystick = SDL_JoystickOpen(i)) {
      sdl.buttons = SDL_JoystickNumButtons(joystick);
      sdl.axes = SDL_JoystickNumAxes(joystick);
      sdl.hats = SDL_JoystickNumHats(joystick);
      sdl.power = PowerName(SDL_JoystickCurrentPowerLevel(joystick));
      sdl.rumble = SDL_JoystickHasRumble(joystick) == SDL_TRUE;
      SDL_JoystickClose(joystick);
    }
  }
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

SystemFacts ScanSystem() {
  LinuxFacts facts = ScanLinux(SystemRoots(), CurrentUser());
  AddSdlView(&facts);
  return facts;
}
