// XInput served by SDL2's game controller support, for systems without
// XInput. Linking this library provides the XInput calls, CoInitializeEx
// and GetDeviceIdentity: capabilities from SDL's rumble support and power
// level, the battery from the power level or, where SDL has none, from the
// kernel driver's power supply, vibration through SDL's rumble.
//
// Four slots of our own: a controller that appears takes the lowest free slot
// and keeps it until it is removed; a fifth waits for a slot to free up. SDL
// is refreshed once per pass over the slots (a query for a slot at or below
// the previous query's slot starts a new pass), and arrivals and removals are
// found in that refresh. Controller events are ignored: everything is read
// by polling, so no event queue grows.
#ifndef PADWATCH_PLATFORM_SDL_SDL_XINPUT_H_
#define PADWATCH_PLATFORM_SDL_SDL_XINPUT_H_

namespace sdl_platform {

// Starts SDL's game controller support if it is not running yet; the first
// query does this by itself. If SDL cannot start, writes one message to
// standard error and returns false, and every slot then answers as empty.
bool Start();

// Closes the controllers and shuts SDL's game controller support down. A
// later query starts it again.
void Shutdown();

}  // namespace sdl_platform

#endif  // PADWATCH_PLATFORM_SDL_SDL_XINPUT_H_
