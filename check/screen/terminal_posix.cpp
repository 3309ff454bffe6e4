#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "app/stop_request.h"
#include "check/screen/terminal.h"
#include "support/console.h"

namespace {

termios savedMode;
bool inScreenMode = false;
bool handlersInstalled = false;

// Set by the signal handlers, taken by the loop.
std::atomic<bool> suspendAsked{false};
std::atomic<bool> continued{false};

pthread_t writerThread;
std::atomic<bool> writerKnown{false};

extern "C" void OnSuspendSignal(int /*signal*/) { suspendAsked.store(true); }
extern "C" void OnContinueSignal(int /*signal*/) { continued.store(true); }
// A hang-up or SIGQUIT ends the screen as a stop does, so that the terminal
// is given back as it was.
extern "C" void OnEndSignal(int /*signal*/) { RequestStop(); }

// Installs handler for signal, unless the signal is ignored: whoever
// started the program (nohup, a job-control-less shell) asked for that.
void Handle(int signal, void (*handler)(int)) {
  struct sigaction old {};
  sigaction(signal, nullptr, &old);
  if (old.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a wait ends, and the loop looks
  sigaction(signal, &action, nullptr);
}

bool Contains(const char* value, const char* part) {
  return value != nullptr && std::strstr(value, part) != nullptr;
}

constexpr char kElsewhere[] = "; --once prints a report anywhere";

}  // namespace

std::string ScreenUnavailableReason() {
  if (isatty(1) != 1) return std::string("the live screen needs a terminal") + kElsewhere;
  if (isatty(0) != 1) {
    return std::string(
               "the live screen reads its keys from a terminal, and standard input is not "
               "one") +
           kElsewhere;
  }
  const char* term = std::getenv("TERM");
  if (term == nullptr || *term == '\0') {
    return std::string("TERM is not set, so it is not known what the terminal can do") + kElsewhere;
  }
  if (std::strcmp(term, "dumb") == 0) {
    return std::string("a dumb terminal (TERM=dumb) cannot draw the live screen") + kElsewhere;
  }
  return "";
}

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
  if (!handlersInstalled) {
    Handle(SIGTSTP, OnSuspendSignal);
    Handle(SIGCONT, OnContinueSignal);
    Handle(SIGHUP, OnEndSignal);
    Handle(SIGQUIT, OnEndSignal);
    handlersInstalled = true;
  }
  inScreenMode = true;
  continued.store(false);
  WriteTerminal(kEnterScreenSequence);
  return true;
}

void LeaveScreenMode() {
  if (!inScreenMode) return;
  if (StopRequested()) {
    // The last time: frames the terminal has not shown yet will never be
    // looked at, so drop them. Output stopped with Ctrl+S is started again,
    // as Ctrl+Q would: a pseudo-terminal takes no byte while it is stopped,
    // so the terminal could not be given back otherwise. TCOON alone starts
    // only output that TCOOFF stopped, hence the pair. CAN ends any sequence
    // a dropped frame left half-written.
    tcflush(1, TCOFLUSH);
    tcflow(1, TCOOFF);
    tcflow(1, TCOON);
    WriteTerminal("\x18");
  }
  WriteTerminal(kLeaveScreenSequence);
  tcsetattr(0, TCSANOW, &savedMode);
  inScreenMode = false;
}

namespace {
termios keyModeSaved{};
bool inKeyMode = false;
}  // namespace

bool EnterKeyMode() {
  if (inKeyMode) return true;
  if (isatty(0) != 1 || tcgetattr(0, &keyModeSaved) != 0) return false;
  termios raw = keyModeSaved;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));  // ISIG stays: Ctrl+C stops
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(0, TCSANOW, &raw) != 0) return false;
  inKeyMode = true;
  return true;
}

void LeaveKeyMode() {
  if (!inKeyMode) return;
  tcsetattr(0, TCSANOW, &keyModeSaved);
  inKeyMode = false;
}

bool ErrorIsTerminal() { return isatty(2) == 1; }

void WaitForInput(std::chrono::microseconds wait) {
  pollfd in{0, POLLIN, 0};
  const long long us = wait.count();
  const timespec timeout{static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000};
  ppoll(&in, 1, &timeout, nullptr);
}

std::string ReadKeys(bool* gone) {
  std::string keys;
  char buffer[512];
  for (;;) {
    pollfd in{0, POLLIN, 0};
    if (poll(&in, 1, 0) != 1) break;
    if ((in.revents & (POLLERR | POLLNVAL)) != 0) {
      *gone = true;
      break;
    }
    const ssize_t got = read(0, buffer, sizeof(buffer));
    if (got > 0) {
      keys.append(buffer, static_cast<std::size_t>(got));
      if (static_cast<std::size_t>(got) < sizeof(buffer)) break;
      continue;
    }
    // A terminal that hung up reads as the end of input, or fails.
    if ((got == 0 && (in.revents & POLLHUP) != 0) ||
        (got < 0 && errno != EINTR && errno != EAGAIN)) {
      *gone = true;
    }
    break;
  }
  return keys;
}

bool TakeSuspend() { return suspendAsked.exchange(false); }

bool TakeContinued() { return continued.exchange(false); }

void SuspendProcess() {
  // Stop as the terminal asked, with the default action; on continuing,
  // catch the next Ctrl+Z again.
  signal(SIGTSTP, SIG_DFL);
  kill(getpid(), SIGTSTP);
  Handle(SIGTSTP, OnSuspendSignal);
  continued.store(false);
}

void WriteTerminal(const std::string& text) { WriteToConsole(text.data(), text.size()); }

void RegisterWriterThread() {
  writerThread = pthread_self();
  writerKnown.store(true);
}

void InterruptWriter() {
  // Handled by the stop handlers (without SA_RESTART): the blocked write
  // ends with EINTR, and after a stop the write loop gives up.
  if (writerKnown.load()) pthread_kill(writerThread, SIGALRM);
}
