#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "support/console_output.h"

namespace console_output {

long Write(const char* data, std::size_t size) { return write(1, data, size); }

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

void WaitUntilWritable(int waitMs) {
  struct pollfd out = {1, POLLOUT, 0};
  poll(&out, 1, waitMs);
}

int HoldClosedStandardDescriptors() {
  // Lowest first, so that the null device takes exactly the closed number:
  // SDL opens sockets, and one on number 1 would receive the reports. A
  // closed standard output still fails its writes, as a closed stream does.
  int error = 0;
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int held = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (held >= 0 && held != fd) close(held);  // cannot happen: fd was the lowest free
    if (fd == 1) error = EBADF;
  }
  return error;
}

}  // namespace console_output
