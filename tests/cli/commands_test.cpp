// Every command end to end through the real executable: its help, the example
// its help gives (run on the bundled data), and one run of each exit-code class.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "support/run_folder.h"

namespace {

// The words of the example that `vantrels COMMAND --help` gives, with the
// bundled data found in the source tree and the results in `out`.
std::vector<std::string> fExampleArgs(const std::string& help, const std::string& out) {
  const size_t start = help.find("\n  vantrels ");
  std::vector<std::string> words;
  if (start == std::string::npos) return words;
  std::istringstream line(help.substr(start + 12, help.find('\n', start + 12) - start - 12));
  for (std::string word; line >> word;) {
    if (word.compare(0, 9, "examples/") == 0 || word == "examples") word = fSourcePath(word);
    words.push_back(!words.empty() && words.back() == "--out" ? out : word);
  }
  return words;
}

// The same words with the value of `option` replaced, or the option dropped for "".
std::vector<std::string> fWith(std::vector<std::string> words, const std::string& option, const std::string& value) {
  auto at = std::find(words.begin(), words.end(), option);
  if (at == words.end() || at + 1 == words.end()) return words;
  if (value.empty()) words.erase(at, at + 2);
  else at[1] = value;
  return words;
}

struct CommandRow {
  const char* name;
  const char* procedure;
  const char* summary;  // the summary the example leaves in --out
};

const CommandRow kCommands[] = {
    {"coverage", "fMatchReadsT_VarSzO", "lambda_reads.coverage.summary.tsv"},
    {"stretches", "fMapReadsOnToSeq", "lambda_reads.stretches.summary.tsv"},
    {"absent", "fGetReadsThatOutOfSeq", "lambda_reads.absent.summary.tsv"},
    {"once", "fMapReadsOneInSeq", "lambda_reads.once.summary.tsv"},
    {"assembly-test", "fTestGenomeSborka", "lambda_reads.assembly-test.summary.tsv"},
    {"parted", "fMatchReadsT_VarSzParted", "lambda_reads.parted.summary.tsv"},
    {"parted-rate", "fMatchReadsT_VarSzPartedRate", "lambda_list.parted-rate.summary.tsv"},
    {"circrna", "fIdentifyCircularRna", "lambda_reads.circrna.summary.tsv"},
    {"randext", "RandExt", "demo_20!5!1!.randext.summary.tsv"},
    {"randext-tasks", "RandExtTaskList", "lambda_tips_22!3!1!.randext-tasks.summary.tsv"},
};

// Enough address space to start and read the inputs, too little for any index.
constexpr long long kTooLittleMemory = 40ll << 20;

TEST(CommandTable, EachCommandHelpsRunsItsExampleAndSaysWhatWentWrong) {
  if (!kWithHtslib) GTEST_SKIP() << "the examples are FASTA/FASTQ";
  for (const CommandRow& row : kCommands) {
    SCOPED_TRACE(row.name);
    RunFolder folder;
    const std::string out = folder.path("results");

    CliResult help = fVantrels({row.name, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    const std::string usageLine = std::string("Usage: vantrels ") + row.name + " [options]\n";
    EXPECT_EQ(fHead(help.out, usageLine), usageLine);
    EXPECT_NE(help.out.find("  --out DIR "), std::string::npos);
    EXPECT_NE(help.out.find("Exit status: 0 "), std::string::npos);
    EXPECT_EQ(fVantrels({row.procedure, "--help"}).out, help.out) << "the procedure's name runs the command";
    std::vector<std::string> example = fExampleArgs(help.out, out);
    ASSERT_GT(example.size(), 4u);

    CliResult done = fVantrels(example);
    EXPECT_EQ(done.exitCode, 0) << done.err;
    EXPECT_EQ(done.out, "") << "standard output stays free for results";
    EXPECT_EQ(fHead(done.err, "vantrels: "), "vantrels: ");
    std::vector<std::string> files = fListFolder(out);
    EXPECT_NE(std::find(files.begin(), files.end(), row.summary), files.end()) << done.err;
    EXPECT_TRUE(std::none_of(files.begin(), files.end(), [](const std::string& name) {
      return name.compare(0, 10, ".vantrels-") == 0;
    })) << "the run's private folder is gone";

    std::vector<std::string> quiet = example;
    quiet.push_back("--quiet");
    std::vector<std::string> bogus = quiet;
    bogus.push_back("--bogus");
    const std::string name = row.name, missing = folder.path("ecoli.fa"), blocked = folder.path("plain/results");
    folder.write("plain", "a file where a directory should be");
    CliLimits tight;
    tight.addressSpaceBytes = kTooLittleMemory;
    const struct {
      std::vector<std::string> args;
      CliLimits limits;
      int exitCode;
      std::string errStart;
    } failures[] = {
        {bogus, {}, 1, "vantrels: " + name + ": unknown option --bogus\n"},
        {fWith(quiet, "--out", ""), {}, 1, "vantrels: " + name + " needs --out DIR\n"},
        {fWith(quiet, "--genome", missing), {}, 2, "vantrels: --genome " + missing + ": not found\n"},
        {fWith(quiet, "--out", blocked), {}, 3, "vantrels: --out " + blocked + ": "},
        {fWith(quiet, "--out", folder.path("tight")), tight, 4, "vantrels: out of memory"},
    };
    for (const auto& failure : failures) {
      if (failure.exitCode == 4 && kSanitized) continue;  // the sanitizers need more address space
      CliResult result = fVantrels(failure.args, failure.limits);
      EXPECT_EQ(result.exitCode, failure.exitCode) << result.err;
      EXPECT_EQ(fHead(result.err, failure.errStart), failure.errStart);
    }
    if (!kSanitized) {
      EXPECT_EQ(fListFolder(folder.path("tight")), std::vector<std::string>{}) << "nothing of a failed run stays";
    }
  }
}

TEST(CommandTable, TheOverviewListsEveryCommandAndUsageProblemsExitOne) {
  CliResult overview = fVantrels({"--help"});
  EXPECT_EQ(overview.exitCode, 0);
  EXPECT_EQ(fHead(overview.out, "Usage: vantrels COMMAND [options]\n"), "Usage: vantrels COMMAND [options]\n");
  for (const CommandRow& row : kCommands)
    EXPECT_NE(overview.out.find(std::string("\n  ") + row.name + " "), std::string::npos) << row.name;
  for (const char* other : {"prep", "report"})
    EXPECT_NE(overview.out.find(std::string("\n  ") + other + " "), std::string::npos) << other;
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"mapreads"}, "vantrels: unknown command mapreads\n"},
      {{"--genome", "g.fa"}, "vantrels: a command comes first, not the option --genome\n"},
      {{"coverage", "--genome", "g", "--reads", "r", "--out", "o", "--min", "50", "--max", "40"},
       "vantrels: --min 50 is above --max 40\n"},
  };
  for (const auto& [args, err] : cases) {
    CliResult result = fVantrels(args);
    EXPECT_EQ(result.exitCode, 1) << args[0];
    EXPECT_EQ(fHead(result.err, err), err);
  }
  EXPECT_EQ(fVantrels({"--version"}).exitCode, 0);
  EXPECT_EQ(fHead(fVantrels({"--version"}).out, "vantrels "), "vantrels ");
}

}  // namespace
