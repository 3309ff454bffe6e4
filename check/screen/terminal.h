// The terminal the live screen draws on: whether there is one, its size,
// its keys, the modes it is put into and taken back out of, and the job
// control and hang-ups it goes through. One implementation per platform.
#ifndef PADWATCH_CHECK_SCREEN_TERMINAL_H_
#define PADWATCH_CHECK_SCREEN_TERMINAL_H_

#include <chrono>
#include <string>

// What every platform writes on entering and leaving screen mode: the
// alternate screen with the cursor hidden, and back.
constexpr char kEnterScreenSequence[] = "\x1b[?1049h\x1b[?25l\x1b[2J";
constexpr char kLeaveScreenSequence[] = "\x1b[0m\x1b[?25h\x1b[?1049l";

// Why the live screen cannot run here, as a usage message says it, or ""
// when it can: it needs a terminal on standard output and on standard input
// (a console on Windows) that can move its cursor (not TERM=dumb).
std::string ScreenUnavailableReason();

// The terminal's size in columns and rows; false if it cannot be told.
bool TerminalSize(int* width, int* height);

// Whether the terminal shows UTF-8 (the locale on POSIX; on Windows the
// console is switched to UTF-8 in screen mode).
bool TerminalUsesUtf8();

// Switches to the alternate screen with the cursor hidden, and reads keys
// one by one without echo (Ctrl+C still stops the program). Also routes
// hang-ups and SIGQUIT to a stop request, and Ctrl+Z to TakeSuspend().
// Returns false, changing nothing, when it cannot.
bool EnterScreenMode();

// Puts back everything EnterScreenMode changed: input mode, cursor, the main
// screen. Does nothing the second time.
void LeaveScreenMode();

// Reads keys one by one without echo, as screen mode does, but leaves the
// screen as it is: for a program that writes lines and takes a key now and
// then. Ctrl+C still stops it. False, changing nothing, where standard input
// is not a terminal (a console on Windows).
bool EnterKeyMode();
// Puts back the input mode EnterKeyMode changed; does nothing the second
// time.
void LeaveKeyMode();

// Whether standard error is a terminal, where a line can be written over.
bool ErrorIsTerminal();

// Waits until a key is typed or `wait` has passed.
void WaitForInput(std::chrono::microseconds wait);

// Everything typed since the last call ("" when nothing), never waiting.
// Sets *gone when the terminal has gone away (end of input, an error), so
// that the screen ends instead of drawing for nobody.
std::string ReadKeys(bool* gone);

// True once after Ctrl+Z (SIGTSTP) asked the program to suspend itself.
bool TakeSuspend();
// True once after the program was continued (SIGCONT) having been stopped
// some other way, so that the terminal may have been changed meanwhile.
bool TakeContinued();
// Stops the process as Ctrl+Z asks; returns once it is continued. Call it
// outside screen mode.
void SuspendProcess();

// Writes all of text to the terminal; a write blocked on a terminal that
// does not take output (Ctrl+S, a stalled link) ends once a stop has been
// requested and InterruptWriter has been called for the writing thread.
void WriteTerminal(const std::string& text);

// Marks the calling thread as the one that writes frames.
void RegisterWriterThread();
// Interrupts a write of that thread that is blocked.
void InterruptWriter();

#endif  // PADWATCH_CHECK_SCREEN_TERMINAL_H_
