// Two report cards side by side: an earlier card, read back from the JSON
// that --test --json wrote, against this one, check by check and figure by
// figure (a pad before and after it was cleaned or calibrated).
#ifndef PADWATCH_CHECK_HEALTH_HEALTH_COMPARE_H_
#define PADWATCH_CHECK_HEALTH_HEALTH_COMPARE_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

// What of a card is compared. The earlier card is a file, so untrusted:
// only this program's own words are kept from it (check names this card
// also has, verdict names, numbers), never its text.
struct CardSummary {
  std::map<std::string, std::string> verdicts;  // check -> verdict name
  std::vector<std::optional<double>> figures;   // in the comparison's order
};

// Reads a card from the JSON text of one. Returns false, and why in *why,
// for text that is not a health card of a version this program reads.
bool ReadCardSummary(const std::string& json, CardSummary* summary, std::string* why);

// Reads the card in the file at path (at most a megabyte), as above; *why
// also says when the file cannot be read.
bool ReadCardFile(const std::string& path, CardSummary* summary, std::string* why);

// The comparison as text, for after the card: each check's verdict before
// and now, then each figure before, now and the change; "-" where a card
// has no such figure.
std::string HealthCompareText(const std::string& cardJson, const CardSummary& before);

// cardJson (this card, as HealthJson wrote it) with the comparison added as
// its "compared" field.
std::string HealthJsonCompared(const std::string& cardJson, const CardSummary& before);

#endif  // PADWATCH_CHECK_HEALTH_HEALTH_COMPARE_H_
