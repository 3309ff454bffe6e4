#include "support/number_text.h"

#include <charconv>
#include <cstring>

namespace {

// Writes the six-decimal text of |value| for values below 2^24 exactly, with
// the rounding printf uses (to nearest, ties to even, on the exact binary
// value). Returns false for values it does not handle.
bool FormatSmallFixed6(float value, char* out, std::size_t* length) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  const bool negative = (bits >> 31) != 0;
  const int exponentField = static_cast<int>((bits >> 23) & 0xFF);
  std::uint64_t mantissa = bits & 0x7FFFFF;
  if (exponentField == 0xFF) return false;  // infinity or NaN
  int exponent;                             // value = mantissa * 2^exponent
  if (exponentField == 0) {
    exponent = -149;
  } else {
    mantissa |= 0x800000;
    exponent = exponentField - 150;
  }
  if (exponent > 0) return false;  // 2^24 and above: leave it to the library

  // scaled = |value| * 10^6, rounded to an integer. mantissa * 10^6 < 2^44.
  const std::uint64_t product = mantissa * 1000000u;
  const int shift = -exponent;
  std::uint64_t scaled;
  if (shift == 0) {
    scaled = product;
  } else if (shift >= 64) {
    scaled = 0;  // far below half a millionth
  } else {
    scaled = product >> shift;
    const std::uint64_t remainder = product & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (remainder > half || (remainder == half && (scaled & 1) != 0)) ++scaled;
  }

  char* p = out;
  if (negative) *p++ = '-';
  const std::uint64_t whole = scaled / 1000000u;
  std::uint32_t fraction = static_cast<std::uint32_t>(scaled % 1000000u);
  p = std::to_chars(p, out + 32, whole).ptr;
  *p++ = '.';
  for (int i = 5; i >= 0; --i) {
    p[i] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  *length = static_cast<std::size_t>(p + 6 - out);
  return true;
}

}  // namespace

void AppendInteger(std::string& line, std::int64_t value) {
  char buffer[24];
  const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  line.append(buffer, result.ptr);
}

void AppendFixed6(std::string& line, float value) {
  char buffer[64];
  std::size_t length = 0;
  if (FormatSmallFixed6(value, buffer, &length)) {
    line.append(buffer, length);
    return;
  }
  // Like printf, format the value promoted to double; to_chars with a
  // precision rounds exactly as "%.6f" does in the C locale.
  const std::to_chars_result result = std::to_chars(
      buffer, buffer + sizeof(buffer), static_cast<double>(value), std::chars_format::fixed, 6);
  line.append(buffer, result.ptr);
}
