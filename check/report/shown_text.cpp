#include "check/report/shown_text.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Range {
  char32_t first;
  char32_t last;
};

// Whether c is in ranges, sorted and apart.
template <std::size_t N>
bool InRanges(const Range (&ranges)[N], char32_t c) {
  const Range* const end = ranges + N;
  const Range* after =
      std::upper_bound(ranges, end, c, [](char32_t x, const Range& r) { return x < r.first; });
  return after != ranges && c <= (after - 1)->last;
}

// Characters that control or rearrange what is shown rather than being
// shown: C0, DEL and C1, zero-width and joining characters, line and
// paragraph separators, bidirectional embeddings, overrides and isolates,
// the byte order mark, interlinear annotations.
constexpr Range kHidden[] = {
    {0x00, 0x1F},     {0x7F, 0x9F},     {0xAD, 0xAD},     {0x061C, 0x061C}, {0x180E, 0x180E},
    {0x200B, 0x200F}, {0x2028, 0x202E}, {0x2060, 0x206F}, {0xFEFF, 0xFEFF}, {0xFFF9, 0xFFFB},
};

// kZeroWidth and kWide, generated from the Unicode Character Database.
#include "check/report/unicode_width.inc"

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string ByteEscape(unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof(text), "\\x%02x", static_cast<unsigned>(byte));
  return text;
}

std::string CharacterEscape(char32_t c) {
  if (c < 0x80) return ByteEscape(static_cast<unsigned char>(c));
  char text[16];
  std::snprintf(text, sizeof(text), "\\u%04lx", static_cast<unsigned long>(c));
  return text;
}

}  // namespace

bool NextCharacter(const std::string& text, std::size_t* at, char32_t* c) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char first = byte(*at);
  std::size_t length = 0;
  char32_t value = 0;
  char32_t least = 0;
  if (first < 0x80) {
    *c = first;
    ++*at;
    return true;
  } else if (first >= 0xC2 && first <= 0xDF) {
    length = 2, value = first & 0x1F, least = 0x80;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3, value = first & 0x0F, least = 0x800;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4, value = first & 0x07, least = 0x10000;
  } else {
    ++*at;
    return false;
  }
  if (*at + length > text.size()) {
    ++*at;
    return false;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(*at + i) & 0xC0) != 0x80) {
      ++*at;
      return false;
    }
    value = (value << 6) | (byte(*at + i) & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ++*at;
    return false;
  }
  *c = value;
  *at += length;
  return true;
}

int DisplayColumns(char32_t c) {
  if (InRanges(kZeroWidth, c)) return 0;
  return InRanges(kWide, c) ? 2 : 1;
}

std::string ShownText(const std::string& text, std::size_t maxColumns) {
  // What is shown, piece by piece (a character or one escape), so that a
  // cut never splits either.
  struct Piece {
    std::size_t bytes;
    std::size_t columns;
  };
  std::vector<Piece> pieces;
  std::string shown;
  std::size_t columns = 0;
  std::size_t at = 0;
  bool afterBase = false;  // a combining mark needs something to sit on
  while (at < text.size()) {
    const std::size_t start = at;
    char32_t c = 0;
    std::string piece;
    std::size_t width = 0;
    bool printed = false;  // shown as itself, not escaped
    if (!NextCharacter(text, &at, &c)) {
      piece = ByteEscape(static_cast<unsigned char>(text[start]));
      width = piece.size();
    } else if (c == '\\') {
      piece = "\\\\";
      width = 2;
    } else if (InRanges(kHidden, c) || (DisplayColumns(c) == 0 && !afterBase)) {
      piece = CharacterEscape(c);
      width = piece.size();
    } else {
      AppendUtf8(piece, c);
      width = static_cast<std::size_t>(DisplayColumns(c));
      printed = true;
    }
    if (columns + width > maxColumns) {
      // Make room for the mark.
      while (!pieces.empty() && columns + 3 > maxColumns) {
        shown.erase(shown.size() - pieces.back().bytes);
        columns -= pieces.back().columns;
        pieces.pop_back();
      }
      return shown + "...";
    }
    shown += piece;
    pieces.push_back({piece.size(), width});
    columns += width;
    afterBase = printed;
  }
  return shown;
}

std::string AsciiOnly(const std::string& text) {
  std::string ascii;
  std::size_t at = 0;
  while (at < text.size()) {
    char32_t c = 0;
    NextCharacter(text, &at, &c);
    if (c >= 0x80 && DisplayColumns(c) == 0) continue;  // a mark on the '?' before it
    ascii += c < 0x80 ? static_cast<char>(c) : '?';
  }
  return ascii;
}
