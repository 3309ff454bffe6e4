#include <cerrno>

#include "check/record/record_file.h"

// A named pipe is opened as any file: it fails at once where nobody serves
// it, and there is nothing to wait for.
std::FILE* OpenRecordTarget(const std::string& path, const std::function<bool()>& /*keepWaiting*/,
                            int* error) {
  *error = 0;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) *error = errno;
  return file;
}
