#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>

#include "check/probe/node_reports.h"

namespace {

double SteadyMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

NodeReports::NodeReports(const std::string& path, FrameKind kind, int samplesPerReport)
    : frames(kind, samplesPerReport) {
  fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  // The kernel stamps events on the realtime clock unless told otherwise;
  // steady_clock is CLOCK_MONOTONIC here.
  int clock = CLOCK_MONOTONIC;
  if (fd >= 0 && ioctl(fd, EVIOCSCLOCKID, &clock) != 0) {
    close(fd);
    fd = -1;
  }
}

NodeReports::~NodeReports() {
  if (fd >= 0) close(fd);
}

std::vector<NodeReport> NodeReports::Take() {
  std::vector<NodeReport> reports;
  if (fd < 0) return reports;
  input_event events[256];
  NodeEvent taken[256];
  for (;;) {
    const ssize_t got = read(fd, events, sizeof events);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) break;  // nothing more now
    if (got <= 0) {
      // The pad has gone: its node would wake every wait from now on.
      close(fd);
      fd = -1;
      break;
    }
    const double readMs = SteadyMs();
    const std::size_t count = static_cast<std::size_t>(got) / sizeof(input_event);
    for (std::size_t i = 0; i < count; ++i) {
      const input_event& event = events[i];
      taken[i] = {event.input_event_sec * 1000.0 + event.input_event_usec / 1000.0, event.type,
                  event.code, event.value};
    }
    frames.Add(taken, count, readMs, &reports);
    // Fewer than asked for: the buffer is empty, no need to ask again.
    if (count < sizeof events / sizeof events[0]) break;
  }
  return reports;
}

void NodeReports::WaitAny(const std::vector<NodeReports*>& nodes, int timeoutMs) {
  std::vector<pollfd> fds;
  for (const NodeReports* node : nodes) {
    if (node->fd >= 0) fds.push_back({node->fd, POLLIN, 0});
  }
  poll(fds.data(), fds.size(), timeoutMs);
}
