// Runs a program as a child process and collects what it writes (POSIX).
#ifndef PADWATCH_TESTS_PROCESS_H_
#define PADWATCH_TESTS_PROCESS_H_

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct ProcessResult {
  int exitCode = -1;  // -1 when ended by a signal
  int signal = 0;     // the signal that ended it, or 0
  std::string out;
  std::string err;
  long long elapsedMs = 0;        // from start to the child's end
  long long signalledAt = -1;     // when signalToSend was sent
  long long stdoutClosedAt = -1;  // when closeStdoutAfter took effect
};

enum class StdoutTarget {
  kPipe,
  kStalledPipe,  // a pipe nobody reads until the child has ended
  kClosed,
  kDevFull,
};

struct ProcessOptions {
  StdoutTarget stdoutTarget = StdoutTarget::kPipe;
  // With kPipe: close our end after reading this many bytes (0: never).
  std::size_t closeStdoutAfter = 0;
  // With kPipe: the child's end is non-blocking, and we wait this long
  // after each read, as a slow reader would.
  bool nonBlockingStdout = false;
  int readPauseMs = 0;
  bool ignoreSigpipe = false;  // the child starts with SIGPIPE ignored
  bool closeStdin = false;
  bool closeStderr = false;
  std::string input;       // written to the child's standard input, then closed
  int signalAfterMs = -1;  // send signalToSend after this long; -1: never
  int signalToSend = 0;
  // Called with the child's pid just before signalToSend is sent.
  std::function<void(pid_t)> beforeSignal;
  int timeoutMs = 30000;  // the child is killed after this long
};

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options);

#endif  // PADWATCH_TESTS_PROCESS_H_
