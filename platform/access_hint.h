// A word at start-up for the user whose controllers padwatch cannot see
// because the system does not let them be read. padwatch's reports stay as
// they are: the hint goes to standard error.
#ifndef PADWATCH_PLATFORM_ACCESS_HINT_H_
#define PADWATCH_PLATFORM_ACCESS_HINT_H_

// Writes one line to standard error when the system has game controllers
// this user cannot read, naming how many; nothing otherwise. Each platform
// that serves XInputGetState for padwatch serves this too.
void WarnOfUnreadableControllers();

#endif  // PADWATCH_PLATFORM_ACCESS_HINT_H_
