// The commands of the command line: one row per command with the procedure it
// runs, its options and its help.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

class CommandRun;

// One option a command takes: whether it must be given, and the default that
// --help shows in brackets when it may be left out.
struct OptionUse {
  const char* name;  // "--genome"
  bool required;
  const char* fallback;  // "1", "the only record"; unused when required
};

struct Command {
  const char* name;        // "coverage"
  const char* procedure;   // the procedure's own name, which also runs the command
  const char* alias;       // a second procedure name that runs it, or nullptr
  const char* group;       // heading in the overview
  const char* summary;     // a few words for the overview
  const char* description; // the paragraph of COMMAND --help
  const char* results;     // the files a run leaves in --out
  const char* standard;    // the standard files it writes beside them, unless --no-standard
  const char* example;     // one run on the bundled data, from the repository root
  std::vector<OptionUse> options;
  int (*run)(CommandRun& run);  // prepares the inputs and runs the procedure
};

// Every command, in the order of the overview.
const std::vector<Command>& fCommands();

// The command named `word`, by its command name or a procedure name; nullptr if none.
const Command* fFindCommand(const std::string& word);

// The option's row of the command, or nullptr when it doesn't take that option.
const OptionUse* fFindOption(const Command& command, const std::string& name);

// What an option holds: its value's name ("FILE", "N"; nullptr for a switch),
// the parameter-file key that can give it (nullptr if none) and its help text.
struct OptionText {
  const char* name;
  const char* value;
  const char* paramKey;
  const char* text;
};
const OptionText* fOptionText(const std::string& name);

// `vantrels --help` and `vantrels COMMAND --help`.
void fPrintOverview(FILE* out);
void fPrintCommandHelp(const Command& command, FILE* out);
// `vantrels report --help`.
void fPrintReportHelp(FILE* out);

// The text that follows a usage problem: where to read more.
std::string fHelpHint(const Command* command);
