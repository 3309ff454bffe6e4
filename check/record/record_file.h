// Where --record writes: a file, a FIFO, or standard output ("-"). Whole
// lines are written and flushed as they come, so what was written is a
// valid scenario at every moment.
#ifndef PADWATCH_CHECK_RECORD_RECORD_FILE_H_
#define PADWATCH_CHECK_RECORD_RECORD_FILE_H_

#include <cstdio>
#include <functional>
#include <string>

class RecordFile {
 public:
  // Opens path. A FIFO nobody reads yet is waited for, without spinning,
  // for as long as keepWaiting() says; if it says stop first, nothing is
  // open and Stopped() is true.
  RecordFile(const std::string& path, const std::function<bool()>& keepWaiting);
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // True when the wait for a reader was given up: a stop, not a failure.
  bool Stopped() const { return file == nullptr && error == 0; }
  // Writes lines in full; false once a write (or the opening) failed.
  bool Write(const std::string& lines);
  // Says on standard error why the opening or the last write failed;
  // returns the exit status (1).
  int Failed() const;

 private:
  std::string path;
  std::FILE* file = nullptr;
  int error = 0;
};

// The platform's part: opens path for writing, waiting for a FIFO's reader
// while keepWaiting() is true. Returns null with *error set on failure, or
// with *error 0 when the wait was given up.
std::FILE* OpenRecordTarget(const std::string& path, const std::function<bool()>& keepWaiting,
                            int* error);

#endif  // PADWATCH_CHECK_RECORD_RECORD_FILE_H_
