// The console the live screen draws on: its size, its keys, and the modes it
// is put into and taken back out of. One implementation per platform.
#ifndef PADWATCH_CHECK_SCREEN_TERMINAL_H_
#define PADWATCH_CHECK_SCREEN_TERMINAL_H_

#include <string>

// What every platform writes on entering and leaving screen mode: the
// alternate screen with the cursor hidden, and back.
constexpr char kEnterScreenSequence[] = "\x1b[?1049h\x1b[?25l\x1b[2J";
constexpr char kLeaveScreenSequence[] = "\x1b[0m\x1b[?25h\x1b[?1049l";

// Whether standard output is a terminal (a console on Windows).
bool OutputIsTerminal();

// The terminal's size in columns and rows; false if it cannot be told.
bool TerminalSize(int* width, int* height);

// Whether the terminal says it shows UTF-8 (the locale on POSIX, the
// console's code page on Windows).
bool TerminalUsesUtf8();

// Switches to the alternate screen with the cursor hidden, and reads keys
// one by one without echo (Ctrl+C still stops the program); on Windows it
// first turns on VT processing. Returns false, changing nothing, when it
// cannot.
bool EnterScreenMode();

// Puts back everything EnterScreenMode changed: input mode, cursor, the main
// screen. Does nothing the second time.
void LeaveScreenMode();

// The next key pressed ('q', 'r', ...), or 0 when none is waiting. Never
// blocks.
int ReadKey();

// Writes all of text to the terminal; may block while the terminal does.
void WriteTerminal(const std::string& text);

#endif  // PADWATCH_CHECK_SCREEN_TERMINAL_H_
