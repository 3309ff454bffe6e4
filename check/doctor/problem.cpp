#include "check/doctor/problem.h"

#include "check/doctor/problem_json.h"
#include "check/report/shown_text.h"

namespace doctor {

std::string Shown(const std::string& text) {
  constexpr std::size_t kNameColumns = 100;
  return ShownText(text, kNameColumns);
}

std::string Quoted(const std::string& text) { return "\"" + Shown(text) + "\""; }

}  // namespace doctor

std::string ProblemText(const Problem& problem) {
  std::string out = "  Problem: " + problem.what + "\n";
  if (!problem.why.empty()) out += "    Why: " + problem.why + "\n";
  for (std::size_t i = 0; i < problem.fix.size(); ++i) {
    out += std::string(i == 0 ? "    Fix: " : "         ") + problem.fix[i] + "\n";
  }
  return out;
}

std::string ProblemCount(std::size_t count) {
  if (count == 0) return "Every controller is fully usable.\n";
  return std::to_string(count) + (count == 1 ? " problem.\n" : " problems.\n");
}

nlohmann::ordered_json ProblemJson(const Problem& problem) {
  nlohmann::ordered_json json;
  json["id"] = problem.id;
  json["problem"] = problem.what;
  json["why"] = problem.why;
  json["fix"] = problem.fix;
  return json;
}
