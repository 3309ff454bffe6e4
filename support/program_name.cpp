#include "support/program_name.h"

namespace {

const char* programName = "padwatch";

}  // namespace

void SetProgramName(const char* name) { programName = name; }

const char* ProgramName() { return programName; }
