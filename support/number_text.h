// Numbers as report lines show them, appended to a line being built.
#ifndef PADWATCH_SUPPORT_NUMBER_TEXT_H_
#define PADWATCH_SUPPORT_NUMBER_TEXT_H_

#include <cstdint>
#include <string>

// Appends value in decimal, as std::to_string writes it.
void AppendInteger(std::string& line, std::int64_t value);

// Appends value in fixed notation with six decimals, as std::to_string (and
// printf's "%f") writes it: 0.500015, -1.000000. Faster than either.
void AppendFixed6(std::string& line, float value);

#endif  // PADWATCH_SUPPORT_NUMBER_TEXT_H_
