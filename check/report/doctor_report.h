// padwatch-check --doctor's findings: pure functions from what the scan
// found to problems with their fixes, and to the report as text and JSON.
#ifndef PADWATCH_CHECK_REPORT_DOCTOR_REPORT_H_
#define PADWATCH_CHECK_REPORT_DOCTOR_REPORT_H_

#include <string>
#include <vector>

#include "check/probe/system_facts.h"

// Something that keeps a controller from being fully usable: what is wrong,
// why where that is known, and the exact lines to type or write.
struct Problem {
  std::string id;  // stable, for scripts: "event-unreadable", "no-mapping", ...
  std::string what;
  std::string why;
  std::vector<std::string> fix;
};

// The problems of controller (facts.controllers[index]), in the order a
// user should deal with them.
std::vector<Problem> ControllerProblems(const LinuxFacts& facts, std::size_t index);

// The problems that are not one controller's: none found, a sandbox.
std::vector<Problem> SystemProblems(const LinuxFacts& facts);

std::string FormatDoctorText(const LinuxFacts& facts);
std::string FormatDoctorJson(const LinuxFacts& facts);
// 0 when every controller is fully usable, 1 when anything is wrong
// (finding none counts as wrong: the doctor is asked because a pad is
// missing).
int DoctorStatus(const LinuxFacts& facts);

std::string FormatDoctorText(const WindowsFacts& facts);
std::string FormatDoctorJson(const WindowsFacts& facts);
int DoctorStatus(const WindowsFacts& facts);

// A first SDL_GAMECONTROLLERCONFIG entry for a joystick SDL has no mapping
// for, laid out as most pads number their inputs through evdev.
std::string StartingMapping(const std::string& guid, const std::string& name, int buttons, int axes,
                            int hats);

#endif  // PADWATCH_CHECK_REPORT_DOCTOR_REPORT_H_
