// The cost of polls that write: four controllers with all six axes held write
// 24 value lines per poll. Measured with standard output sent to /dev/null
// and to a pipe drained by another process, each against writing the same
// 24 lines with one write() apiece to the same place.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "bench/bench_ratios.h"
#include "input/controller_manager.h"
#include "platform/scripted/scripted_xinput.h"
#include "support/console.h"
#include "support/number_text.h"

namespace {

void HoldAllAxes() {
  scripted::Reset();
  XINPUT_GAMEPAD pad{};
  pad.sThumbLX = 16384;
  pad.sThumbLY = -20000;
  pad.sThumbRX = 32767;
  pad.sThumbRY = -32768;
  pad.bLeftTrigger = 128;
  pad.bRightTrigger = 255;
  for (DWORD slot = 0; slot < 4; ++slot) {
    scripted::Plug(slot);
    scripted::SetGamepad(slot, pad);
  }
}

// The 24 lines one such poll writes.
std::vector<std::string> ValueLines() {
  const char* names[] = {"Left Stick X",  "Left Stick Y", "Right Stick X",
                         "Right Stick Y", "Left Trigger", "Right Trigger"};
  const char* values[] = {"0.500015", "-0.610370", "1.000000", "-1.000000", "0.501961", "1.000000"};
  std::vector<std::string> lines;
  for (int slot = 0; slot < 4; ++slot) {
    for (int axis = 0; axis < 6; ++axis) {
      lines.push_back(std::string("Axis [") + names[axis] + "] moved on device : " +
                      std::to_string(slot) + " with value: " + values[axis] + "\n");
    }
  }
  return lines;
}

// Points standard output at fd for the lifetime of the object.
class StdoutTo {
 public:
  explicit StdoutTo(int fd) : saved(dup(STDOUT_FILENO)) {
    std::cout.flush();
    std::fflush(stdout);
    dup2(fd, STDOUT_FILENO);
  }
  ~StdoutTo() {
    std::cout.flush();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
  }

 private:
  int saved;
};

// Pins the calling process to one CPU, so that writer and reader keep to
// their own cores and every run sees the same scheduling.
void PinTo(int cpu) {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  sched_setaffinity(0, sizeof(set), &set);
}

// A pipe whose read end a child process drains until the write end closes.
class DrainedPipe {
 public:
  DrainedPipe() {
    int fds[2];
    if (pipe(fds) != 0) std::perror("pipe");
    child = fork();
    if (child == 0) {
      PinTo(1);
      close(fds[1]);
      char buffer[65536];
      while (read(fds[0], buffer, sizeof(buffer)) > 0) {
      }
      _exit(0);
    }
    close(fds[0]);
    writeEnd = fds[1];
  }
  ~DrainedPipe() {
    close(writeEnd);
    waitpid(child, nullptr, 0);
  }
  int fd() const { return writeEnd; }

 private:
  pid_t child = -1;
  int writeEnd = -1;
};

void PollInto(benchmark::State& state, int fd) {
  HoldAllAxes();
  StdoutTo redirect(fd);
  ControllerManager manager;
  manager.Poll();  // the arrivals and first movements
  for (auto _ : state) manager.Poll();
  state.SetItemsProcessed(state.iterations() * 24);
}

void FloorInto(benchmark::State& state, int fd) {
  const std::vector<std::string> lines = ValueLines();
  for (auto _ : state) {
    for (const std::string& line : lines) {
      if (write(fd, line.data(), line.size()) < 0) state.SkipWithError("write failed");
    }
  }
  state.SetItemsProcessed(state.iterations() * 24);
}

// The floor plus building each line the way padwatch does, between writes.
void FloorBuildingInto(benchmark::State& state, int fd) {
  const char* names[] = {"Left Stick X",  "Left Stick Y", "Right Stick X",
                         "Right Stick Y", "Left Trigger", "Right Trigger"};
  const float values[] = {0.500015f, -0.610370f, 1.0f, -1.0f, 0.501961f, 1.0f};
  for (auto _ : state) {
    for (int slot = 0; slot < 4; ++slot) {
      for (int axis = 0; axis < 6; ++axis) {
        std::string line;
        line.reserve(80);
        line.append("Axis [").append(names[axis]).append("] moved on device : ");
        AppendInteger(line, slot);
        line.append(" with value: ");
        AppendFixed6(line, values[axis]);
        line.push_back('\n');
        if (write(fd, line.data(), line.size()) < 0) state.SkipWithError("write failed");
      }
    }
  }
}

int DevNull() {
  static const int fd = open("/dev/null", O_WRONLY);
  return fd;
}

void BM_Floor_DevNull(benchmark::State& state) { FloorInto(state, DevNull()); }
void BM_Poll_DevNull(benchmark::State& state) { PollInto(state, DevNull()); }
void BM_Floor_Pipe(benchmark::State& state) {
  DrainedPipe pipe;
  FloorInto(state, pipe.fd());
}
void BM_Poll_Pipe(benchmark::State& state) {
  DrainedPipe pipe;
  PollInto(state, pipe.fd());
}

// Line assembly and the stream alone, with nothing reaching the system.
void BM_Poll_NullStream(benchmark::State& state) {
  HoldAllAxes();
  struct Discard : std::streambuf {
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
  } discard;
  std::streambuf* saved = std::cout.rdbuf(&discard);
  ControllerManager manager;
  manager.Poll();
  for (auto _ : state) manager.Poll();
  std::cout.rdbuf(saved);
  state.SetItemsProcessed(state.iterations() * 24);
}

BENCHMARK(BM_Floor_DevNull);
BENCHMARK(BM_Poll_DevNull);
BENCHMARK(BM_Poll_NullStream);
BENCHMARK(BM_Floor_Pipe);
BENCHMARK(BM_Poll_Pipe);
void BM_FloorBuilding_Pipe(benchmark::State& state) {
  DrainedPipe pipe;
  FloorBuildingInto(state, pipe.fd());
}
void BM_FloorBuilding_DevNull(benchmark::State& state) { FloorBuildingInto(state, DevNull()); }
BENCHMARK(BM_FloorBuilding_DevNull);
BENCHMARK(BM_FloorBuilding_Pipe);

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  PinTo(0);
  PinTo(0);
  InstallConsoleWriter();  // as padwatch does
  return RunBenchmarksWithRatios(argc, argv,
                                 {{"BM_Poll_DevNull", "BM_Floor_DevNull", 0},
                                  {"BM_Poll_Pipe", "BM_Floor_Pipe", 1.5},
                                  {"BM_FloorBuilding_DevNull", "BM_Floor_DevNull", 0},
                                  {"BM_FloorBuilding_Pipe", "BM_Floor_Pipe", 0}});
}
