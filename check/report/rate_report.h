// padwatch-check --rate's report: the figures of each slot, as text or JSON.
#ifndef PADWATCH_CHECK_REPORT_RATE_REPORT_H_
#define PADWATCH_CHECK_REPORT_RATE_REPORT_H_

#include <string>

#include "check/probe/rate_meter.h"

// The report of a measurement that ran for `seconds`.
std::string FormatRateText(const RateMeter& meter, double seconds);
std::string FormatRateJson(const RateMeter& meter, double seconds);

// Says what is counted; printed before measuring.
extern const char kRateExplanation[];

#endif  // PADWATCH_CHECK_REPORT_RATE_REPORT_H_
