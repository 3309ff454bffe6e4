#include "check/screen/console_split.h"

#include <cstdlib>

#include "check/report/shown_text.h"

namespace {

// Room kept in every write for the cursor move that may end it.
constexpr std::size_t kMoveRoom = 10;

std::string Move(int row, int column) {
  return "\x1b[" + std::to_string(row) + ";" + std::to_string(column) + "H";
}

// The end of the escape that starts at vt[at] (ESC [ ... final byte).
std::size_t EscapeEnd(const std::string& vt, std::size_t at) {
  std::size_t end = at + 2;
  while (end < vt.size() && !(vt[end] >= 0x40 && vt[end] <= 0x7E)) ++end;
  return end < vt.size() ? end + 1 : end;
}

}  // namespace

std::vector<std::string> SplitForConsole(const std::string& vt, std::size_t limit) {
  std::vector<std::string> writes;
  std::string current;
  int row = 1, column = 1;  // where the next glyph goes
  auto flush = [&] {
    if (current.empty()) return;
    if (current.back() == ' ') current += Move(row, column);
    writes.push_back(current + "\r");
    current.clear();
  };
  std::size_t at = 0;
  while (at < vt.size()) {
    std::size_t end = at + 1;
    int columns = 0;
    if (vt[at] == '\x1b' && at + 1 < vt.size() && vt[at + 1] == '[') {
      end = EscapeEnd(vt, at);
      if (vt[end - 1] == 'H') {
        flush();
        row = std::atoi(vt.c_str() + at + 2);
        const std::size_t semicolon = vt.find(';', at);
        column = semicolon < end ? std::atoi(vt.c_str() + semicolon + 1) : 1;
        if (row < 1) row = 1;
        if (column < 1) column = 1;
      }
    } else {
      char32_t c = 0;
      std::size_t next = at;
      columns = NextCharacter(vt, &next, &c) ? DisplayColumns(c) : 1;
      end = next;
    }
    if (!current.empty() && current.size() + (end - at) + 1 + kMoveRoom > limit) {
      // Cut inside a run: the next write says again where it goes, since
      // the '\r' that ends this one moves the cursor on such a host.
      flush();
      current = Move(row, column);
    }
    current.append(vt, at, end - at);
    column += columns;
    at = end;
  }
  flush();
  return writes;
}
