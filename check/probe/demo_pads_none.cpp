// Where controllers cannot be made up (Windows: XInput has no virtual
// controllers), --demo says so.
#include <cstdio>

#include "check/probe/demo_pads.h"

struct DemoPads::Pads {};

bool DemoPads::Available() { return false; }

DemoPads::DemoPads() = default;
DemoPads::~DemoPads() = default;

bool DemoPads::Start() {
  std::fprintf(stderr,
               "padwatch-check: --demo needs virtual controllers, which this platform cannot "
               "make\n");
  return false;
}

void DemoPads::Move(double /*seconds*/) {}
