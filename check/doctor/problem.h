// A fault the doctor found, and the words every doctor report writes it in.
#ifndef PADWATCH_CHECK_DOCTOR_PROBLEM_H_
#define PADWATCH_CHECK_DOCTOR_PROBLEM_H_

#include <cstddef>
#include <string>
#include <vector>

// Something that keeps a controller from being fully usable: what is wrong,
// why where that is known, and the exact lines to type or write.
struct Problem {
  std::string id;  // stable, for scripts: "event-unreadable", "no-mapping", ...
  std::string what;
  std::string why;
  std::vector<std::string> fix;
};

namespace doctor {

// Text from the system or a device as the doctor shows it: made safe and
// cut after 100 columns (ShownText).
std::string Shown(const std::string& text);
// The same in double quotes.
std::string Quoted(const std::string& text);

}  // namespace doctor

// The problem as the text reports write it: a "Problem:" line, a "Why:"
// line where the cause is known, and the fix's lines.
std::string ProblemText(const Problem& problem);

// The text reports' last line: "Every controller is fully usable." or the
// number of problems.
std::string ProblemCount(std::size_t count);

#endif  // PADWATCH_CHECK_DOCTOR_PROBLEM_H_
