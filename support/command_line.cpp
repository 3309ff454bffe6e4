#include "support/command_line.h"

#include <cstdio>
#include <iostream>

#include "support/console.h"
#include "support/printable.h"
#include "support/program_name.h"

namespace {

ProgramText program = {"padwatch", "usage: padwatch", "", ""};

int Printed() { return std::cout.good() ? 0 : ConsoleFailureStatus(program.name); }

}  // namespace

void SetProgramText(const ProgramText& text) {
  program = text;
  SetProgramName(text.name);
}

int PrintHelp() {
  std::cout << program.usage << "\n" << program.help << std::flush;
  return Printed();
}

int PrintVersion() {
  std::cout << program.name << " " << program.version << "\n" << std::flush;
  return Printed();
}

int UsageError(const std::string& what) {
  std::fprintf(stderr, "%s: %s (%s)\n", program.name, what.c_str(), program.usage);
  return 2;
}

std::string UnknownOption(const std::string& option) {
  return "unknown option " + QuoteWord(option);
}
