// Files the tests read: golden outputs and the scenarios beside them.
#ifndef PADWATCH_TESTS_TEST_FILES_H_
#define PADWATCH_TESTS_TEST_FILES_H_

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// The whole file, or "" where it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The names (without ".scn") of every scenario in folder, sorted, so that a
// new one cannot be left out.
inline std::vector<std::string> ScenarioNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".scn") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

#endif  // PADWATCH_TESTS_TEST_FILES_H_
