#include <io.h>

#include "support/console_output.h"

namespace console_output {

// The C runtime's text mode turns each newline into CRLF, as Windows
// programs write them.
long Write(const char* data, std::size_t size) {
  return _write(1, data, static_cast<unsigned>(size));
}

// Windows has no non-blocking standard output.
bool WouldBlock(int /*error*/) { return false; }

void WaitUntilWritable(int /*waitMs*/) {}

// A process started without a console or with closed handles gets failing
// writes; no descriptor is taken over by a later file.
int HoldClosedStandardDescriptors() { return 0; }

}  // namespace console_output
