#include "support/console.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "support/console_output.h"

namespace {

// How many waits of kWaitMs a line already begun gets after a stop.
constexpr int kWaitsAfterStop = 5;
constexpr int kWaitMs = 100;

enum class WriteEnd { kWritten, kFailed, kGaveUp };

// Writes data to standard output in full, retrying after interruptions and
// partial writes, and waiting while a non-blocking output is full. Once
// stopCheck (if given) returns true, a write that cannot go on at once gives
// up: data the system took none of is dropped, data already begun gets a
// short while to be finished. On failure, *error is the system's reason.
WriteEnd WriteFully(const char* data, std::size_t size, bool (*stopCheck)(), int* error) {
  std::size_t sent = 0;
  int waitsAfterStop = 0;
  while (sent < size) {
    const long written = console_output::Write(data + sent, size - sent);
    if (written >= 0) {
      sent += static_cast<std::size_t>(written);
      continue;
    }
    const int reason = errno;
    if (stopCheck != nullptr && stopCheck()) {
      // The user asked to stop and the reader is not taking what is written.
      if (sent == 0 || ++waitsAfterStop > kWaitsAfterStop) return WriteEnd::kGaveUp;
    } else if (reason != EINTR && !console_output::WouldBlock(reason)) {
      *error = reason;
      return WriteEnd::kFailed;
    }
    if (console_output::WouldBlock(reason)) console_output::WaitUntilWritable(kWaitMs);
  }
  return WriteEnd::kWritten;
}

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

  // Writes data in full (see WriteFully). Returns false, remembering the
  // error, once a write has failed; a write given up after a stop request
  // is remembered too: see Abandoned().
  bool WriteAll(const char* data, std::size_t size) {
    if (error != 0 || abandoned) return error == 0;
    const WriteEnd end = WriteFully(data, size, stopCheck, &error);
    abandoned = end == WriteEnd::kGaveUp;
    return error == 0;
  }

  // True once a stop request made a write give up; nothing more is written
  // and this does not count as a failure.
  bool Abandoned() const { return abandoned; }

  void SetStopCheck(bool (*check)()) { stopCheck = check; }
  bool (*StopCheck() const)() { return stopCheck; }

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
  static ConsoleBuffer buffer(console_output::HoldClosedStandardDescriptors());
  console = &buffer;
  console->SetStopCheck(stopRequested);
  console->Attach();
}

bool WriteToConsole(const char* data, std::size_t size) {
  int error = 0;
  return WriteFully(data, size, console == nullptr ? nullptr : console->StopCheck(), &error) ==
         WriteEnd::kWritten;
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
