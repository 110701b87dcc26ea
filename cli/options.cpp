#include "cli/options.h"

bool fParseCommandLine(const std::vector<std::string>& args, const std::set<std::string>& switches,
                       const std::set<std::string>& valued, CommandLine& line, std::string& problem) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (optionsEnded || word.size() < 2 || word[0] != '-') {
      line.operands.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    if (word == "-h" || word == "--help") {
      line.help = true;
      continue;
    }
    size_t equals = word.find('=');
    std::string key = word.substr(0, equals);
    if (switches.count(key) != 0) {
      if (equals != std::string::npos) {
        problem = "option " + key + " takes no value";
        return false;
      }
      line.switches.insert(key);
    } else if (valued.count(key) != 0) {
      if (equals != std::string::npos) {
        line.values[key] = word.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        line.values[key] = args[++i];
      } else {
        problem = "option " + key + " needs a value";
        return false;
      }
    } else {
      problem = "unknown option " + word;
      return false;
    }
  }
  return true;
}

bool fParseCount(const std::string& text, int64_t limit, int64_t& value) {
  // 18 digits always fit 63 bits, so the sum below can't overflow.
  if (text.empty() || text.size() > 18) return false;
  int64_t sum = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    sum = sum * 10 + (c - '0');
  }
  if (sum > limit) return false;
  value = sum;
  return true;
}
