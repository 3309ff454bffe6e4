// How the companion programs (padwatch-replay, padwatch-demo and
// padwatch-check) answer their command line, all alike: --help and
// --version on standard output with status 0; a usage error as one line,
// "PROGRAM: WHAT (usage: ...)", on standard error with status 2.
#ifndef PADWATCH_SUPPORT_COMMAND_LINE_H_
#define PADWATCH_SUPPORT_COMMAND_LINE_H_

#include <string>

struct ProgramText {
  const char* name;     // "padwatch-replay"
  const char* usage;    // "usage: padwatch-replay FILE", one line
  const char* help;     // what --help prints after the usage line
  const char* version;  // "0.1.0"
};

// Makes text the program's own: its name becomes ProgramName().
void SetProgramText(const ProgramText& text);

// --help and --version: print, and return the exit status (1, with a
// message, if standard output failed).
int PrintHelp();
int PrintVersion();

// Writes "PROGRAM: WHAT (USAGE)" on standard error; returns 2.
int UsageError(const std::string& what);

// "unknown option '--x'", the option shown safe to print.
std::string UnknownOption(const std::string& option);

#endif  // PADWATCH_SUPPORT_COMMAND_LINE_H_
