#include "tests/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

extern char** environ;

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
  ProcessResult result;
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return result;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  switch (options.stdoutTarget) {
    case StdoutTarget::kPipe:
      posix_spawn_file_actions_adddup2(&actions, out[1], 1);
      break;
    case StdoutTarget::kClosed:
      posix_spawn_file_actions_addclose(&actions, 1);
      break;
    case StdoutTarget::kDevFull:
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0);
      break;
  }
  for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
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
  struct sigaction previousPipe {};
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &previousPipe);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  if (spawned != 0) {
    close(in[1]);
    close(out[0]);
    close(err[0]);
    result.err = std::string("spawn failed: ") + std::strerror(spawned);
    return result;
  }

  // The inputs used here are small enough for the pipe buffer.
  if (!options.input.empty()) {
    ssize_t ignored = write(in[1], options.input.data(), options.input.size());
    (void)ignored;
  }
  close(in[1]);

  const auto start = std::chrono::steady_clock::now();
  bool signalled = false;
  bool killed = false;
  struct pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  int open = 2;
  while (open > 0) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
    if (!signalled && options.signalAfterMs >= 0 && elapsed >= options.signalAfterMs) {
      kill(pid, options.signalToSend);
      signalled = true;
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
      if (got > 0) {
        (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(got));
        if (i == 0 && options.closeStdoutAfter > 0 &&
            result.out.size() >= options.closeStdoutAfter) {
          result.out.resize(options.closeStdoutAfter);
          close(fds[0].fd);  // the reader goes away, as `head` does
          fds[0].fd = -1;
          --open;
          result.stdoutClosedAt = std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now() - start)
                                      .count();
        }
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  sigaction(SIGPIPE, &previousPipe, nullptr);
  result.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now() - start)
                         .count();
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}
