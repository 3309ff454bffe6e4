// A doctor's problem as the JSON reports write it.
#ifndef PADWATCH_CHECK_DOCTOR_PROBLEM_JSON_H_
#define PADWATCH_CHECK_DOCTOR_PROBLEM_JSON_H_

#include <nlohmann/json.hpp>

#include "check/doctor/problem.h"

// {"id", "problem", "why", "fix"}, in that order.
nlohmann::ordered_json ProblemJson(const Problem& problem);

#endif  // PADWATCH_CHECK_DOCTOR_PROBLEM_JSON_H_
