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
