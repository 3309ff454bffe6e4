// The Windows console, set up as its documentation says for a full-screen
// VT program, in a way that also works under Wine's console host, which
// passes VT sequences through without parsing them (see console_split.h).
#include <fcntl.h>
#include <io.h>
// clang-format off
#include "platform/xinput.h"
#include <mmsystem.h>
// clang-format on

#include <string>
#include <vector>

#include "check/screen/console_split.h"
#include "check/screen/terminal.h"
#include "support/console.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif
#ifndef DISABLE_NEWLINE_AUTO_RETURN
#define DISABLE_NEWLINE_AUTO_RETURN 0x0008
#endif

namespace {

DWORD savedOutputMode = 0;
DWORD savedInputMode = 0;
UINT savedCodePage = 0;
CONSOLE_CURSOR_INFO savedCursor{};
bool inScreenMode = false;
int savedWriteMode = _O_TEXT;
// The screen buffer's width: no write may reach it (console_split.h).
std::size_t bufferWidth = 80;
HANDLE writerThread = nullptr;

HANDLE Output() { return GetStdHandle(STD_OUTPUT_HANDLE); }
HANDLE Input() { return GetStdHandle(STD_INPUT_HANDLE); }

constexpr char kElsewhere[] = "; --once prints a report anywhere";

}  // namespace

std::string ScreenUnavailableReason() {
  DWORD mode = 0;
  if (!GetConsoleMode(Output(), &mode)) {
    return std::string("the live screen needs a terminal") + kElsewhere;
  }
  if (!GetConsoleMode(Input(), &mode)) {
    return std::string(
               "the live screen reads its keys from a console, and standard input is "
               "not one") +
           kElsewhere;
  }
  return "";
}

bool TerminalSize(int* width, int* height) {
  // The window, not the buffer, which includes the scrollback.
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(Output(), &info)) return false;
  *width = info.srWindow.Right - info.srWindow.Left + 1;
  *height = info.srWindow.Bottom - info.srWindow.Top + 1;
  return *width > 0 && *height > 0;
}

bool TerminalUsesUtf8() { return GetConsoleOutputCP() == CP_UTF8; }

bool EnterScreenMode() {
  if (inScreenMode) return true;
  HANDLE out = Output();
  if (!GetConsoleMode(out, &savedOutputMode)) return false;
  const DWORD vt = savedOutputMode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING;
  // Consoles that do not know DISABLE_NEWLINE_AUTO_RETURN refuse it; VT
  // processing itself is needed.
  if (!SetConsoleMode(out, vt | DISABLE_NEWLINE_AUTO_RETURN) && !SetConsoleMode(out, vt)) {
    return false;
  }
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(out, &info) && info.dwSize.X > 1) {
    bufferWidth = static_cast<std::size_t>(info.dwSize.X);
  }
  // UTF-8, so that the line drawing shows on any code page.
  savedCodePage = GetConsoleOutputCP();
  SetConsoleOutputCP(CP_UTF8);
  // A console host that does not parse VT shows the cursor again after
  // every write unless it was hidden through the console itself.
  GetConsoleCursorInfo(out, &savedCursor);
  CONSOLE_CURSOR_INFO hidden = savedCursor;
  hidden.bVisible = FALSE;
  SetConsoleCursorInfo(out, &hidden);
  if (GetConsoleMode(Input(), &savedInputMode)) {
    // Keys one by one without echo, resizes as events, QuickEdit off (a
    // click would pause the program); Ctrl+C still reaches the handler.
    SetConsoleMode(Input(), ENABLE_PROCESSED_INPUT | ENABLE_WINDOW_INPUT | ENABLE_EXTENDED_FLAGS);
  }
  // The frames go out as the bytes they are: in text mode the C runtime
  // would translate them from the locale's code page, breaking UTF-8.
  savedWriteMode = _setmode(1, _O_BINARY);
  // Waits of a millisecond rather than the default 15.6 ms, so that the
  // screen polls often enough to count a fast controller's reports.
  timeBeginPeriod(1);
  inScreenMode = true;
  WriteTerminal(kEnterScreenSequence);
  return true;
}

void LeaveScreenMode() {
  if (!inScreenMode) return;
  WriteTerminal(kLeaveScreenSequence);
  if (savedWriteMode != -1) _setmode(1, savedWriteMode);
  SetConsoleCursorInfo(Output(), &savedCursor);
  SetConsoleOutputCP(savedCodePage);
  SetConsoleMode(Input(), savedInputMode);
  SetConsoleMode(Output(), savedOutputMode);
  timeEndPeriod(1);
  inScreenMode = false;
}

namespace {
DWORD keyModeSaved = 0;
bool inKeyMode = false;
}  // namespace

bool EnterKeyMode() {
  if (inKeyMode) return true;
  if (!GetConsoleMode(Input(), &keyModeSaved)) return false;
  // Keys one by one without echo; Ctrl+C still reaches the handler.
  if (!SetConsoleMode(Input(), ENABLE_PROCESSED_INPUT | ENABLE_EXTENDED_FLAGS)) return false;
  inKeyMode = true;
  return true;
}

void LeaveKeyMode() {
  if (!inKeyMode) return;
  SetConsoleMode(Input(), keyModeSaved);
  inKeyMode = false;
}

bool ErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void WaitForInput(std::chrono::microseconds wait) {
  // The console's waits are whole milliseconds at best.
  const long long ms = wait.count() / 1000;
  WaitForSingleObject(Input(), static_cast<DWORD>(ms < 1 ? 1 : ms));
}

std::string ReadKeys(bool* gone) {
  std::string keys;
  INPUT_RECORD record;
  DWORD count = 0;
  // Peeking starts the input of a console host that reads a terminal
  // (Wine's); counting the events does not.
  for (;;) {
    if (!PeekConsoleInputW(Input(), &record, 1, &count)) {
      *gone = true;
      break;
    }
    if (count == 0 || !ReadConsoleInputW(Input(), &record, 1, &count) || count == 0) break;
    if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
    const WCHAR key = record.Event.KeyEvent.uChar.UnicodeChar;
    if (key == 0 || key >= 0x80) continue;
    keys.append(record.Event.KeyEvent.wRepeatCount > 0 ? record.Event.KeyEvent.wRepeatCount : 1,
                static_cast<char>(key));
  }
  return keys;
}

// Windows has no job control to follow.
bool TakeSuspend() { return false; }
bool TakeContinued() { return false; }
void SuspendProcess() {}

void WriteTerminal(const std::string& text) {
  if (!inScreenMode) {
    WriteToConsole(text.data(), text.size());
    return;
  }
  for (const std::string& piece : SplitForConsole(text, bufferWidth - 1)) {
    if (!WriteToConsole(piece.data(), piece.size())) return;
  }
}

void RegisterWriterThread() {
  DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &writerThread, 0,
                  FALSE, DUPLICATE_SAME_ACCESS);
}

void InterruptWriter() {
  if (writerThread != nullptr) CancelSynchronousIo(writerThread);
}
