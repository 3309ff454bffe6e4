#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "check/record/record_file.h"

namespace {

// How often a FIFO is tried again while it has no reader: opening one for
// writing blocks in the kernel until a reader comes, where neither a stop
// nor --seconds could end the wait.
constexpr auto kReaderRetry = std::chrono::milliseconds(50);

}  // namespace

std::FILE* OpenRecordTarget(const std::string& path, const std::function<bool()>& keepWaiting,
                            int* error) {
  *error = 0;
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISFIFO(info.st_mode)) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) *error = errno;
    return file;
  }
  for (;;) {
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      // From here on a slow reader slows the recording down, as a file
      // would, rather than failing it.
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
      std::FILE* file = fdopen(fd, "wb");
      if (file == nullptr) {
        *error = errno;
        close(fd);
      }
      return file;
    }
    if (errno != ENXIO && errno != EINTR) {
      *error = errno;
      return nullptr;
    }
    if (!keepWaiting()) return nullptr;
    std::this_thread::sleep_for(kReaderRetry);
  }
}
