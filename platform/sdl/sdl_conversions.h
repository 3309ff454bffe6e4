// Conversions from SDL's game controller readings to XInput's.
#ifndef PADWATCH_PLATFORM_SDL_SDL_CONVERSIONS_H_
#define PADWATCH_PLATFORM_SDL_SDL_CONVERSIONS_H_

#include <SDL.h>

#include <cstdint>

#include "platform/xinput.h"

// SDL's button for each of the fourteen buttons XInput reports; the guide
// button and the extra buttons of some pads are left out.
struct SdlButton {
  SDL_GameControllerButton button;
  WORD mask;
};
constexpr SdlButton kSdlButtons[] = {
    {SDL_CONTROLLER_BUTTON_A, XINPUT_GAMEPAD_A},
    {SDL_CONTROLLER_BUTTON_B, XINPUT_GAMEPAD_B},
    {SDL_CONTROLLER_BUTTON_X, XINPUT_GAMEPAD_X},
    {SDL_CONTROLLER_BUTTON_Y, XINPUT_GAMEPAD_Y},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, XINPUT_GAMEPAD_DPAD_UP},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, XINPUT_GAMEPAD_DPAD_DOWN},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, XINPUT_GAMEPAD_DPAD_LEFT},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, XINPUT_GAMEPAD_DPAD_RIGHT},
    {SDL_CONTROLLER_BUTTON_START, XINPUT_GAMEPAD_START},
    {SDL_CONTROLLER_BUTTON_BACK, XINPUT_GAMEPAD_BACK},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, XINPUT_GAMEPAD_LEFT_THUMB},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, XINPUT_GAMEPAD_RIGHT_THUMB},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, XINPUT_GAMEPAD_LEFT_SHOULDER},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, XINPUT_GAMEPAD_RIGHT_SHOULDER},
};

// X axes: SDL and XInput agree on direction and range.
constexpr std::int16_t StickXFromSdl(std::int16_t value) { return value; }

// Y axes: SDL's down is positive, XInput's up is. Negating -32768 would
// overflow, so it becomes 32767: rest stays 0 and both ends stay full.
constexpr std::int16_t StickYFromSdl(std::int16_t value) {
  return value == -32768 ? std::int16_t{32767} : static_cast<std::int16_t>(-value);
}

// Triggers: SDL's 0..32767 to XInput's 0..255, rounded to nearest, so that 0
// stays 0 and 32767 gives 255. Negative readings count as rest.
constexpr std::uint8_t TriggerFromSdl(std::int16_t value) {
  return value <= 0 ? std::uint8_t{0}
                    : static_cast<std::uint8_t>((std::int32_t{value} * 255 + 16383) / 32767);
}

// A battery as XInput reports it, from SDL's power level. SDL knows the
// level but not the kind of battery; a level it does not know is no report.
struct BatteryReading {
  bool known;
  XINPUT_BATTERY_INFORMATION information;
};

constexpr BatteryReading BatteryFromSdl(SDL_JoystickPowerLevel power) {
  switch (power) {
    case SDL_JOYSTICK_POWER_WIRED:
      return {true, {BATTERY_TYPE_WIRED, BATTERY_LEVEL_FULL}};
    case SDL_JOYSTICK_POWER_EMPTY:
      return {true, {BATTERY_TYPE_UNKNOWN, BATTERY_LEVEL_EMPTY}};
    case SDL_JOYSTICK_POWER_LOW:
      return {true, {BATTERY_TYPE_UNKNOWN, BATTERY_LEVEL_LOW}};
    case SDL_JOYSTICK_POWER_MEDIUM:
      return {true, {BATTERY_TYPE_UNKNOWN, BATTERY_LEVEL_MEDIUM}};
    case SDL_JOYSTICK_POWER_FULL:
    case SDL_JOYSTICK_POWER_MAX:
      return {true, {BATTERY_TYPE_UNKNOWN, BATTERY_LEVEL_FULL}};
    default:
      return {false, {BATTERY_TYPE_UNKNOWN, BATTERY_LEVEL_EMPTY}};
  }
}

#endif  // PADWATCH_PLATFORM_SDL_SDL_CONVERSIONS_H_
