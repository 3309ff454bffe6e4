// Text that comes from a device (a name, a GUID, a mapping) as padwatch-check
// shows it. A USB product string or an SDL mapping can hold anything: no
// byte of it reaches a terminal or a report raw.
#ifndef PADWATCH_CHECK_REPORT_SHOWN_TEXT_H_
#define PADWATCH_CHECK_REPORT_SHOWN_TEXT_H_

#include <cstddef>
#include <string>

// text with every control character (C0, DEL, C1), every character that
// turns or hides text (bidirectional overrides, zero-width characters) and
// every byte that is not part of valid UTF-8 escaped ("\x1b", "\xff",
// "\u202e"), a backslash written as "\\", and cut after maxColumns display
// columns with "..." to show that it was. What it returns is valid UTF-8
// whose every character takes one or two columns, or none after a base.
std::string ShownText(const std::string& text, std::size_t maxColumns);

// text with every character outside ASCII as '?', for a terminal that does
// not show UTF-8. text must be valid UTF-8 (as ShownText returns).
std::string AsciiOnly(const std::string& text);

// Reads the UTF-8 character at text[*at] into *c and moves *at past it.
// Returns false, moving *at by one byte, where no valid character starts
// (overlong forms, surrogates and values past U+10FFFF are not valid).
bool NextCharacter(const std::string& text, std::size_t* at, char32_t* c);

// The columns a terminal gives character c: 2 for East Asian wide and
// fullwidth characters, 0 for combining and enclosing marks and format
// characters, 1 otherwise; from the Unicode Character Database (the
// version is named in unicode_width.inc).
int DisplayColumns(char32_t c);

#endif  // PADWATCH_CHECK_REPORT_SHOWN_TEXT_H_
