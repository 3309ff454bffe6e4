// Every kind of pad a script can create, in one table: its name in the
// scripts, the way it is made (uinput, uhid or the USB gadget), and what
// that way needs to make it.
#ifndef PADWATCH_TESTS_E2E_FEEDER_PAD_KINDS_H_
#define PADWATCH_TESTS_E2E_FEEDER_PAD_KINDS_H_

#include <string>

#include "tests/e2e/feeder/uhid_pad.h"
#include "tests/e2e/feeder/uinput_pad.h"

enum class Way {
  kUinput,  // an input device as its driver presents it, with no driver
  kUhid,    // HID reports the kernel's own driver binds and reads
  kUsb,     // a USB device on dummy_hcd the kernel's own driver binds
};

struct PadKind {
  const char* name;  // "x360", "ds4hid", ...
  Way way;
  const UinputModel* uinput;  // the device, for kUinput
  const UhidModel* uhid;      // the reports, for kUhid
};

// The kind a script calls name, or null.
const PadKind* FindPadKind(const std::string& name);

#endif  // PADWATCH_TESTS_E2E_FEEDER_PAD_KINDS_H_
