// padwatch-check --doctor's findings: pure functions from what the scan
// found to problems with their fixes, and to the report as text and JSON.
#ifndef PADWATCH_CHECK_DOCTOR_DOCTOR_REPORT_H_
#define PADWATCH_CHECK_DOCTOR_DOCTOR_REPORT_H_

#include <string>
#include <vector>

#include "check/doctor/problem.h"
#include "check/doctor/system_facts.h"

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

#endif  // PADWATCH_CHECK_DOCTOR_DOCTOR_REPORT_H_
