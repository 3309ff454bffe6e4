#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>

#include "support/console_output.h"

namespace console_output {

// The C runtime's text mode turns each newline into CRLF, as Windows
// programs write them. A pipe whose reader has gone fails with
// ERROR_NO_DATA (Windows), ERROR_PIPE_NOT_CONNECTED (Wine) or
// ERROR_BROKEN_PIPE, which the runtime calls EINVAL or EPIPE: each is what
// EPIPE is elsewhere, the way a pipeline ends.
long Write(const char* data, std::size_t size) {
  const int written = _write(1, data, static_cast<unsigned>(size));
  if (written < 0 && (_doserrno == ERROR_NO_DATA || _doserrno == ERROR_PIPE_NOT_CONNECTED ||
                      _doserrno == ERROR_BROKEN_PIPE)) {
    errno = EPIPE;
  }
  return written;
}

// Windows has no non-blocking standard output.
bool WouldBlock(int /*error*/) { return false; }

void WaitUntilWritable(int /*waitMs*/) {}

// A process started without a console or with closed handles gets failing
// writes; no descriptor is taken over by a later file.
int HoldClosedStandardDescriptors() { return 0; }

}  // namespace console_output
