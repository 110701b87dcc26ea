#include "cli/command_line.h"

#include <cstdio>
#include <new>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/run.h"
#include "cli/settings.h"
#include "cli/version.h"
#include "driver/console.h"
#ifdef VANTRELS_HAVE_HTSLIB
#include "prep/prep.h"
#endif

namespace {

void fSayUsageProblem(const std::string& problem, const Command* command) {
  std::fprintf(stderr, "%s%s\n%s(%s)\n", kMessagePrefix, problem.c_str(), kMessagePrefix,
               fHelpHint(command).c_str());
}

int fRunPrep(const std::vector<std::string>& args) {
#ifdef VANTRELS_HAVE_HTSLIB
  return fPrepMain(args, stdout, stderr);
#else
  (void)args;
  std::fprintf(stderr, "%sprep: not built with FASTA/FASTQ support (htslib); use raw genome and reads files\n",
               kMessagePrefix);
  return kExitUsage;
#endif
}

int fRunCommand(const Command& command, const std::vector<std::string>& words) {
  RunSettings settings;
  settings.words = words;
  std::string problem;
  std::vector<std::string> args(words.begin() + 2, words.end());
  int code = fReadSettings(command, args, settings, problem);
  if (code == kExitUsage) {
    fSayUsageProblem(problem, &command);
    return code;
  }
  if (code != kExitDone) {
    CommandRun::fSayProblem(problem);
    return code;
  }
  if (settings.help) {
    fPrintCommandHelp(command, stdout);
    return kExitDone;
  }
  CommandRun run(settings);
  code = run.fOpen();
  if (code != kExitDone) return code;
  return command.run(run);
}

}  // namespace

int fCommandLineMain(const std::vector<std::string>& words) {
  // No console texts and no key waits: people read standard error, pipelines the exit code.
  ConsoleOn = false;
  if (words.size() < 2) {
    fPrintOverview(stderr);
    return kExitUsage;
  }
  const std::string& word = words[1];
  if (word == "--help" || word == "-h" || word == "help") {
    fPrintOverview(stdout);
    return kExitDone;
  }
  if (word == "--version" || word == "-V") {
    std::printf("vantrels %s\n", kVantrelsVersion);
    return kExitDone;
  }
  if (word == "prep") return fRunPrep(std::vector<std::string>(words.begin() + 2, words.end()));
  const Command* command = fFindCommand(word);
  if (command == nullptr) {
    fSayUsageProblem(word.compare(0, 1, "-") == 0 ? "a command comes first, not the option " + word
                                                  : "unknown command " + word,
                     nullptr);
    return kExitUsage;
  }
  try {
    return fRunCommand(*command, words);
  } catch (const std::bad_alloc&) {
    CommandRun::fSayProblem("out of memory");
    return kExitNoMemory;
  }
}

int fPrepByName(const std::vector<std::string>& words) {
  ConsoleOn = false;
  return fRunPrep(std::vector<std::string>(words.begin() + (words.empty() ? 0 : 1), words.end()));
}
