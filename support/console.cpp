#include "support/console.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace {

// Collects what std::cout is given and hands it to the system in one write
// per flush (a report line is flushed as soon as it is complete).
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(int error) : error(error) {}
  // Hands std::cout back its own buffer, for whatever is written after
  // static objects are gone.
  ~ConsoleBuffer() override {
    sync();
    if (std::cout.rdbuf() == this) std::cout.rdbuf(previous);
  }
  void Attach() { previous = std::cout.rdbuf(this); }
  int Error() const { return error; }
  bool Empty() const { return used == 0; }

  // Writes data in full, retrying after interruptions and partial writes,
  // and waiting while a non-blocking descriptor is full. Returns false,
  // remembering the error, once a write has failed. A write that has to
  // wait after a stop was requested gives up instead: see Abandoned().
  bool WriteAll(const char* data, std::size_t size) {
    std::size_t sent = 0;
    int waitsAfterStop = 0;
    while (sent < size && error == 0 && !abandoned) {
#ifdef _WIN32
      // The CRT's text mode turns each newline into CRLF, as Windows
      // programs write them.
      const int written = _write(1, data + sent, static_cast<unsigned>(size - sent));
#else
      const ssize_t written = write(1, data + sent, size - sent);
#endif
      if (written >= 0) {
        sent += static_cast<std::size_t>(written);
        continue;
      }
      const int reason = errno;
      if (stopCheck != nullptr && stopCheck()) {
        // The user asked to stop and the reader is not taking lines. A
        // line the system took none of is dropped with all that follow; a
        // line already begun gets a short while to be finished.
        if (sent == 0 || ++waitsAfterStop > kWaitsAfterStop) {
          abandoned = true;
          break;
        }
      } else if (reason != EINTR && !WouldBlock(reason)) {
        error = reason;
        break;
      }
      if (WouldBlock(reason)) WaitUntilWritable();
    }
    return error == 0;
  }

  // True once a stop request made a write give up; nothing more is written
  // and this does not count as a failure.
  bool Abandoned() const { return abandoned; }

  void SetStopCheck(bool (*check)()) { stopCheck = check; }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return sync() == 0 ? 0 : c;
    const char ch = traits_type::to_char_type(c);
    return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
  }

  std::streamsize xsputn(const char* s, std::streamsize n) override {
    std::streamsize done = 0;
    while (done < n) {
      if (used == sizeof(buffer) && sync() != 0) return done;
      std::size_t chunk = sizeof(buffer) - used;
      if (static_cast<std::streamsize>(chunk) > n - done) {
        chunk = static_cast<std::size_t>(n - done);
      }
      std::memcpy(buffer + used, s + done, chunk);
      used += chunk;
      done += static_cast<std::streamsize>(chunk);
    }
    return done;
  }

  int sync() override {
    const bool written = WriteAll(buffer, used);
    used = 0;
    return written ? 0 : -1;
  }

 private:
  // How many waits of kWaitMs a line already begun gets after a stop.
  static constexpr int kWaitsAfterStop = 5;
  static constexpr int kWaitMs = 100;

  static bool WouldBlock(int reason) {
#ifdef _WIN32
    (void)reason;
    return false;
#else
    return reason == EAGAIN || reason == EWOULDBLOCK;
#endif
  }

  // Waits until standard output (left non-blocking by whoever shares it)
  // can take more, waking now and then so that a stop request is seen.
  static void WaitUntilWritable() {
#ifndef _WIN32
    struct pollfd out = {1, POLLOUT, 0};
    poll(&out, 1, kWaitMs);
#endif
  }

  char buffer[4096];
  std::size_t used = 0;
  int error;
  bool abandoned = false;
  bool (*stopCheck)() = nullptr;
  std::streambuf* previous = nullptr;
};

ConsoleBuffer* console = nullptr;

}  // namespace

void WriteLine(std::string text) {
  if (!std::cout.good() || (console != nullptr && console->Abandoned())) return;
  text.push_back('\n');
  std::streambuf* out = std::cout.rdbuf();
  bool written;
  if (out == console && console->Empty()) {
    // The usual case: the line goes out straight from the string.
    written = console->WriteAll(text.data(), text.size());
  } else {
    const std::streamsize size = static_cast<std::streamsize>(text.size());
    written = out->sputn(text.data(), size) == size && out->pubsync() == 0;
  }
  if (!written) std::cout.setstate(std::ios::badbit);
}

void InstallConsoleWriter(bool (*stopRequested)()) {
  if (console != nullptr) return;
  int error = 0;
#ifndef _WIN32
  // Hold each closed standard descriptor with /dev/null, lowest first, so
  // that no file or socket opened later (SDL opens some) takes its number
  // and receives what was meant for standard input, output or error. A
  // closed standard output still fails its writes, as a closed stream does.
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int held = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (held >= 0 && held != fd) close(held);  // cannot happen: fd was the lowest free
    if (fd == 1) error = EBADF;
  }
#endif
  static ConsoleBuffer buffer(error);
  console = &buffer;
  console->SetStopCheck(stopRequested);
  console->Attach();
}

int ConsoleWriteError() { return console == nullptr ? 0 : console->Error(); }

int ConsoleFailureStatus(const char* program) {
  const int error = ConsoleWriteError();
  // A reader that went away is how a pipeline ends (`padwatch | head`):
  // nothing to report. Usually SIGPIPE has already ended the process;
  // this is the case where it was ignored.
  if (error != EPIPE) {
    std::fprintf(stderr, "%s: cannot write to standard output: %s\n", program,
                 std::strerror(error));
  }
  return 1;
}
