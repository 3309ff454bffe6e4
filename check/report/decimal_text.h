// Numbers with a fixed count of decimals, as the reports print them.
#ifndef PADWATCH_CHECK_REPORT_DECIMAL_TEXT_H_
#define PADWATCH_CHECK_REPORT_DECIMAL_TEXT_H_

#include <array>
#include <string>

// value with `decimals` decimals, "-0.0" written as "0.0" (a mean of tiny
// negatives rounds to zero, and a sign on it would mislead).
std::string Fixed(double value, int decimals);

// value rounded as Fixed writes it, for JSON numbers that say no more than
// the text does.
double Rounded(double value, int decimals);

// Three values about or along x, y and z: "x 2.02, y -1.01, z 0.40".
std::string XyzText(const std::array<double, 3>& values, int decimals);

#endif  // PADWATCH_CHECK_REPORT_DECIMAL_TEXT_H_
