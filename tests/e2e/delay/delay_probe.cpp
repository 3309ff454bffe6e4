// The delay benchmark's harness, run in the guest: how long after the
// kernel stamped a press padwatch's line for it arrives, against the floor,
// a bare reader of the same event node blocking in poll.
//
//   delay_probe NODE PRESSES GO_FILE -- PROGRAM [ARG...]
//
// Starts PROGRAM (padwatch) with its standard output on a pipe and reads
// NODE itself (read-only, never grabbed, timestamps on CLOCK_MONOTONIC).
// Once PROGRAM has announced a controller it creates GO_FILE, for the
// feeder to start pressing. For each press of A, B, X or Y on the node it
// notes the kernel's time and when the bare reader had it; each of
// PROGRAM's "Button [NAME] pressed" lines is matched to the latest press of
// that button, and earlier presses of it still unmatched were lost. After PRESSES presses and a
// second more it stops PROGRAM (SIGINT) and prints one line of figures: for the floor and for
// PROGRAM, p50, p99 and max in ms after the kernel's timestamp, the ratio of the p50s, and how many
// presses never became a line.
#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace {

double NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

// p in [0, 1], nearest rank.
double Rank(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  std::size_t at = static_cast<std::size_t>(p * values.size() + 0.999999);
  return values[std::min(values.size(), std::max<std::size_t>(at, 1)) - 1];
}

std::string Figures(const std::vector<double>& delays) {
  char text[96];
  std::snprintf(text, sizeof text, "p50 %.3f ms, p99 %.3f ms, max %.3f ms", Rank(delays, 0.5),
                Rank(delays, 0.99), Rank(delays, 1));
  return text;
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "delay_probe: %s\n", what.c_str());
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6 || std::string(argv[4]) != "--") {
    Fail("usage: delay_probe NODE PRESSES GO_FILE -- PROGRAM [ARG...]");
  }
  const int presses = std::atoi(argv[2]);
  const std::string goFile = argv[3];
  const int node = open(argv[1], O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  int clock = CLOCK_MONOTONIC;
  if (node < 0 || ioctl(node, EVIOCSCLOCKID, &clock) != 0)
    Fail(std::string("cannot read ") + argv[1]);
  int out[2];
  if (pipe(out) != 0) Fail("pipe");
  const pid_t child = fork();
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    execv(argv[5], argv + 5);
    _exit(127);
  }
  close(out[1]);
  fcntl(out[0], F_SETFL, O_NONBLOCK);

  const std::map<int, std::string> names = {{BTN_A, "A"}, {BTN_B, "B"}, {BTN_X, "X"}, {BTN_Y, "Y"}};
  std::map<std::string, std::deque<double>> pending;  // kernel times of unmatched presses
  std::vector<double> floor, program;
  int seen = 0, lost = 0, lines = 0;
  bool announced = false;
  std::string partial;
  double lastPressMs = 0;
  const double startMs = NowMs();
  for (;;) {
    const double now = NowMs();
    if (seen >= presses && now - lastPressMs > 1000) break;
    if (now - startMs > 300000) break;  // at most five minutes
    pollfd fds[2] = {{node, POLLIN, 0}, {out[0], POLLIN, 0}};
    poll(fds, 2, 100);
    const double readMs = NowMs();
    input_event events[64];
    for (ssize_t got; (got = read(node, events, sizeof events)) > 0;) {
      for (std::size_t i = 0; i < static_cast<std::size_t>(got) / sizeof(input_event); ++i) {
        const input_event& event = events[i];
        if (event.type != EV_KEY || event.value != 1 || names.count(event.code) == 0) continue;
        const double kernelMs = event.input_event_sec * 1000.0 + event.input_event_usec / 1000.0;
        floor.push_back(readMs - kernelMs);
        pending[names.at(event.code)].push_back(kernelMs);
        ++seen;
        lastPressMs = readMs;
      }
    }
    char buffer[4096];
    for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;) {
      partial.append(buffer, static_cast<std::size_t>(got));
      for (std::size_t end; (end = partial.find('\n')) != std::string::npos;) {
        const std::string line = partial.substr(0, end);
        partial.erase(0, end + 1);
        ++lines;
        if (!announced && line.rfind("Controller connected!", 0) == 0) {
          announced = true;
          if (FILE* go = std::fopen(goFile.c_str(), "w")) std::fclose(go);
        }
        const std::size_t open = line.find("Button ["), close = line.find("] pressed");
        if (open != 0 || close == std::string::npos) continue;
        // The line is for the latest press of that button: one before it
        // that never became a line was lost (pressed and released between
        // two passes of the loop), not late.
        std::deque<double>& waiting = pending[line.substr(8, close - 8)];
        if (waiting.empty()) continue;
        program.push_back(readMs - waiting.back());
        lost += static_cast<int>(waiting.size()) - 1;
        waiting.clear();
      }
    }
  }
  kill(child, SIGINT);
  int status = 0;
  waitpid(child, &status, 0);
  for (const auto& [name, waiting] : pending) lost += static_cast<int>(waiting.size());
  const double floorP50 = Rank(floor, 0.5);
  std::printf("presses %d, lines %d; floor %s; padwatch %s; ratio at p50 %.1f; never printed %d\n",
              seen, lines, Figures(floor).c_str(), Figures(program).c_str(),
              floorP50 > 0 ? Rank(program, 0.5) / floorP50 : 0.0, lost);
  return seen == presses ? 0 : 1;
}
