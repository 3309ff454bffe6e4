// The absolute axes a Linux event node declares, with the filters its
// driver set, and which of them SDL's evdev driver reads as which axis.
#ifndef PADWATCH_PLATFORM_LINUX_KERNEL_AXES_H_
#define PADWATCH_PLATFORM_LINUX_KERNEL_AXES_H_

#include <string>
#include <vector>

#include "platform/identity.h"

// Every absolute axis of the event node at path ("/dev/input/event5"), in
// code order, as EVIOCGABS gives it. The node is opened read-only and never
// grabbed; none where it cannot be read.
std::vector<KernelAxis> ReadKernelAxes(const std::string& path);

// The evdev name of an absolute axis ("ABS_RX"); "ABS_0x2a" for a code
// without one.
std::string AbsoluteAxisName(int code);

// The index in axes of the axis SDL's joystick numbers sdlAxis, -1 where
// there is none. SDL's Linux driver numbers a node's absolute axes in code
// order, leaving out ABS_HAT0X to ABS_HAT3Y, which it reads as hats.
int SdlAxisIndex(const std::vector<KernelAxis>& axes, int sdlAxis);

#endif  // PADWATCH_PLATFORM_LINUX_KERNEL_AXES_H_
