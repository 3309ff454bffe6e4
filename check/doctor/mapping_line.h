// A line to start a game controller mapping from, for a joystick SDL has
// no mapping for.
#ifndef PADWATCH_CHECK_DOCTOR_MAPPING_LINE_H_
#define PADWATCH_CHECK_DOCTOR_MAPPING_LINE_H_

#include <string>

// A first SDL_GAMECONTROLLERCONFIG entry for the joystick with guid and
// name, laid out as most pads number their inputs through evdev. The name
// loses what would end its field or the shell's quoted word.
std::string StartingMapping(const std::string& guid, const std::string& name, int buttons, int axes,
                            int hats);

#endif  // PADWATCH_CHECK_DOCTOR_MAPPING_LINE_H_
