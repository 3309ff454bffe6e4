#include "check/health/health_compare.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "check/health/health_card.h"
#include "check/report/decimal_text.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr std::size_t kMaxCardBytes = 1 << 20;  // a card is a few kilobytes
constexpr int kMaxDepth = 8;                    // a card nests 4 deep

enum class Kind { kValue, kLowestReach, kButtonsSeen, kBounces };

struct Figure {
  std::string name;
  std::string step;     // the step that measures it, as the card names it
  std::string pointer;  // into the card's JSON
  int decimals;
  Kind kind = Kind::kValue;
};

// Every figure the comparison shows, in its order.
const std::vector<Figure>& Figures() {
  static const std::vector<Figure> figures = [] {
    std::vector<Figure> list;
    const std::string sides[] = {"left", "right"};
    const char* const axes[] = {"x", "y"};
    for (int s = 0; s < 2; ++s) {
      for (int a = 0; a < 2; ++a) {
        const std::string at = "/rest/sticks/" + std::to_string(s * 2 + a) + "/";
        const std::string name = sides[s] + " stick " + axes[a] + " at rest: ";
        list.push_back({name + "mean", "rest", at + "mean", 1});
        list.push_back({name + "standard deviation", "rest", at + "standard_deviation", 2});
        list.push_back({name + "peak to peak", "rest", at + "peak_to_peak", 0});
      }
    }
    for (int t = 0; t < 2; ++t) {
      const std::string at = "/rest/triggers/" + std::to_string(t) + "/";
      const std::string name = sides[t] + " trigger at rest: ";
      list.push_back({name + "mean", "rest", at + "mean", 1});
      list.push_back({name + "peak to peak", "rest", at + "peak_to_peak", 0});
    }
    const char* const directions[] = {"right", "up", "left", "down"};
    for (int s = 0; s < 2; ++s) {
      const std::string at = "/sticks/" + std::to_string(s) + "/";
      const std::string step = sides[s] + " stick";
      list.push_back({step + ": circularity error %", step, at + "circularity_error_percent", 2});
      list.push_back(
          {step + ": lowest reach %", step, at + "reach_percent", 1, Kind::kLowestReach});
      for (int d = 0; d < 4; ++d) {
        list.push_back({step + ": reach " + directions[d] + " %", step,
                        at + "reach_percent/" + std::to_string(d * 12), 1});
      }
    }
    for (int t = 0; t < 2; ++t) {
      const std::string at = "/triggers/" + std::to_string(t) + "/";
      const std::string step = sides[t] + " trigger";
      list.push_back({step + ": highest", step, at + "highest", 0});
      list.push_back({step + ": different values", step, at + "distinct_values", 0});
      list.push_back({step + ": pulls", step, at + "pulls", 0});
    }
    list.push_back({"buttons pressed and released", "buttons", "/buttons", 0, Kind::kButtonsSeen});
    list.push_back({"button bounces", "buttons", "/buttons", 0, Kind::kBounces});
    return list;
  }();
  return figures;
}

// The field key of object, or null: the file may have anything anywhere.
Json Field(const Json& object, const char* key) {
  if (!object.is_object()) return Json();
  const auto found = object.find(key);
  return found == object.end() ? Json() : *found;
}

std::optional<double> Number(const Json& value) {
  if (!value.is_number()) return std::nullopt;
  return value.get<double>();
}

// Whether the card's step measured its figures: the rest step only when it
// ran its whole time, the others once started (a stick that ran out of
// time still has an outline).
bool Measured(const Json& card, const std::string& step) {
  const Json steps = Field(card, "steps");
  if (!steps.is_array()) return false;
  for (const Json& entry : steps) {
    if (Field(entry, "step") != step) continue;
    return Field(entry, step == "rest" ? "done" : "started") == true;
  }
  return false;
}

std::optional<double> Read(const Json& card, const Figure& figure) {
  if (!Measured(card, figure.step)) return std::nullopt;
  const Json::json_pointer pointer(figure.pointer);
  Json value;
  try {
    if (!card.contains(pointer)) return std::nullopt;
    value = card.at(pointer);
  } catch (const Json::exception&) {
    return std::nullopt;  // a field of another type on the way
  }
  if (figure.kind == Kind::kValue) return Number(value);
  if (!value.is_array()) return std::nullopt;
  std::optional<double> result;
  double total = 0;
  for (const Json& item : value) {
    if (figure.kind == Kind::kLowestReach) {
      // The card's own rule: the lowest among the directions the stick
      // was turned in at all (past 20%).
      const std::optional<double> reach = Number(item);
      if (reach && *reach > 20 && (!result || *reach < *result)) result = reach;
      continue;
    }
    if (!item.is_object()) return std::nullopt;
    if (figure.kind == Kind::kButtonsSeen) {
      total += Field(item, "pressed") == true && Field(item, "released") == true;
    } else {
      const std::optional<double> bounces = Number(Field(item, "bounces"));
      if (!bounces) return std::nullopt;
      total += *bounces;
    }
  }
  if (figure.kind == Kind::kLowestReach) return result;
  return total;
}

bool IsVerdictName(const std::string& name) {
  for (Verdict v :
       {Verdict::kGood, Verdict::kWorn, Verdict::kFaulty, Verdict::kNotMeasured, Verdict::kInfo}) {
    if (name == VerdictName(v)) return true;
  }
  return false;
}

CardSummary Summarize(const Json& card) {
  CardSummary summary;
  const Json checks = Field(card, "checks");
  if (checks.is_array()) {
    for (const Json& check : checks) {
      const Json name = Field(check, "check");
      const Json verdict = Field(check, "verdict");
      if (name.is_string() && verdict.is_string() && IsVerdictName(verdict.get<std::string>())) {
        summary.verdicts[name.get<std::string>()] = verdict.get<std::string>();
      }
    }
  }
  for (const Figure& figure : Figures()) summary.figures.push_back(Read(card, figure));
  return summary;
}

