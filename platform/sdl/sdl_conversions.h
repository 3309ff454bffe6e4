// Conversions from SDL's game controller readings to XInput's.
#ifndef PADWATCH_PLATFORM_SDL_SDL_CONVERSIONS_H_
#define PADWATCH_PLATFORM_SDL_SDL_CONVERSIONS_H_

#include <cstdint>

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

#endif  // PADWATCH_PLATFORM_SDL_SDL_CONVERSIONS_H_
