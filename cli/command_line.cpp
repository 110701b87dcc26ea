#include "cli/command_line.h"

#include <cstdio>
#include <new>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/run.h"
#include "cli/settings.h"
#include "cli/version.h"
#include "cli/options.h"
#include "driver/console.h"
#include "report/report.h"
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

const char kReportHint[] = "vantrels report --help tells how it is used";

// `vantrels report DIR`.
int fRunReport(const std::vector<std::string>& args) {
  CommandLine line;
  std::string problem;
  bool parsed = fParseCommandLine(args, {}, {}, line, problem);
  if (parsed && line.help) {
    fPrintReportHelp(stdout);
    return kExitDone;
  }
  if (parsed && line.operands.size() != 1) problem = "needs one DIR, the --out of a run";
  if (!parsed || line.operands.size() != 1) {
    std::fprintf(stderr, "%sreport: %s\n%s(%s)\n", kMessagePrefix, problem.c_str(), kMessagePrefix, kReportHint);
    return kExitUsage;
  }
  int code = fWriteReport(line.operands[0], problem);
  if (code != kExitDone) CommandRun::fSayProblem("report: " + problem);
  return code;
}

// --report, once the run's results are in place: a report that fails leaves
// them there, and its exit code says that the run did not do all it was asked.
int fReportAfterRun(const RunSettings& settings) {
  std::string problem;
  int code = fWriteReport(settings.out, problem);
  if (code != kExitDone)
    CommandRun::fSayProblem("--report: " + problem + "; the results of the run are in " + settings.out);
  return code;
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
  {
    // The run's private folder is gone before the report looks at --out.
    CommandRun run(settings);
    code = run.fOpen();
    if (code == kExitDone) code = command.run(run);
  }
  if (code == kExitDone && settings.report) code = fReportAfterRun(settings);
  return code;
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
  if (command == nullptr && word != "report") {
    fSayUsageProblem(word.compare(0, 1, "-") == 0 ? "a command comes first, not the option " + word
                                                  : "unknown command " + word,
                     nullptr);
    return kExitUsage;
  }
  try {
    if (command == nullptr) return fRunReport(std::vector<std::string>(words.begin() + 2, words.end()));
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
