// Long options of a command line, shared by every vantrels command and by
// vantrels-prep: "--key value" or "--key=value", anywhere among the operands.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct CommandLine {
  std::vector<std::string> operands;          // words that are not options: IN, OUT
  std::map<std::string, std::string> values;  // "--record" -> "chr1"
  std::set<std::string> switches;             // "--coded"
  bool help = false;                          // -h or --help
};

// Options may stand before, between or after the operands; "--" ends the
// options, and "-" alone is an operand (standard input or output). A valued
// option given twice keeps its last value. False with `problem` set on an
// unknown option, a missing value, or a value given to a switch.
bool fParseCommandLine(const std::vector<std::string>& args, const std::set<std::string>& switches,
                       const std::set<std::string>& valued, CommandLine& line, std::string& problem);

// A whole decimal number of at most `limit`: digits only, no sign, no blank,
// nothing after them. False for anything else.
bool fParseCount(const std::string& text, int64_t limit, int64_t& value);
