// Waiting, without polling, for device nodes to appear in some folders.
#ifndef PADWATCH_PLATFORM_LINUX_NODE_WATCH_H_
#define PADWATCH_PLATFORM_LINUX_NODE_WATCH_H_

#include <chrono>
#include <string>
#include <vector>

// Watches folders (inotify) for entries made, moved in, or given a new
// owner or mode: a device node appearing, and udev handing it over. A
// folder that does not exist is passed over.
class NodeWatch {
 public:
  explicit NodeWatch(const std::vector<std::string>& folders);
  ~NodeWatch();
  NodeWatch(const NodeWatch&) = delete;
  NodeWatch& operator=(const NodeWatch&) = delete;

  // Waits until something changed in a folder since the last call, a
  // signal comes, or `longest` has passed; true when something changed.
  // Without inotify it only waits.
  bool Wait(std::chrono::milliseconds longest);

 private:
  int fd = -1;
};

#endif  // PADWATCH_PLATFORM_LINUX_NODE_WATCH_H_
