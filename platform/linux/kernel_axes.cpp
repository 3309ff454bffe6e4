#include "platform/linux/kernel_axes.h"

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

namespace {

const char* const kNames[] = {
    "ABS_X",        "ABS_Y",        "ABS_Z",      "ABS_RX",      "ABS_RY",         "ABS_RZ",
    "ABS_THROTTLE", "ABS_RUDDER",   "ABS_WHEEL",  "ABS_GAS",     "ABS_BRAKE",      nullptr,
    nullptr,        nullptr,        nullptr,      nullptr,       "ABS_HAT0X",      "ABS_HAT0Y",
    "ABS_HAT1X",    "ABS_HAT1Y",    "ABS_HAT2X",  "ABS_HAT2Y",   "ABS_HAT3X",      "ABS_HAT3Y",
    "ABS_PRESSURE", "ABS_DISTANCE", "ABS_TILT_X", "ABS_TILT_Y",  "ABS_TOOL_WIDTH", nullptr,
    nullptr,        nullptr,        "ABS_VOLUME", "ABS_PROFILE", nullptr,          nullptr,
    nullptr,        nullptr,        nullptr,      nullptr,       "ABS_MISC",
};

bool HasBit(const unsigned long* bits, int bit) {
  constexpr int kPerWord = 8 * sizeof(unsigned long);
  return (bits[bit / kPerWord] >> (bit % kPerWord)) & 1UL;
}

}  // namespace

std::vector<KernelAxis> ReadKernelAxes(const std::string& path) {
  std::vector<KernelAxis> axes;
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return axes;
  unsigned long bits[ABS_CNT / (8 * sizeof(unsigned long)) + 1] = {};
  if (ioctl(fd, EVIOCGBIT(EV_ABS, sizeof bits), bits) >= 0) {
    for (int code = 0; code <= ABS_MAX; ++code) {
      input_absinfo info{};
      if (!HasBit(bits, code) || ioctl(fd, EVIOCGABS(code), &info) < 0) continue;
      axes.push_back({code, AbsoluteAxisName(code), info.minimum, info.maximum, info.fuzz,
                      info.flat, info.resolution});
    }
  }
  close(fd);
  return axes;
}

std::string AbsoluteAxisName(int code) {
  if (code >= 0 && code < static_cast<int>(sizeof kNames / sizeof kNames[0]) &&
      kNames[code] != nullptr) {
    return kNames[code];
  }
  char name[16];
  std::snprintf(name, sizeof name, "ABS_0x%02x", static_cast<unsigned>(code) & 0x3ff);
  return name;
}

int SdlAxisIndex(const std::vector<KernelAxis>& axes, int sdlAxis) {
  int counted = 0;
  for (std::size_t i = 0; i < axes.size(); ++i) {
    if (axes[i].code >= ABS_HAT0X && axes[i].code <= ABS_HAT3Y) continue;
    if (counted++ == sdlAxis) return static_cast<int>(i);
  }
  return -1;
}
