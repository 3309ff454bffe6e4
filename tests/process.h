// Runs a program as a child process and collects what it writes (POSIX).
#ifndef PADWATCH_TESTS_PROCESS_H_
#define PADWATCH_TESTS_PROCESS_H_

#include <cstddef>
#include <string>
#include <vector>

struct ProcessResult {
  int exitCode = -1;  // -1 when ended by a signal
  int signal = 0;     // the signal that ended it, or 0
  std::string out;
  std::string err;
  long long elapsedMs = 0;        // from start to the child's end
  long long stdoutClosedAt = -1;  // when closeStdoutAfter took effect
};

enum class StdoutTarget { kPipe, kClosed, kDevFull };

struct ProcessOptions {
  StdoutTarget stdoutTarget = StdoutTarget::kPipe;
  // With kPipe: close our end after reading this many bytes (0: never).
  std::size_t closeStdoutAfter = 0;
  bool ignoreSigpipe = false;  // the child starts with SIGPIPE ignored
  std::string input;           // written to the child's standard input, then closed
  int signalAfterMs = -1;      // send signalToSend after this long; -1: never
  int signalToSend = 0;
  int timeoutMs = 30000;  // the child is killed after this long
};

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options);

#endif  // PADWATCH_TESTS_PROCESS_H_
