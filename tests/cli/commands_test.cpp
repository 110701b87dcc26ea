// Every command end to end through the real executable: its help, the example
// its help gives (run on the bundled data), and one run of each exit-code class.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "support/run_folder.h"

namespace {

// The words of the example that `vantrels COMMAND --help` gives, with the
// bundled data found in the source tree and the results in `out`.
std::vector<std::string> fExampleArgs(const std::string& help, const std::string& out) {
  size_t start = help.find("\n  vantrels ");
  std::vector<std::string> words;
  if (start == std::string::npos) return words;
  start += 12;
  std::string line = help.substr(start, help.find('\n', start) - start);
  size_t at = 0;
  while (at < line.size()) {
    size_t end = line.find(' ', at);
    if (end == std::string::npos) end = line.size();
    std::string word = line.substr(at, end - at);
    if (word.compare(0, 9, "examples/") == 0 || word == "examples") word = fSourcePath(word);
    if (!words.empty() && words.back() == "--out") word = out;
    words.push_back(word);
    at = end + 1;
  }
  return words;
}

// The same words with the value of `option` replaced, or the option dropped for "".
std::vector<std::string> fWith(std::vector<std::string> words, const std::string& option, const std::string& value) {
  for (size_t i = 0; i + 1 < words.size(); ++i) {
    if (words[i] != option) continue;
    if (value.empty()) {
      words.erase(words.begin() + static_cast<long>(i), words.begin() + static_cast<long>(i) + 2);
    } else {
      words[i + 1] = value;
    }
    return words;
  }
  return words;
}

bool fHasPrivateFolder(const std::string& out) {
  for (const std::string& name : fListFolder(out))
    if (name.compare(0, 10, ".vantrels-") == 0) return true;
  return false;
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
    EXPECT_FALSE(fHasPrivateFolder(out));

    std::vector<std::string> quiet = example;
    quiet.push_back("--quiet");
    std::vector<std::string> bogus = quiet;
    bogus.push_back("--bogus");
    CliResult usage = fVantrels(bogus);
    EXPECT_EQ(usage.exitCode, 1);
    EXPECT_EQ(usage.err.substr(0, usage.err.find('\n')), std::string("vantrels: ") + row.name + ": unknown option --bogus");
    CliResult noOut = fVantrels(fWith(quiet, "--out", ""));
    EXPECT_EQ(noOut.exitCode, 1);
    EXPECT_EQ(noOut.err.substr(0, noOut.err.find('\n')), std::string("vantrels: ") + row.name + " needs --out DIR");

    const std::string missing = folder.path("ecoli.fa");
    CliResult input = fVantrels(fWith(quiet, "--genome", missing));
    EXPECT_EQ(input.exitCode, 2);
    EXPECT_EQ(input.err, "vantrels: --genome " + missing + ": not found\n");

    folder.write("plain", "a file where a directory should be");
    CliResult output = fVantrels(fWith(quiet, "--out", folder.path("plain/results")));
    EXPECT_EQ(output.exitCode, 3);
    const std::string outProblem = "vantrels: --out " + folder.path("plain/results") + ": ";
    EXPECT_EQ(fHead(output.err, outProblem), outProblem);

    if (!kSanitized) {
      const std::string tight = folder.path("tight");
      CliLimits limits;
      limits.addressSpaceBytes = kTooLittleMemory;
      CliResult memory = fVantrels(fWith(quiet, "--out", tight), limits);
      EXPECT_EQ(memory.exitCode, 4) << memory.err;
      EXPECT_EQ(fHead(memory.err, "vantrels: out of memory"), "vantrels: out of memory");
      EXPECT_EQ(fListFolder(tight), std::vector<std::string>{}) << "nothing of a failed run stays";
    }
  }
}

TEST(CommandTable, TheOverviewListsEveryCommandAndUsageProblemsExitOne) {
  CliResult overview = fVantrels({"--help"});
  EXPECT_EQ(overview.exitCode, 0);
  EXPECT_EQ(fHead(overview.out, "Usage: vantrels COMMAND [options]\n"), "Usage: vantrels COMMAND [options]\n");
  for (const CommandRow& row : kCommands)
    EXPECT_NE(overview.out.find(std::string("\n  ") + row.name + " "), std::string::npos) << row.name;
  EXPECT_NE(overview.out.find("\n  prep "), std::string::npos);

  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string errStart;
  } cases[] = {
      {{"--version"}, 0, ""},
      {{"mapreads"}, 1, "vantrels: unknown command mapreads\n"},
      {{"--genome", "g.fa"}, 1, "vantrels: a command comes first, not the option --genome\n"},
      {{"coverage", "--genome", "g", "--reads", "r", "--out", "o", "--min", "5abc", "--max", "9"}, 1,
       "vantrels: --min 5abc: not a whole number"},
      {{"coverage", "--genome", "g", "--reads", "r", "--out", "o", "--min", "20/../x", "--max", "9"}, 1,
       "vantrels: --min 20/../x: not a whole number"},
      {{"coverage", "--genome", "g", "--reads", "r", "--out", "o", "--min", "50", "--max", "40"}, 1,
       "vantrels: --min 50 is above --max 40\n"},
      {{"randext", "--genome", "g", "--reads", "r", "--out", "", "--immut", "20", "--tip", "5"}, 1,
       "vantrels: --out is empty"},
  };
  for (const Case& c : cases) {
    CliResult result = fVantrels(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.args[0];
    EXPECT_EQ(fHead(result.err, c.errStart), c.errStart) << c.args[0];
  }
  EXPECT_EQ(fHead(fVantrels({"--version"}).out, "vantrels "), "vantrels ");
}

}  // namespace
