// The one way padwatch writes to standard output.
#ifndef PADWATCH_SUPPORT_CONSOLE_H_
#define PADWATCH_SUPPORT_CONSOLE_H_

#include <string>

// Writes text and a newline to standard output and flushes, so that each
// report line appears at once even when the output is piped.
void WriteLine(std::string text);

#endif  // PADWATCH_SUPPORT_CONSOLE_H_
