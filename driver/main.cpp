#include <string>
#include <vector>

#include "cli/command_line.h"
#include "driver/dispatcher.h"
#include "platform/platform.h"

namespace {
// The name the program was started under: its last path component, without ".exe".
std::string fProgramName(const std::string& path) {
  size_t start = path.size();
  while (start > 0 && !fIsPathSeparator(path[start - 1])) --start;
  std::string name = path.substr(start);
  if (name.size() > 4) {
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (tail == ".exe") name.resize(name.size() - 4);
  }
  return name;
}
}  // namespace

// No argument at all: the selection-file run, as it always was. Any argument:
// the command line. Started as vantrels-prep, the program is prep.
int main(int argc, char** argv) {
  std::vector<std::string> words(argv, argv + argc);
  if (!words.empty() && fProgramName(words[0]) == "vantrels-prep") return fPrepByName(words);
  if (argc <= 1) return ProcedureDispatcher(argc, argv);
  return fCommandLineMain(words);
}
