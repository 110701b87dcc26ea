// The command line before anything runs: the option parser, the settings of a
// command merged with a parameter file (--params), whole numbers, and the task
// list of randext-tasks. Nothing here reads a genome or reads, and nothing
// ends the process: the command line's checks return their exit code.
//
// Input: three parts separated by lines "%%": the words of a command line, one
// per line (so a word may hold blanks), the command's name or procedure name
// first; the parameter file "p" of the scratch folder; a task list. A first
// word that names no command runs the words through every command. A folder
// "d" is there too, for --params naming a directory.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/options.h"
#include "cli/settings.h"
#include "cli/task_list.h"
#include "fuzz/harness.h"

namespace {

FILE* Quiet = nullptr;

bool fStartsWith(const std::string& text, const std::string& head) { return text.compare(0, head.size(), head) == 0; }

// fParseCount against its rule: one to 18 digits, nothing else, at most the limit.
void fCheckCount(const std::string& word, int64_t limit) {
  bool digits = !word.empty() && word.size() <= 18;
  int64_t expected = 0;
  for (char c : word) {
    if (!digits || c < '0' || c > '9') {
      digits = false;
      break;
    }
    expected = expected * 10 + (c - '0');
  }
  const bool whole = digits && expected <= limit;
  int64_t value = -7;
  if (fParseCount(word, limit, value) != whole) fuzz::fFail("fParseCount took or refused against its rule");
  if (value != (whole ? expected : -7)) fuzz::fFail("fParseCount gave another value, or set one on refusal");
}

// The parser over every option any command takes: what it gives comes from
// the words, under the names it was told of.
void fCheckParser(const std::vector<std::string>& args) {
  std::set<std::string> switches, valued;
  for (const Command& command : fCommands())
    for (const OptionUse& option : command.options)
      (fOptionText(option.name)->value == nullptr ? switches : valued).insert(option.name);
  CommandLine line;
  std::string problem;
  if (!fParseCommandLine(args, switches, valued, line, problem)) {
    if (problem.empty()) fuzz::fFail("the parser refused a line without saying why");
    return;
  }
  for (const auto& value : line.values)
    if (valued.count(value.first) == 0) fuzz::fFail("the parser gave a value to an option it was not told of");
  for (const std::string& name : line.switches)
    if (switches.count(name) == 0) fuzz::fFail("the parser set a switch it was not told of");
  // Operands keep their order: each is a later word than the one before.
  size_t next = 0;
  for (const std::string& operand : line.operands) {
    while (next < args.size() && args[next] != operand) ++next;
    if (next == args.size()) fuzz::fFail("an operand that is no word of the line, or out of order");
    ++next;
  }
  if (line.operands.size() + line.values.size() + line.switches.size() > args.size())
    fuzz::fFail("the parser gave more than the line holds");
}

// The words of the settings again, every value as "--option=value": a second
// reading gives the same settings, whether the first took a value from the
// options or from the parameter file.
std::vector<std::string> fWordsOf(const Command& command, const RunSettings& settings) {
  std::vector<std::string> words;
  auto text = [&](const char* option, const std::string& value, bool given) {
    if (fFindOption(command, option) != nullptr && given) words.push_back(std::string(option) + "=" + value);
  };
  auto number = [&](const char* option, int32_t value) {
    if (fFindOption(command, option) != nullptr) words.push_back(std::string(option) + "=" + std::to_string(value));
  };
  text("--genome", settings.genome, !settings.genome.empty());
  text("--reads", settings.reads, !settings.reads.empty());
  text("--out", settings.out, !settings.out.empty());
  text("--record", settings.record, !settings.record.empty());
  text("--id", settings.id, settings.idGiven);
  text("--tasks", settings.tasks, !settings.tasks.empty());
  text("--reads-dir", settings.readsDir, !settings.readsDir.empty());
  text("--list", settings.list, !settings.list.empty());
  number("--min", settings.minSize);
  number("--max", settings.maxSize);
  number("--immut", settings.immut);
  number("--tip", settings.tip);
  number("--mismatches", settings.mismatches);
  number("--max-hits", settings.maxHits);
  if (settings.quiet) words.push_back("--quiet");
  return words;
}

bool fSameSettings(const RunSettings& a, const RunSettings& b) {
  return a.genome == b.genome && a.reads == b.reads && a.out == b.out && a.record == b.record && a.id == b.id &&
         a.idGiven == b.idGiven && a.tasks == b.tasks && a.readsDir == b.readsDir && a.list == b.list &&
         a.minSize == b.minSize && a.maxSize == b.maxSize && a.immut == b.immut && a.tip == b.tip &&
         a.mismatches == b.mismatches && a.maxHits == b.maxHits && a.quiet == b.quiet;
}

void fCheckSettings(const Command& command, const std::vector<std::string>& args) {
  RunSettings settings;
  std::string problem;
  const int code = fReadSettings(command, args, settings, problem);
  if (code != kExitDone) {
    if (code != kExitUsage && code != kExitInput) fuzz::fFail("settings refused with an exit code of neither kind");
    if (problem.empty()) fuzz::fFail("settings refused without a sentence");
    return;
  }
  if (settings.help) {
    fPrintCommandHelp(command, Quiet);
    return;
  }
  if (settings.minSize > settings.maxSize) fuzz::fFail("settings taken with --min above --max");
  for (char c : settings.id)
    if (c == '/' || c == '\\') fuzz::fFail("settings taken with a separator in --id");
  const struct {
    const char* option;
    const std::string& value;
  } paths[] = {{"--genome", settings.genome}, {"--reads", settings.reads},       {"--out", settings.out},
               {"--tasks", settings.tasks},   {"--reads-dir", settings.readsDir}, {"--list", settings.list}};
  for (const auto& path : paths) {
    const OptionUse* use = fFindOption(command, path.option);
    if (use != nullptr && use->required && path.value.empty()) fuzz::fFail("settings taken without a required path");
  }

  RunSettings again;
  std::string problemAgain;
  if (fReadSettings(command, fWordsOf(command, settings), again, problemAgain) != kExitDone)
    fuzz::fFail("the settings, written as options, are refused");
  if (!fSameSettings(settings, again)) fuzz::fFail("the settings, written as options, read otherwise");
}

void fCheckTaskList(const std::string& text) {
  TaskList list;
  std::string problem;
  if (!fCheckTaskList(text, list, problem)) {
    if (problem.empty()) fuzz::fFail("a task list refused without a sentence");
    return;
  }
  for (char c : list.identity)
    if (c == '.' || c == '/' || c == '\\') fuzz::fFail("a task list's identity keeps a dot or a separator");
  if (list.text.empty() || list.text.back() != '\n') fuzz::fFail("the list handed on does not end a line");
  if (text.compare(0, list.text.size() - 1, list.text, 0, list.text.size() - 1) != 0)
    fuzz::fFail("the list handed on is no beginning of the list");
  for (const TaskSizes& task : list.tasks)
    if (task.immut < 0 || task.tip < 0 || task.mismatches < 0) fuzz::fFail("a task with a negative size");
  // The procedure reads what was checked: the same text checks the same.
  TaskList again;
  if (!fCheckTaskList(list.text, again, problem) || again.tasks.size() != list.tasks.size() ||
      again.identity != list.identity || again.text != list.text)
    fuzz::fFail("the list handed on reads otherwise than the list");
}

// --params is read from where the word says: only names inside the scratch
// folder are run, so that no other file (a pipe that never ends, say) is read.
bool fParamsStayInScratch(const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--params" && i + 1 < args.size() && !fuzz::fStaysInScratch(args[i + 1])) return false;
    if (fStartsWith(args[i], "--params=") && !fuzz::fStaysInScratch(args[i].substr(9))) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // As the command line has it: no console texts, no key waits.
  fuzz::fStart(false);
  Quiet = std::fopen("/dev/null", "wb");
  if (Quiet == nullptr) fuzz::fFail("cannot open /dev/null");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> parts = fuzz::fSplit(data, size, 3);
  std::vector<std::string> words = fuzz::fLines(parts[0]);
  if (words.empty()) words.push_back("");
  const std::vector<std::string> args(words.begin() + 1, words.end());

  for (const std::string& word : words) {
    fCheckCount(word, std::numeric_limits<int32_t>::max());
    fCheckCount(word, kLongestRead);
  }
  fCheckParser(args);
  if (parts.size() > 2) fCheckTaskList(parts[2]);

  if (!fParamsStayInScratch(args)) return 0;
  fuzz::fClearScratch();
  fuzz::fWrite("p", parts.size() > 1 ? parts[1] : "");
  std::filesystem::create_directory(fuzz::fPath("d"));
  char home[4096];
  if (getcwd(home, sizeof home) == nullptr || chdir(fuzz::fScratch().c_str()) != 0)
    fuzz::fFail("cannot enter the scratch folder");
  const Command* named = fFindCommand(words[0]);
  if (named != nullptr) {
    fCheckSettings(*named, args);
  } else {
    for (const Command& command : fCommands()) fCheckSettings(command, args);
  }
  if (chdir(home) != 0) fuzz::fFail("cannot leave the scratch folder");
  return 0;
}
