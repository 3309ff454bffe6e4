// The live screen's VT sequences cut into writes that a console host which
// does not parse them passes through whole. Wine's console host counts
// every character of a write, escapes included, as a column of its buffer
// and wraps (writing CR LF to the terminal) when the count reaches the
// buffer's width, in the middle of an escape as like as not. Pure, so that
// it is tested anywhere; only the Windows terminal uses it.
#ifndef PADWATCH_CHECK_SCREEN_CONSOLE_SPLIT_H_
#define PADWATCH_CHECK_SCREEN_CONSOLE_SPLIT_H_

#include <cstddef>
#include <string>
#include <vector>

// Cuts vt into writes: one begins at every cursor move (ESC [ row ; col H)
// and wherever the current one would pass `limit` bytes, where it starts
// by moving the cursor again; every write ends with '\r' (the host's column
// back to 0; on a console that parses VT the next write's cursor move makes
// it harmless), and one whose text ends in a blank says where the cursor is
// before it (Wine's host erases a row from the first of its trailing
// blanks). Escapes and UTF-8 characters are never cut.
std::vector<std::string> SplitForConsole(const std::string& vt, std::size_t limit);

#endif  // PADWATCH_CHECK_SCREEN_CONSOLE_SPLIT_H_
