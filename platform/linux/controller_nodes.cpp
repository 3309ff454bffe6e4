#include "platform/linux/controller_nodes.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// From linux/input-event-codes.h.
constexpr unsigned kBtnJoystick = 0x120;
constexpr unsigned kBtnThumbR = 0x13e;
constexpr unsigned kBtnTriggerHappy = 0x2c0;
constexpr unsigned kBtnTriggerHappy40 = 0x2e7;
// sysfs prints at most KEY_CNT bits; a longer line is not a bitmap.
constexpr std::size_t kMaxWords = 64;

// The number in "event12", or -1.
long EventNumber(const std::string& name) {
  if (name.compare(0, 5, "event") != 0 || name.size() == 5 || name.size() > 12) return -1;
  for (std::size_t i = 5; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return -1;
  }
  return std::strtol(name.c_str() + 5, nullptr, 10);
}

}  // namespace

CapabilityBits CapabilityBits::Parse(const std::string& text) {
  CapabilityBits bits;
  std::istringstream in(text);
  std::string word;
  while (in >> word) {
    if (word.size() > 16 || bits.words.size() >= kMaxWords ||
        word.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
      return CapabilityBits();
    }
    bits.words.push_back(std::strtoull(word.c_str(), nullptr, 16));
  }
  std::reverse(bits.words.begin(), bits.words.end());
  return bits;
}

bool CapabilityBits::Has(unsigned bit) const {
  const std::size_t word = bit / 64;
  return word < words.size() && ((words[word] >> (bit % 64)) & 1u) != 0;
}

bool CapabilityBits::Any(unsigned first, unsigned last) const {
  for (unsigned bit = first; bit <= last; ++bit) {
    if (Has(bit)) return true;
  }
  return false;
}

bool IsGameControllerKeys(const CapabilityBits& keys) {
  return keys.Any(kBtnJoystick, kBtnThumbR) || keys.Any(kBtnTriggerHappy, kBtnTriggerHappy40);
}

std::string ReadSmallFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text;
  char buffer[4096];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > 65536) break;  // no sysfs attribute is longer
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\0')) text.pop_back();
  return text;
}

std::vector<std::string> FolderEntries(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) == 0 && name.size() > prefix.size() &&
        name[0] != '.') {
      names.push_back(name);
    }
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> GameControllerEvents(const SystemRoots& roots) {
  std::vector<std::pair<long, std::string>> found;
  const std::string folder = roots.sys + "/class/input";
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return {};
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    const long number = EventNumber(name);
    if (number < 0) continue;
    const CapabilityBits keys =
        CapabilityBits::Parse(ReadSmallFile(folder + "/" + name + "/device/capabilities/key"));
    if (IsGameControllerKeys(keys)) found.emplace_back(number, name);
  }
  closedir(dir);
  std::sort(found.begin(), found.end());
  std::vector<std::string> names;
  for (const auto& event : found) names.push_back(event.second);
  return names;
}

int UnreadableGameControllers(const SystemRoots& roots) {
  int unreadable = 0;
  for (const std::string& event : GameControllerEvents(roots)) {
    const std::string node = roots.dev + "/input/" + event;
    // Opening is the only true answer: access() ignores capabilities, and
    // an ACL or a mount may say otherwise than the mode bits.
    const int fd = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      close(fd);
    } else {
      ++unreadable;
    }
  }
  return unreadable;
}
