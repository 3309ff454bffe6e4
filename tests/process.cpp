#include "tests/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace {

struct Pipe {
  int read = -1;
  int write = -1;
};

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

// Starts argv with its standard descriptors as options say; returns the pid,
// or 0 with the reason in *error.
pid_t Spawn(const std::vector<std::string>& argv, const ProcessOptions& options, Pipe in, Pipe out,
            Pipe err, std::string* error) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (options.closeStdin) {
    posix_spawn_file_actions_addclose(&actions, 0);
  } else {
    posix_spawn_file_actions_adddup2(&actions, in.read, 0);
  }
  if (options.closeStderr) {
    posix_spawn_file_actions_addclose(&actions, 2);
  } else {
    posix_spawn_file_actions_adddup2(&actions, err.write, 2);
  }
  switch (options.stdoutTarget) {
    case StdoutTarget::kPipe:
    case StdoutTarget::kStalledPipe:
      posix_spawn_file_actions_adddup2(&actions, out.write, 1);
      break;
    case StdoutTarget::kClosed:
      posix_spawn_file_actions_addclose(&actions, 1);
      break;
    case StdoutTarget::kDevFull:
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0);
      break;
  }
  for (int fd : {in.read, in.write, out.read, out.write, err.read, err.write}) {
    posix_spawn_file_actions_addclose(&actions, fd);
  }
  // The child gets SIGPIPE as a shell would give it: default, or ignored.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t pipeSignal;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  if (!options.ignoreSigpipe) {
    posix_spawnattr_setsigdefault(&attributes, &pipeSignal);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  }
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) {
    *error = std::string("spawn failed: ") + std::strerror(spawned);
    return 0;
  }
  return pid;
}

// Reads whatever is left in fd, without waiting.
void Drain(int fd, std::string* into) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  char buffer[4096];
  ssize_t got;
  while ((got = read(fd, buffer, sizeof(buffer))) > 0) {
    into->append(buffer, static_cast<std::size_t>(got));
  }
}

// Reads the child's output until it has closed both streams (or, with a
// stalled standard output, until it has ended), sending the signal and
// enforcing the time-out as options say.
void Collect(pid_t pid, const ProcessOptions& options, int out, int err,
             std::chrono::steady_clock::time_point start, ProcessResult* result) {
  const bool stalled = options.stdoutTarget == StdoutTarget::kStalledPipe;
  bool killed = false;
  struct pollfd fds[2] = {{stalled ? -1 : out, POLLIN, 0}, {err, POLLIN, 0}};
  int open = stalled ? 1 : 2;
  while (open > 0) {
    const long long elapsed = MillisecondsSince(start);
    if (result->signalledAt < 0 && options.signalAfterMs >= 0 && elapsed >= options.signalAfterMs) {
      if (options.beforeSignal) options.beforeSignal(pid);
      kill(pid, options.signalToSend);
      result->signalledAt = elapsed;
    }
    if (!killed && elapsed >= options.timeoutMs) {
      kill(pid, SIGKILL);
      killed = true;
    }
    if (poll(fds, 2, 20) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
      char buffer[4096];
      const ssize_t got = read(fds[i].fd, buffer, sizeof(buffer));
      if (got <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
        continue;
      }
      std::string& into = i == 0 ? result->out : result->err;
      into.append(buffer, static_cast<std::size_t>(got));
      if (i == 0 && options.readPauseMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(options.readPauseMs));
      }
      if (i == 0 && options.closeStdoutAfter > 0 && into.size() >= options.closeStdoutAfter) {
        into.resize(options.closeStdoutAfter);
        close(fds[0].fd);  // the reader goes away, as `head` does
        fds[0].fd = -1;
        --open;
        result->stdoutClosedAt = MillisecondsSince(start);
      }
    }
  }
  if (stalled) {
    // Wait for the end (leaving the child to be reaped), then read what is
    // left in the pipe.
    siginfo_t info{};
    while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0 && MillisecondsSince(start) < options.timeoutMs) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    Drain(out, &result->out);
    close(out);
  }
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
  ProcessResult result;
  int fds[6];
  if (pipe(fds) != 0 || pipe(fds + 2) != 0 || pipe(fds + 4) != 0) return result;
  const Pipe in{fds[0], fds[1]}, out{fds[2], fds[3]}, err{fds[4], fds[5]};
  if (options.nonBlockingStdout) fcntl(out.write, F_SETFL, O_NONBLOCK);

  struct sigaction previousPipe {};
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &previousPipe);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = Spawn(argv, options, in, out, err, &result.err);
  close(in.read);
  close(out.write);
  close(err.write);
  if (pid == 0) {
    for (int fd : {in.write, out.read, err.read}) close(fd);
    sigaction(SIGPIPE, &previousPipe, nullptr);
    return result;
  }
  // The inputs used here are small enough for the pipe buffer.
  if (!options.input.empty()) {
    ssize_t ignored = write(in.write, options.input.data(), options.input.size());
    (void)ignored;
  }
  close(in.write);

  Collect(pid, options, out.read, err.read, start, &result);
  int status = 0;
  waitpid(pid, &status, 0);
  sigaction(SIGPIPE, &previousPipe, nullptr);
  result.elapsedMs = MillisecondsSince(start);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}
