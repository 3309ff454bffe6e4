// Redirects std::cout into a string for the lifetime of the object.
#ifndef PADWATCH_TESTS_STDOUT_CAPTURE_H_
#define PADWATCH_TESTS_STDOUT_CAPTURE_H_

#include <iostream>
#include <sstream>
#include <string>

class StdoutCapture {
 public:
  StdoutCapture() : saved(std::cout.rdbuf(buffer.rdbuf())) {}
  ~StdoutCapture() { std::cout.rdbuf(saved); }
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;

  // Returns what was written since the last call and starts afresh.
  std::string Take() {
    std::string text = buffer.str();
    buffer.str(std::string());
    return text;
  }

 private:
  std::ostringstream buffer;
  std::streambuf* saved;
};

#endif  // PADWATCH_TESTS_STDOUT_CAPTURE_H_
