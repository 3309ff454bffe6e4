// Text from outside (a file, a device, the command line) made safe to show
// in a message: nothing in it can move the cursor, change a terminal's
// title or ring its bell.
#ifndef PADWATCH_SUPPORT_PRINTABLE_H_
#define PADWATCH_SUPPORT_PRINTABLE_H_

#include <cstddef>
#include <string>

// text with every byte that is not printable ASCII written as \xNN.
std::string Printable(const std::string& text);

// A word of the input as messages show it: Printable, in single quotes, and
// cut after kShownWordBytes bytes with "..." to show that it was.
std::string QuoteWord(const std::string& word);
constexpr std::size_t kShownWordBytes = 40;

#endif  // PADWATCH_SUPPORT_PRINTABLE_H_
