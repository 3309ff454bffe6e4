#include "platform/linux/node_watch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <thread>

NodeWatch::NodeWatch(const std::vector<std::string>& folders) {
  fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd < 0) return;
  for (const std::string& folder : folders) {
    inotify_add_watch(fd, folder.c_str(), IN_CREATE | IN_ATTRIB | IN_MOVED_TO);
  }
}

NodeWatch::~NodeWatch() {
  if (fd >= 0) close(fd);
}

bool NodeWatch::Wait(std::chrono::milliseconds longest) {
  if (fd < 0) {
    std::this_thread::sleep_for(longest);
    return false;
  }
  pollfd watch{fd, POLLIN, 0};
  if (poll(&watch, 1, static_cast<int>(longest.count())) != 1) return false;
  // What changed does not matter, only that something did: drain it all.
  char events[4096];
  while (read(fd, events, sizeof events) > 0) {
  }
  return true;
}
