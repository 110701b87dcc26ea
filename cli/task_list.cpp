#include "cli/task_list.h"

#include <limits>

#include "cli/options.h"
#include "driver/run_state.h"

namespace {
constexpr int kIdentityLine = 7;
constexpr int kFirstTaskLine = 9;
// The procedure reads a task line's three fields within its first 100 characters.
constexpr size_t kLongestTaskLine = 99;

// A field that names a number only one way.
bool fCanonicalNumber(const std::string& field, int32_t& number) {
  int64_t value = 0;
  if (!fParseCount(field, std::numeric_limits<int32_t>::max(), value)) return false;
  if (field.size() > 1 && field[0] == '0') return false;
  number = static_cast<int32_t>(value);
  return true;
}

bool fSplitTask(const std::string& line, TaskSizes& sizes) {
  size_t first = line.find('\t');
  if (first == std::string::npos) return false;
  size_t second = line.find('\t', first + 1);
  if (second == std::string::npos || line.find('\t', second + 1) != std::string::npos) return false;
  return fCanonicalNumber(line.substr(0, first), sizes.immut) &&
         fCanonicalNumber(line.substr(first + 1, second - first - 1), sizes.tip) &&
         fCanonicalNumber(line.substr(second + 1), sizes.mismatches);
}
}  // namespace

bool fCheckTaskList(const std::string& text, TaskList& list, std::string& problem) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  for (std::string& line : lines)
    if (!line.empty() && line.back() == '\r') line.pop_back();
  size_t used = lines.size();
  while (used > kFirstTaskLine - 1 && lines[used - 1].empty()) --used;
  if (used < kFirstTaskLine - 1) {
    problem = "holds " + std::to_string(lines.size()) +
              " lines; it needs at least 8 (line 7 names the experiment, tasks start at line 9)";
    return false;
  }
  for (size_t i = 0; i < used; ++i) {
    if (lines[i].size() >= static_cast<size_t>(kLongestRead)) {
      problem = "line " + std::to_string(i + 1) + " is longer than 5119 characters";
      return false;
    }
  }
  list.identity = lines[kIdentityLine - 1];
  for (char& c : list.identity)
    if (c == '.') c = '_';
  for (char c : list.identity) {
    if (c == '/' || c == '\\') {
      problem = "line 7, the experiment name " + list.identity + ", must not hold / or \\ (it starts file names)";
      return false;
    }
  }
  list.tasks.clear();
  for (size_t i = kFirstTaskLine - 1; i < used; ++i) {
    if (lines[i].empty()) continue;  // the list skips empty lines as well
    TaskSizes sizes;
    if (lines[i].size() > kLongestTaskLine || !fSplitTask(lines[i], sizes)) {
      problem = "line " + std::to_string(i + 1) + " \"" + lines[i] +
                "\": a task is IMMUT<TAB>TIP<TAB>MISMATCHES, three whole numbers written without signs or "
                "leading zeros, at most 99 characters";
      return false;
    }
    list.tasks.push_back(sizes);
  }
  // The list as it stands, up to the end of its last used line.
  size_t keep = 0;
  for (size_t i = 0; i < used; ++i) {
    size_t end = text.find('\n', keep);
    keep = end == std::string::npos ? text.size() : end + 1;
  }
  list.text = text.substr(0, keep);
  if (list.text.empty() || list.text.back() != '\n') list.text += '\n';
  return true;
}
