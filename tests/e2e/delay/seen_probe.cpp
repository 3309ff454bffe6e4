// The delay benchmark's middle: how long after the kernel's timestamp
// padwatch's platform layer sees a press, without writing anything, and how
// long its refresh takes (the first query of a pass, where SDL reads the
// devices). Between this and delay_probe's figure for padwatch lies the
// line's way out: building it, the write, and the reader's wake-up.
//
//   seen_probe NODE PRESSES GO_FILE
//
// Reads NODE itself for each press's kernel time, creates GO_FILE once the
// layer has a controller in slot 0, and polls the four slots as padwatch
// does until PRESSES presses and a second more have passed.
#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/xinput.h"

namespace {

double NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

std::string Figures(std::vector<double> values) {
  if (values.empty()) return "none";
  std::sort(values.begin(), values.end());
  auto rank = [&values](double p) {
    const std::size_t at = static_cast<std::size_t>(p * values.size() + 0.999999);
    return values[std::min(values.size(), std::max<std::size_t>(at, 1)) - 1];
  };
  char text[96];
  std::snprintf(text, sizeof text, "p50 %.3f ms, p99 %.3f ms, max %.3f ms", rank(0.5), rank(0.99),
                values.back());
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: seen_probe NODE PRESSES GO_FILE\n");
    return 2;
  }
  const int node = open(argv[1], O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  int clock = CLOCK_MONOTONIC;
  if (node < 0 || ioctl(node, EVIOCSCLOCKID, &clock) != 0) {
    std::fprintf(stderr, "seen_probe: cannot read %s\n", argv[1]);
    return 2;
  }
  const int presses = std::atoi(argv[2]);
  std::vector<double> seen, refresh;
  int pressed = 0;
  double lastPressMs = -1, lastReadMs = 0;
  bool announced = false;
  WORD held = 0;
  for (const double startMs = NowMs(); NowMs() - startMs < 300000;) {
    if (pressed >= presses && NowMs() - lastReadMs > 1000) break;
    input_event events[64];
    for (ssize_t got; (got = read(node, events, sizeof events)) > 0;) {
      for (std::size_t i = 0; i < static_cast<std::size_t>(got) / sizeof(input_event); ++i) {
        if (events[i].type != EV_KEY || events[i].value != 1) continue;
        lastPressMs = events[i].input_event_sec * 1000.0 + events[i].input_event_usec / 1000.0;
        lastReadMs = NowMs();
        ++pressed;
      }
    }
    const double before = NowMs();
    XINPUT_STATE state{};
    const bool connected = XInputGetState(0, &state) == ERROR_SUCCESS;
    const double after = NowMs();
    for (DWORD slot = 1; slot < XUSER_MAX_COUNT; ++slot) {
      XINPUT_STATE other{};
      XInputGetState(slot, &other);
    }
    if (connected && !announced) {
      announced = true;
      if (FILE* go = std::fopen(argv[3], "w")) std::fclose(go);
    }
    refresh.push_back(after - before);
    const WORD now = connected ? state.Gamepad.wButtons : 0;
    if ((now & ~held) != 0 && lastPressMs > 0) seen.push_back(after - lastPressMs);
    held = now;
  }
  std::printf("layer: presses %d, seen %zu; seen %s after the kernel's timestamp; refresh %s\n",
              pressed, seen.size(), Figures(seen).c_str(), Figures(refresh).c_str());
  return pressed == presses ? 0 : 1;
}
