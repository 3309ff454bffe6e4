// The doctor's reading of the system it runs on. Nothing is changed: the
// one thing tried, a grab of each controller's event node, is released at
// once.
#ifndef PADWATCH_CHECK_DOCTOR_SYSTEM_SCAN_H_
#define PADWATCH_CHECK_DOCTOR_SYSTEM_SCAN_H_

#include "check/doctor/node_access.h"
#include "check/doctor/system_facts.h"
#include "platform/linux/controller_nodes.h"

// Linux: every game controller under roots with its nodes, udev's record,
// battery, force feedback and holders, and what stands around them, as seen
// by user. The SDL part is left empty (see AddSdlView).
LinuxFacts ScanLinux(const SystemRoots& roots, const UserIdentity& user);

// The user this process runs as.
UserIdentity CurrentUser();

// Fills in what SDL makes of each controller in *facts, matched by node.
void AddSdlView(LinuxFacts* facts);

// Windows: XInput and the HID game controllers.
WindowsFacts ScanWindows();

// What the platform this runs on has: ScanLinux for the real system with
// SDL's view added, or ScanWindows.
SystemFacts ScanSystem();

#endif  // PADWATCH_CHECK_DOCTOR_SYSTEM_SCAN_H_
