// An SDL virtual game controller, for the demo, tests and benchmarks: a pad
// that the SDL layer finds and reads exactly as it would a real one.
#ifndef PADWATCH_PLATFORM_SDL_VIRTUAL_CONTROLLER_H_
#define PADWATCH_PLATFORM_SDL_VIRTUAL_CONTROLLER_H_

#include <SDL.h>

// Six axes, fifteen buttons and no hat; SDL maps virtual button i and axis i
// to SDL_GameControllerButton i and SDL_GameControllerAxis i. SDL's game
// controller support must be running (sdl_platform::Start()).
class VirtualController {
 public:
  VirtualController() = default;
  ~VirtualController() { Detach(); }
  VirtualController(const VirtualController&) = delete;
  VirtualController& operator=(const VirtualController&) = delete;

  // Plugs the controller in with everything at rest. On failure returns
  // false; SDL_GetError() says why.
  bool Attach();
  // Unplugs it; does nothing if it is not attached.
  void Detach();

  void Button(SDL_GameControllerButton button, bool down);
  // Triggers rest at -32768 and are full at 32767.
  void Axis(SDL_GameControllerAxis axis, Sint16 value);

 private:
  SDL_Joystick* joystick = nullptr;
  SDL_JoystickID id = -1;
};

#endif  // PADWATCH_PLATFORM_SDL_VIRTUAL_CONTROLLER_H_