// Figure i of a card as plain values (GCC at -O2 takes a copied
// optional<double> for uninitialised), and the change from one to another.
struct Value {
  bool known = false;
  double number = 0;
};

Value At(const CardSummary& card, std::size_t i) {
  if (i >= card.figures.size() || !card.figures[i].has_value()) return {};
  return {true, card.figures[i].value()};
}

Value Difference(const Value& before, const Value& now) {
  if (!before.known || !now.known) return {};
  return {true, now.number - before.number};
}

std::string Shown(const Value& value, int decimals) {
  return value.known ? Fixed(value.number, decimals) : "-";
}

std::string Change(const Value& change, int decimals) {
  const std::string text = Shown(change, decimals);
  const bool zero = text.find_first_not_of("0.") == std::string::npos;
  return !change.known || text[0] == '-' || zero ? text : "+" + text;
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

std::string RightAligned(const std::string& text, std::size_t width) {
  return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

// The checks of this card, in its order, with their verdicts now.
std::vector<std::pair<std::string, std::string>> Checks(const Json& card) {
  std::vector<std::pair<std::string, std::string>> checks;
  for (const Json& check : card.at("checks")) {
    checks.emplace_back(check.at("check").get<std::string>(),
                        check.at("verdict").get<std::string>());
  }
  return checks;
}

std::string Before(const CardSummary& before, const std::string& check) {
  const auto found = before.verdicts.find(check);
  return found == before.verdicts.end() ? "-" : found->second;
}

}  // namespace

bool ReadCardSummary(const std::string& json, CardSummary* summary, std::string* why) {
  // Anything nested deeper than a card ever is, is dropped as it is read.
  const Json card = Json::parse(
      json, [](int depth, Json::parse_event_t, Json&) { return depth <= kMaxDepth; }, false);
  if (card.is_discarded()) {
    *why = "it is not JSON";
    return false;
  }
  if (Field(card, "tool") != "padwatch-check" || Field(card, "report") != "health") {
    *why = "it is not a card from padwatch-check --test --json";
    return false;
  }
  if (Field(card, "version") != 1) {
    *why = "its card is of a version this padwatch-check does not read (it reads version 1)";
    return false;
  }
  *summary = Summarize(card);
  return true;
}

bool ReadCardFile(const std::string& path, CardSummary* summary, std::string* why) {
  std::ifstream in(path, std::ios::binary);
  std::string text;
  if (in) {
    std::istreambuf_iterator<char> from(in), end;
    while (from != end && text.size() <= kMaxCardBytes) text.push_back(*from++);
  }
  if (!in || in.bad()) {
    *why = "it cannot be read";
    return false;
  }
  if (text.size() > kMaxCardBytes) {
    *why = "it is larger than a card can be";
    return false;
  }
  return ReadCardSummary(text, summary, why);
}

std::string HealthCompareText(const std::string& cardJson, const CardSummary& before) {
  const Json card = Json::parse(cardJson);
  const CardSummary now = Summarize(card);
  std::size_t width = std::string("check").size();
  for (const auto& check : Checks(card)) width = std::max(width, check.first.size());
  for (const Figure& figure : Figures()) width = std::max(width, figure.name.size());
  std::string text = "\nCompared with the earlier card:\n";
  text += "  " + Padded("check", width) + "  " + Padded("before", 14) + "now\n";
  for (const auto& check : Checks(card)) {
    if (check.second == VerdictName(Verdict::kInfo)) continue;
    text += "  " + Padded(check.first, width) + "  " + Padded(Before(before, check.first), 14) +
            check.second + "\n";
  }
  text += "  " + Padded("figure", width) + "  " + RightAligned("before", 9) +
          RightAligned("now", 10) + RightAligned("change", 10) + "\n";
  for (std::size_t i = 0; i < Figures().size(); ++i) {
    const Figure& figure = Figures()[i];
    const Value was = At(before, i), is = At(now, i);
    text += "  " + Padded(figure.name, width) + "  " +
            RightAligned(Shown(was, figure.decimals), 9) +
            RightAligned(Shown(is, figure.decimals), 10) +
            RightAligned(Change(Difference(was, is), figure.decimals), 10) + "\n";
  }
  return text;
}

std::string HealthJsonCompared(const std::string& cardJson, const CardSummary& before) {
  Json card = Json::parse(cardJson);
  const CardSummary now = Summarize(card);
  Json checks = Json::array();
  for (const auto& check : Checks(card)) {
    const std::string was = Before(before, check.first);
    checks.push_back({{"check", check.first},
                      {"before", was == "-" ? Json() : Json(was)},
                      {"now", check.second}});
  }
  Json figures = Json::array();
  for (std::size_t i = 0; i < Figures().size(); ++i) {
    const Figure& figure = Figures()[i];
    const Value was = At(before, i), is = At(now, i);
    const auto json = [&figure](const Value& v) {
      if (!v.known) return Json();
      // Counts and raw units are whole numbers, as the card writes them.
      return figure.decimals == 0 ? Json(std::llround(v.number))
                                  : Json(Rounded(v.number, figure.decimals));
    };
    figures.push_back({{"figure", figure.name},
                       {"before", json(was)},
                       {"now", json(is)},
                       {"change", json(Difference(was, is))}});
  }
  card["compared"] = {{"checks", checks}, {"figures", figures}};
  return card.dump(2, ' ', true, Json::error_handler_t::replace) + "\n";
}
