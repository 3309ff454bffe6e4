#include "check/screen/terminal.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "support/console.h"

namespace {

termios savedMode;
bool inScreenMode = false;

bool Contains(const char* value, const char* part) {
  return value != nullptr && std::strstr(value, part) != nullptr;
}

}  // namespace

bool OutputIsTerminal() { return isatty(1) == 1; }

bool TerminalSize(int* width, int* height) {
  winsize size{};
  if (ioctl(1, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) return false;
  *width = size.ws_col;
  *height = size.ws_row;
  return true;
}

bool TerminalUsesUtf8() {
  // The first of these that is set decides, as for the C library.
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') {
      return Contains(value, "UTF-8") || Contains(value, "utf8") || Contains(value, "UTF8") ||
             Contains(value, "utf-8");
    }
  }
  return false;
}

bool EnterScreenMode() {
  if (inScreenMode) return true;
  if (tcgetattr(0, &savedMode) != 0) return false;
  termios raw = savedMode;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));  // ISIG stays: Ctrl+C stops
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(0, TCSANOW, &raw) != 0) return false;
  inScreenMode = true;
  WriteTerminal(kEnterScreenSequence);
  return true;
}

void LeaveScreenMode() {
  if (!inScreenMode) return;
  WriteTerminal(kLeaveScreenSequence);
  tcsetattr(0, TCSANOW, &savedMode);
  inScreenMode = false;
}

int ReadKey() {
  pollfd in{0, POLLIN, 0};
  if (poll(&in, 1, 0) != 1 || (in.revents & POLLIN) == 0) return 0;
  unsigned char key = 0;
  return read(0, &key, 1) == 1 ? key : 0;
}

void WriteTerminal(const std::string& text) { WriteToConsole(text.data(), text.size()); }
