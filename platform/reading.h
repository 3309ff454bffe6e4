// Comparing two controller readings.
#ifndef PADWATCH_PLATFORM_READING_H_
#define PADWATCH_PLATFORM_READING_H_

#include "platform/xinput.h"

// True when two readings agree in every field: same buttons, same axes. The
// packet number is not part of a reading.
inline bool SameReading(const XINPUT_GAMEPAD& a, const XINPUT_GAMEPAD& b) {
  return a.wButtons == b.wButtons && a.bLeftTrigger == b.bLeftTrigger &&
         a.bRightTrigger == b.bRightTrigger && a.sThumbLX == b.sThumbLX &&
         a.sThumbLY == b.sThumbLY && a.sThumbRX == b.sThumbRX && a.sThumbRY == b.sThumbRY;
}

#endif  // PADWATCH_PLATFORM_READING_H_
