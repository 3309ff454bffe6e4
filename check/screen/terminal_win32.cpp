#include "check/screen/terminal.h"

#include <io.h>

#include "platform/xinput.h"
#include "support/console.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace {

DWORD savedOutputMode = 0;
DWORD savedInputMode = 0;
bool inScreenMode = false;

HANDLE Output() { return GetStdHandle(STD_OUTPUT_HANDLE); }
HANDLE Input() { return GetStdHandle(STD_INPUT_HANDLE); }

}  // namespace

bool OutputIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(Output(), &mode) != 0;
}

bool TerminalSize(int* width, int* height) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(Output(), &info)) return false;
  *width = info.srWindow.Right - info.srWindow.Left + 1;
  *height = info.srWindow.Bottom - info.srWindow.Top + 1;
  return *width > 0 && *height > 0;
}

bool TerminalUsesUtf8() { return GetConsoleOutputCP() == CP_UTF8; }

bool EnterScreenMode() {
  if (inScreenMode) return true;
  if (!GetConsoleMode(Output(), &savedOutputMode)) return false;
  if (!SetConsoleMode(Output(), savedOutputMode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
    return false;
  }
  if (GetConsoleMode(Input(), &savedInputMode)) {
    // Keys one by one, no echo; Ctrl+C still reaches the control handler.
    SetConsoleMode(Input(), (savedInputMode & ~(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT)) |
                                ENABLE_PROCESSED_INPUT);
  }
  inScreenMode = true;
  WriteTerminal(kEnterScreenSequence);
  return true;
}

void LeaveScreenMode() {
  if (!inScreenMode) return;
  WriteTerminal(kLeaveScreenSequence);
  SetConsoleMode(Input(), savedInputMode);
  SetConsoleMode(Output(), savedOutputMode);
  inScreenMode = false;
}

int ReadKey() {
  DWORD events = 0;
  while (GetNumberOfConsoleInputEvents(Input(), &events) && events > 0) {
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputA(Input(), &record, 1, &read) || read == 0) return 0;
    if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown &&
        record.Event.KeyEvent.uChar.AsciiChar != 0) {
      return static_cast<unsigned char>(record.Event.KeyEvent.uChar.AsciiChar);
    }
  }
  return 0;
}

void WriteTerminal(const std::string& text) { WriteToConsole(text.data(), text.size()); }
