#include "check/report/decimal_text.h"

#include <cstdio>
#include <cstdlib>

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof(text), "%.*f", decimals, value);
  if (std::strtod(text, nullptr) == 0.0 && text[0] == '-') return text + 1;
  return text;
}

double Rounded(double value, int decimals) {
  return std::strtod(Fixed(value, decimals).c_str(), nullptr);
}

std::string XyzText(const std::array<double, 3>& values, int decimals) {
  return "x " + Fixed(values[0], decimals) + ", y " + Fixed(values[1], decimals) + ", z " +
         Fixed(values[2], decimals);
}
