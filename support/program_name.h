// The name that starts every message a program writes on its own account,
// so that a message from a shared layer (SDL's start-up, say) names the
// program the user ran.
#ifndef PADWATCH_SUPPORT_PROGRAM_NAME_H_
#define PADWATCH_SUPPORT_PROGRAM_NAME_H_

// name must outlive the program (a string literal). Call it first in main.
void SetProgramName(const char* name);

// The name set, or "padwatch" when none was.
const char* ProgramName();

#endif  // PADWATCH_SUPPORT_PROGRAM_NAME_H_
