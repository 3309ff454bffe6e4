#include "support/printable.h"

std::string Printable(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string shown;
  for (const char byte : text) {
    const unsigned char c = static_cast<unsigned char>(byte);
    if (c >= 0x20 && c < 0x7F) {
      shown += byte;
    } else {
      shown += "\\x";
      shown += kHex[c >> 4];
      shown += kHex[c & 15];
    }
  }
  return shown;
}

std::string QuoteWord(const std::string& word) {
  if (word.size() <= kShownWordBytes) return "'" + Printable(word) + "'";
  return "'" + Printable(word.substr(0, kShownWordBytes)) + "...'";
}
