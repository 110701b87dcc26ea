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
  for (std::string word; line >> word;) words.push_back(!words.empty() && words.back() == "--out" ? out : fExample(word));
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

const struct CommandRow {
  const char *name, *procedure, *summary;  // the summary the example leaves in --out
  const char* ending;                      // of the raw files the procedure reads
} kCommands[] = {
    {"coverage", "fMatchReadsT_VarSzO", "lambda_reads.coverage.summary.tsv", ".bin"},
    {"stretches", "fMapReadsOnToSeq", "lambda_reads.stretches.summary.tsv", ".bin"},
    {"absent", "fGetReadsThatOutOfSeq", "lambda_reads.absent.summary.tsv", ".txt"},
    {"once", "fMapReadsOneInSeq", "lambda_reads.once.summary.tsv", ".bin"},
    {"assembly-test", "fTestGenomeSborka", "lambda_reads.assembly-test.summary.tsv", ".bin"},
    {"parted", "fMatchReadsT_VarSzParted", "lambda_reads.parted.summary.tsv", ".bin"},
    {"parted-rate", "fMatchReadsT_VarSzPartedRate", "lambda_list.parted-rate.summary.tsv", ".bin"},
    {"circrna", "fIdentifyCircularRna", "lambda_reads.circrna.summary.tsv", ".txt"},
    {"randext", "RandExt", "demo_20!5!1!.randext.summary.tsv", ".txt"},
    {"randext-tasks", "RandExtTaskList", "lambda_tips_22!3!1!.randext-tasks.summary.tsv", ".txt"},
};

// Enough address space to start and read the inputs, too little for any index.
constexpr long long kTooLittleMemory = 40ll << 20;

TEST(CommandTable, EachCommandHelpsRunsItsExampleAndSaysWhatWentWrong) {
  if (!kWithHtslib) GTEST_SKIP() << "the examples are FASTA/FASTQ";
  // The example's genome and reads as the raw files prep makes of them, in both encodings.
  RunFolder raw;
  const std::string fasta = fSourcePath("examples/lambda.fa.gz"), fastq = fSourcePath("examples/lambda_reads.fq.gz");
  for (const std::string ending : {".txt", ".bin"}) {
    for (std::vector<std::string> args : {std::vector<std::string>{"prep", "genome", fasta, raw.path("lambda" + ending)},
                                          {"prep", "reads", fastq, raw.path("lambda_reads" + ending)}}) {
      if (ending == ".bin") args.push_back("--coded");
      ASSERT_EQ(fVantrels(args).exitCode, 0);
    }
  }
  for (const CommandRow& row : kCommands) {
    SCOPED_TRACE(row.name);
    RunFolder folder;
    const std::string out = folder.path("results"), name = row.name;
    CliResult help = fVantrels({row.name, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(fHead(help.out, "Usage: vantrels " + name + " [options]\n"), "Usage: vantrels " + name + " [options]\n");
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
    EXPECT_EQ(fPrivateFolders(out), 0) << "the run's private folder is gone";
    // Raw files handed over give the same results, and logs name the inputs as the user gave them.
    const std::string genome = raw.path(std::string("lambda") + row.ending);
    const std::string reads = raw.path(std::string("lambda_reads") + row.ending);
    std::vector<std::string> fromRaw = {"--no-standard"};
    for (const std::string& word : example)
      fromRaw.push_back(word == fasta ? genome : word == fastq ? reads : word == out ? folder.path("raw") : word);
    std::rotate(fromRaw.begin(), fromRaw.begin() + 1, fromRaw.end());
    ASSERT_EQ(fVantrels(fromRaw).exitCode, 0);
    fExpectSameFiles(folder.path("raw"), out, {{genome, fasta}, {reads, fastq}, {folder.path("raw"), out}});

    std::vector<std::string> quiet = example;
    quiet.push_back("--quiet");
    std::vector<std::string> bogus = quiet;
    bogus.push_back("--bogus");
    const std::string missing = folder.path("ecoli.fa"), blocked = folder.path("plain/results");
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
  std::vector<std::string> names = {"prep", "report"};
  for (const CommandRow& row : kCommands) names.push_back(row.name);
  for (const std::string& name : names) EXPECT_NE(overview.out.find("\n  " + name + " "), std::string::npos) << name;
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"mapreads"}, "vantrels: unknown command mapreads\nvantrels: (vantrels --help lists the commands)\n"},
      {{"--genome", "g.fa"},
       "vantrels: a command comes first, not the option --genome\nvantrels: (vantrels --help lists the commands)\n"},
  };
  for (const auto& [args, err] : cases) {
    CliResult result = fVantrels(args);
    EXPECT_EQ(result.exitCode, 1) << args[0];
    EXPECT_EQ(result.err, err);
  }
  CliResult version = fVantrels({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(fHead(version.out, "vantrels "), "vantrels ");
}

}  // namespace
