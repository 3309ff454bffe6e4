// The one way padwatch writes to standard output.
#ifndef PADWATCH_SUPPORT_CONSOLE_H_
#define PADWATCH_SUPPORT_CONSOLE_H_

#include <cstddef>
#include <string>

// Writes text and a newline to std::cout and flushes, so that each report
// line appears at once, in one piece, even when the output is piped. Once a
// write has failed, std::cout's badbit is set and later lines are dropped:
// the caller decides when to stop.
void WriteLine(std::string text);

// Points std::cout straight at standard output: each flush becomes a single
// write of everything since the last one, with no C stdio buffer between.
// Call it first thing in main, before anything is written or opened: every
// closed descriptor among standard input, output and error is held with
// /dev/null, so that no file opened later takes its place; a closed standard
// output still fails its first write, with EBADF.
//
// Writes wait while standard output is non-blocking and full. Once
// stopRequested (if given) returns true, a write that cannot go on at once
// gives up: the line, if the system took none of it, is dropped with every
// line after it, and that is not a failure.
void InstallConsoleWriter(bool (*stopRequested)() = nullptr);

// Writes data to standard output with the same loop as WriteLine, for
// output that is not made of lines (the live screen's frames): in full,
// waiting while the output is full, giving up after a stop request as
// above. Returns whether all of it was written. Unlike a line, a failure
// here does not stop later writes.
bool WriteToConsole(const char* data, std::size_t size);

// The system error number of the write that failed, or 0.
int ConsoleWriteError();

// For a program whose standard output failed: says so on standard error,
// as "PROGRAM: cannot write to standard output: REASON", unless the reader
// of a pipe simply went away, and returns the exit status to end with (1).
int ConsoleFailureStatus(const char* program);

#endif  // PADWATCH_SUPPORT_CONSOLE_H_
