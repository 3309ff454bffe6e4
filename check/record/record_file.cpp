#include "check/record/record_file.h"

#include <cerrno>
#include <cstring>

#include "support/printable.h"

RecordFile::RecordFile(const std::string& path, const std::function<bool()>& keepWaiting)
    : path(path) {
  file = path == "-" ? stdout : OpenRecordTarget(path, keepWaiting, &error);
}

RecordFile::~RecordFile() {
  if (file != nullptr && file != stdout) std::fclose(file);
}

bool RecordFile::Write(const std::string& lines) {
  if (file == nullptr) return false;
  if (lines.empty()) return true;
  if (std::fwrite(lines.data(), 1, lines.size(), file) != lines.size() || std::fflush(file) != 0) {
    error = errno;
    return false;
  }
  return true;
}

int RecordFile::Failed() const {
  if (path == "-") {
    std::fprintf(stderr, "padwatch-check: cannot write to standard output: %s\n",
                 std::strerror(error));
  } else {
    std::fprintf(stderr, "padwatch-check: %s: cannot write: %s\n", Printable(path).c_str(),
                 std::strerror(error));
  }
  return 1;
}
