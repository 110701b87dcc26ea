// The command line writes, for every command, the very files the selection-file
// run writes for the same procedure and inputs, and its standard files beside
// them; FASTA/FASTQ inputs give the results of the raw files prep makes of them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cli/cli_support.h"
#include "support/run_folder.h"
#include "support/sequences.h"

namespace {

// Lambda's genome and reads as raw files in both encodings, with rotated reads
// among them so that the parted and circular-RNA procedures find something.
void fWriteLambda(const RunFolder& folder) {
  const std::string genome = fReadFile(fSourcePath("examples/lambda.txt"));
  std::string reads = fReadFile(fSourcePath("examples/lambda_reads.txt"));
  for (size_t start = 1000; start < 40000; start += 3917) {
    std::string segment = genome.substr(start, 26);
    reads += segment.substr(9) + segment.substr(0, 9) + "\n";
    reads += fReverseComplement(segment.substr(14) + segment.substr(0, 14)) + "\n";
  }
  std::string codable;
  std::istringstream lines(reads);
  for (std::string read; std::getline(lines, read);)
    if (read.find_first_not_of("ACGTacgt") == std::string::npos) codable += read + "\n";
  folder.write("lambda.txt", genome);
  folder.write("lambda.bin", fCodes(genome));
  folder.write("reads.txt", reads);
  folder.write("reads.bin", fCodes(codable));
  folder.write("more.bin", fCodes(codable.substr(0, codable.size() / 2)));
  folder.write("list.txt", "reads.bin\nmore.bin\n");
  folder.write("tasks.txt", fReadFile(fSourcePath("examples/tasklist.txt")));
  mkdir(folder.path("sel").c_str(), 0777);
}

// The option of the command line for each key of a parameter file.
const std::map<std::string, std::string> kOptionOfKey = {
    {"pthReads", "--reads"}, {"pthGnm", "--genome"},     {"rMinSz", "--min"},       {"rMaxSz", "--max"},
    {"diReads", "--reads-dir"}, {"pthList", "--list"},    {"experimentId", "--id"}, {"immutSz", "--immut"},
    {"mutTipSz", "--tip"},   {"misNu", "--mismatches"}, {"pthTaskList", "--tasks"},
};

TEST(SelectionFileEquality, EveryCommandWritesTheSelectionFileRunsFilesAndItsStandardFilesBeside) {
  using Entries = std::vector<std::pair<std::string, std::string>>;
  const Entries bin = {{"pthReads", "@reads.bin"}, {"pthGnm", "@lambda.bin"}, {"rMinSz", "20"}, {"rMaxSz", "30"}};
  const Entries txt = {{"pthReads", "@reads.txt"}, {"pthGnm", "@lambda.txt"}};
  auto with = [](Entries entries, const Entries& more) {
    entries.insert(entries.end(), more.begin(), more.end());
    return entries;
  };
  const Entries txtScope = with(txt, {{"rMinSz", "20"}, {"rMaxSz", "30"}});
  const Entries absentScope = {{"rMinSz", "22"}, {"rMaxSz", "30"}};
  struct Row {
    const char *procedure, *command;
    Entries params;                       // of the selection-file run, diRes added; the options of the command line
    std::vector<std::string> standard;    // beside the native files, lambda.genome aside
    std::vector<std::string> extra = {};  // more words; "--params" gives the run its parameter file instead
    const char* besideReads = nullptr;    // a file the selection-file run leaves beside the reads
  } rows[] = {
      {"fMatchReadsT_VarSzO", "coverage", bin,
       {"reads.coverage.plus.bedGraph", "reads.coverage.minus.bedGraph", "reads.depth.plus.bedGraph",
        "reads.depth.minus.bedGraph"},
       {"--params", "--depth"}},
      {"fMapReadsOnToSeq", "stretches", bin, {"reads.stretches.tsv"}, {}, "reads_In.bin"},
      {"fReadsOutOfSeq", "absent", with(Entries(bin.begin(), bin.begin() + 2), absentScope), {"reads.absent.fasta"}},
      {"fGetReadsThatOutOfSeq", "absent", with(txt, absentScope), {"reads.absent.fasta"}},
      {"fMapReadsOneInSeq", "once", bin, {"reads.once.bed", "reads.clusters.bed", "reads.many.fasta"}, {},
       "readsMany.bin"},
      {"fTestGenomeSborka", "assembly-test", bin, {"lambda.assembly-test.tsv", "reads.assembly-test.noncorrect.tsv"}},
      {"fMatchReadsT_VarSzParted", "parted", bin, {"reads.parted.bed", "reads.parted.tsv"}},
      {"fMatchReadsT_VarSzPartedRate", "parted-rate",
       with({{"diReads", "@"}, {"pthList", "@list.txt"}}, Entries(bin.begin() + 1, bin.end())),
       {"list.parted-rate.bedGraph"}},
      {"fIdentifyCircularRna", "circrna", txtScope, {"reads.circrna.bed", "reads.circrna.tsv"}},
      {"RandExt", "randext", with(txt, {{"experimentId", "e1.5"}, {"immutSz", "20"}, {"mutTipSz", "5"}, {"misNu", "1"}}),
       {"reads.randext.e1_5_20-5-1.sites.bed", "reads.randext.e1_5_20-5-1.tips.tsv"}, {"--params"}},
      {"RandExt", "randext", with(txt, {{"experimentId", "blank"}, {"immutSz", "21"}, {"mutTipSz", "4"}, {"misNu", "2"}}),
       {"reads.randext.RnaCut_reads_21-4-2.sites.bed", "reads.randext.RnaCut_reads_21-4-2.tips.tsv"}},
      {"RandExtTaskList", "randext-tasks", with(txt, {{"pthTaskList", "@tasks.txt"}}),
       {"reads.randext.lambda_tips_20-5-1.sites.bed", "reads.randext.lambda_tips_20-5-1.tips.tsv",
        "reads.randext.lambda_tips_20-5-3.sites.bed", "reads.randext.lambda_tips_20-5-3.tips.tsv",
        "reads.randext.lambda_tips_22-3-1.sites.bed", "reads.randext.lambda_tips_22-3-1.tips.tsv"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.procedure) + " / " + row.command);
    RunFolder folder;
    fWriteLambda(folder);
    Entries params = {{"diRes", folder.path("sel")}};
    std::vector<std::string> args = {row.command};
    for (const auto& [key, value] : row.params) {
      params.emplace_back(key, value[0] == '@' ? folder.path(value.substr(1)) : value);
      args.insert(args.end(), {kOptionOfKey.at(key), params.back().second});
    }
    folder.params("p.txt", params);
    folder.select(folder.path("p.txt"), row.procedure);
    ASSERT_EQ(folder.run().exitCode, 0);
    Replacements replacements;
    if (row.besideReads != nullptr) {
      const std::string beside = row.besideReads;
      ASSERT_EQ(std::rename(folder.path(beside).c_str(), folder.path("sel/" + beside).c_str()), 0);
      replacements.emplace_back(folder.path(beside), folder.path("cli/" + beside));
    }
    if (std::find(row.extra.begin(), row.extra.end(), "--params") != row.extra.end())
      args = {row.command, "--params", folder.path("p.txt")};
    for (const std::string& word : row.extra)
      if (word != "--params") args.push_back(word);

    args.insert(args.end(), {"--out", folder.path("cli"), "--quiet"});
    CliResult cli = fVantrels(args);
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    fExpectSameFiles(folder.path("sel"), folder.path("cli"), replacements);
    std::set<std::string> expected = fResultNames(folder.path("sel")), standard(row.standard.begin(), row.standard.end());
    standard.insert("lambda.genome");
    expected.insert(standard.begin(), standard.end());
    EXPECT_EQ(fResultNames(folder.path("cli")), expected);
    std::string summaries;
    for (const std::string& name : fListFolder(folder.path("cli")))
      if (fEndsWith(name, ".summary.tsv")) summaries += fReadFile(folder.path("cli/" + name));
    EXPECT_NE(summaries.find("\nchromosome\tlambda\ngenome_length\t48502\n"), std::string::npos) << summaries;
    EXPECT_EQ(fReadFile(folder.path("cli/lambda.genome")), "lambda\t48502\n");
    for (const std::string& name : standard)
      EXPECT_NE(summaries.find(name), std::string::npos) << name << " is not among the summary's files";
    // --no-standard leaves out the standard files and nothing else.
    args.erase(std::remove(args.begin(), args.end(), "--depth"), args.end());
    args.back() = "--no-standard";
    args[args.size() - 2] = folder.path("native");
    ASSERT_EQ(fVantrels(args).exitCode, 0);
    EXPECT_EQ(fResultNames(folder.path("native")), fResultNames(folder.path("sel")));
  }
}

// The warning names the reads read, as the summary does; 0 reads every read.
TEST(HitLimit, MaxHitsStopsTheReadingWithAWarningAndZeroReadsEveryRead) {
  RunFolder folder;
  fWriteLambda(folder);
  for (const auto& [command, ending, maxHits] : {std::make_tuple("parted", ".bin", "1"),
                                                 std::make_tuple("parted", ".bin", "0"),
                                                 std::make_tuple("circrna", ".txt", "1")}) {
    SCOPED_TRACE(std::string(command) + " --max-hits " + maxHits);
    const std::string out = folder.path(std::string(command) + maxHits);
    CliResult result = fVantrels({command, "--genome", folder.path(std::string("lambda") + ending), "--reads",
                                  folder.path(std::string("reads") + ending), "--out", out, "--min", "20", "--max",
                                  "30", "--max-hits", maxHits, "--quiet"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string summary = fReadFile(out + "/reads." + command + ".summary.tsv"), key = "\nstopped_after_reads\t";
    const size_t from = summary.find(key) + key.size();
    if (maxHits[0] == '0') {
      EXPECT_EQ(summary.find(key), std::string::npos) << summary;
      EXPECT_EQ(result.err, "");
    } else {
      ASSERT_NE(summary.find(key), std::string::npos) << summary;
      EXPECT_EQ(result.err, "vantrels: warning: reading stopped after " +
                                summary.substr(from, summary.find('\n', from) - from) +
                                " reads, when the upper-strand hits passed 1 (--max-hits); --max-hits 0 reads every read\n");
    }
  }
}

}  // namespace
