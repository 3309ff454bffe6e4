#include "platform/sdl/virtual_controller.h"

bool VirtualController::Attach() {
  const int index =
      SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, 15, 0);
  if (index < 0) return false;
  joystick = SDL_JoystickOpen(index);
  if (joystick == nullptr) {
    SDL_JoystickDetachVirtual(index);
    return false;
  }
  id = SDL_JoystickInstanceID(joystick);
  Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
  Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  // SDL takes an axis's first reported value as its starting point; let the
  // rest values through before anything moves.
  SDL_JoystickUpdate();
  return true;
}

void VirtualController::Detach() {
  if (joystick == nullptr) return;
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (SDL_JoystickGetDeviceInstanceID(i) == id) {
      SDL_JoystickDetachVirtual(i);
      break;
    }
  }
  SDL_JoystickClose(joystick);
  joystick = nullptr;
}

void VirtualController::Button(SDL_GameControllerButton button, bool down) {
  SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0);
}

void VirtualController::Axis(SDL_GameControllerAxis axis, Sint16 value) {
  SDL_JoystickSetVirtualAxis(joystick, axis, value);
}
