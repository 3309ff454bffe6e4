// The platform's side of the console writer (console.h): the system call
// that writes standard output and what to do while it is full. One
// implementation per platform; only support/console.cpp uses it.
#ifndef PADWATCH_SUPPORT_CONSOLE_OUTPUT_H_
#define PADWATCH_SUPPORT_CONSOLE_OUTPUT_H_

#include <cstddef>

namespace console_output {

// Writes up to size bytes of data to standard output. Returns how many were
// taken, or -1 with errno set.
long Write(const char* data, std::size_t size);

// Whether a write that failed with this error number may succeed later,
// once the reader has taken some (a non-blocking output that is full).
bool WouldBlock(int error);

// Waits at most waitMs for standard output to take more.
void WaitUntilWritable(int waitMs);

// Holds every closed descriptor among standard input, output and error
// with the null device, so that no file opened later takes its number.
// Returns the error number writes to standard output fail with (EBADF when
// it was closed), or 0.
int HoldClosedStandardDescriptors();

}  // namespace console_output

#endif  // PADWATCH_SUPPORT_CONSOLE_OUTPUT_H_
