// A picture of the terminal as a grid of cells, and the VT sequences that
// turn one picture into the next by writing only the cells that changed.
#ifndef PADWATCH_CHECK_SCREEN_GRID_H_
#define PADWATCH_CHECK_SCREEN_GRID_H_

#include <string>
#include <vector>

// One character cell: a glyph (the UTF-8 bytes of one character, with any
// combining marks on it) and whether it is shown lit (reversed). A wide
// character's glyph fills two cells: the second holds "", drawn by the first.
struct Cell {
  std::string glyph = " ";
  bool lit = false;
  bool operator==(const Cell& other) const { return glyph == other.glyph && lit == other.lit; }
  bool operator!=(const Cell& other) const { return !(*this == other); }
};

class Grid {
 public:
  Grid() = default;
  Grid(int width, int height) : width(width), height(height), cells(width * height) {}

  int Width() const { return width; }
  int Height() const { return height; }
  const Cell& At(int x, int y) const { return cells[y * width + x]; }

  // Writes one glyph; outside the grid it is dropped.
  void Put(int x, int y, const std::string& glyph, bool lit = false);
  // Writes text (valid UTF-8, as ShownText makes it) from (x, y) on, cut at
  // `limit` columns and at the grid's edge, never inside a character: one
  // that does not fit whole is left out with all after it.
  void Text(int x, int y, const std::string& text, bool lit = false, int limit = 1 << 30);

  // The glyphs, one line per row, trailing spaces kept; then, after a line
  // "--- lit", the rows again with '#' where a cell is lit and '.' elsewhere.
  // For tests and for reading a frame as text.
  std::string Dump() const;

 private:
  int width = 0;
  int height = 0;
  std::vector<Cell> cells;
};

// The VT sequences that change a terminal showing `before` into `after`:
// only changed cells are written, each run of them after one cursor move.
// When the sizes differ, the screen is cleared and `after` drawn whole.
std::string DrawChanges(const Grid& before, const Grid& after);

#endif  // PADWATCH_CHECK_SCREEN_GRID_H_
