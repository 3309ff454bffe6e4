// The one way padwatch writes to standard output.
#ifndef PADWATCH_SUPPORT_CONSOLE_H_
#define PADWATCH_SUPPORT_CONSOLE_H_

#include <string>

// Writes text and a newline to std::cout and flushes, so that each report
// line appears at once, in one piece, even when the output is piped. Once a
// write has failed, std::cout's badbit is set and later lines are dropped:
// the caller decides when to stop.
void WriteLine(std::string text);

// Points std::cout straight at standard output: each flush becomes a single
// write of everything since the last one, with no C stdio buffer between.
// Call it before anything is written. If standard output is closed, the
// descriptor is kept reserved (so no file opened later takes its place) and
// the first write fails with EBADF.
void InstallConsoleWriter();

// The system error number of the write that failed, or 0.
int ConsoleWriteError();

// For a program whose standard output failed: says so on standard error,
// as "PROGRAM: cannot write to standard output: REASON", unless the reader
// of a pipe simply went away, and returns the exit status to end with (1).
int ConsoleFailureStatus(const char* program);

#endif  // PADWATCH_SUPPORT_CONSOLE_H_
