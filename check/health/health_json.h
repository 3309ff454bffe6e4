// The health check's report card as JSON, with every figure behind it: see
// the manual for each field. Versioned: a field changes meaning only with a
// new "version".
#ifndef PADWATCH_CHECK_HEALTH_HEALTH_JSON_H_
#define PADWATCH_CHECK_HEALTH_HEALTH_JSON_H_

#include <string>
#include <vector>

#include "check/health/health_card.h"
#include "check/health/health_check.h"

std::string HealthJson(int slot, const HealthFigures& figures, const std::vector<CardLine>& card);

#endif  // PADWATCH_CHECK_HEALTH_HEALTH_JSON_H_
