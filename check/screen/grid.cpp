#include "check/screen/grid.h"

#include <algorithm>

#include "check/report/shown_text.h"

void Grid::Put(int x, int y, const std::string& glyph, bool lit) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  Cell& cell = cells[y * width + x];
  cell.glyph = glyph;
  cell.lit = lit;
}

void Grid::Text(int x, int y, const std::string& text, bool lit, int limit) {
  if (y < 0 || y >= height) return;
  const int end = std::min(x + limit, width);
  int column = x;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t start = at;
    char32_t c = 0;
    if (!NextCharacter(text, &at, &c)) return;  // not valid UTF-8: nothing more
    const int columns = DisplayColumns(c);
    if (columns == 0) {
      // A combining mark goes on the character before it (the first cell
      // of a wide one).
      int base = column - 1;
      if (base > x && base < width && cells[y * width + base].glyph.empty()) --base;
      if (base >= x && base >= 0 && base < width) {
        cells[y * width + base].glyph.append(text, start, at - start);
      }
      continue;
    }
    if (column + columns > end) return;
    Put(column, y, text.substr(start, at - start), lit);
    if (columns == 2) Put(column + 1, y, "", lit);
    column += columns;
  }
}

std::string Grid::Dump() const {
  std::string text;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) text += At(x, y).glyph;
    text += '\n';
  }
  text += "--- lit\n";
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) text += At(x, y).lit ? '#' : '.';
    text += '\n';
  }
  return text;
}

std::string DrawChanges(const Grid& before, const Grid& after) {
  const bool whole = before.Width() != after.Width() || before.Height() != after.Height();
  std::string out = whole ? "\x1b[0m\x1b[2J" : "";
  bool lit = false;  // what the terminal's attribute is known to be
  bool known = whole;
  for (int y = 0; y < after.Height(); ++y) {
    int cursor = -1;  // where the cursor is on this row, if it follows a write
    for (int x = 0; x < after.Width(); ++x) {
      const Cell& cell = after.At(x, y);
      if (!whole && cell == before.At(x, y)) continue;
      // A blank that was blank needs no write even when redrawing whole.
      if (whole && cell.glyph == " " && !cell.lit) continue;
      if (cursor != x) out += "\x1b[" + std::to_string(y + 1) + ";" + std::to_string(x + 1) + "H";
      if (!known || cell.lit != lit) {
        out += cell.lit ? "\x1b[7m" : "\x1b[0m";
        lit = cell.lit;
        known = true;
      }
      out += cell.glyph;
      cursor = x + 1;
    }
  }
  if (known && lit) out += "\x1b[0m";
  return out;
}
