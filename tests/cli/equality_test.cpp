// The command line writes, for every command, the very files the selection-file
// run writes for the same procedure and inputs; and FASTA/FASTQ inputs give the
// results of the raw files that prep makes of them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

#include "cli/cli_support.h"
#include "mapping/read_mapping_support.h"
#include "support/run_folder.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;
using Replacements = std::vector<std::pair<std::string, std::string>>;

std::string fReplaced(std::string text, const Replacements& replacements) {
  for (const auto& replacement : replacements) {
    for (size_t at = text.find(replacement.first); at != std::string::npos;
         at = text.find(replacement.first, at + replacement.second.size()))
      text.replace(at, replacement.first.size(), replacement.second);
  }
  return text;
}

bool fIsSummary(const std::string& name) {
  return name.size() > 12 && name.compare(name.size() - 12, 12, ".summary.tsv") == 0;
}

// Every file of `expected` (less run summaries) is in `got` with the same bytes,
// once `replacements` are made in the expected text; `got` holds nothing else.
void fExpectSameFiles(const std::string& expected, const std::string& got, const Replacements& replacements = {}) {
  std::vector<std::string> names;
  for (const std::string& name : fListFolder(expected))
    if (!fIsSummary(name)) names.push_back(name);
  std::vector<std::string> gotNames;
  for (const std::string& name : fListFolder(got))
    if (!fIsSummary(name)) gotNames.push_back(name);
  EXPECT_EQ(gotNames, names);
  EXPECT_FALSE(names.empty());
  for (const std::string& name : names)
    EXPECT_EQ(fReadFile(got + "/" + name), fReplaced(fReadFile(expected + "/" + name), replacements)) << name;
}

// Lambda's genome and reads as raw files in both encodings, with rotated reads
// among them so that the parted and circular-RNA procedures find something.
struct LambdaFiles {
  explicit LambdaFiles(const RunFolder& folder) {
    const std::string genome = fReadFile(fSourcePath("examples/lambda.txt"));
    std::string reads = fReadFile(fSourcePath("examples/lambda_reads.txt"));
    for (size_t start = 1000; start < 40000; start += 3917) {
      std::string segment = genome.substr(start, 26);
      reads += segment.substr(9) + segment.substr(0, 9) + "\n";
      reads += fReverseComplement(segment.substr(14) + segment.substr(0, 14)) + "\n";
    }
    std::string codable;
    size_t at = 0;
    while (at < reads.size()) {
      size_t end = reads.find('\n', at);
      std::string read = reads.substr(at, end - at);
      if (read.find_first_not_of("ACGTacgt") == std::string::npos) codable += read + "\n";
      at = end + 1;
    }
    folder.write("lambda.txt", genome);
    folder.write("lambda.bin", fCodes(genome));
    folder.write("reads.txt", reads);
    folder.write("reads.bin", fCodes(codable));
    folder.write("more.bin", fCodes(codable.substr(0, codable.size() / 2)));
    folder.write("list.txt", "reads.bin\nmore.bin\n");
    folder.write("tasks.txt", fReadFile(fSourcePath("examples/tasklist.txt")));
    mkdir(folder.path("sel").c_str(), 0777);
  }
};

struct EqualityRow {
  const char* procedure;
  const char* command;
  Entries params;                  // for the selection-file run, diRes added; paths in the folder
  std::vector<std::string> args;   // of the command line, --out added; "@name" is a path in the folder
  std::vector<const char*> besideReads;  // files the selection-file run leaves beside the reads
};

std::string fInFolder(const RunFolder& folder, const std::string& word) {
  return word[0] == '@' ? folder.path(word.substr(1)) : word;
}

TEST(SelectionFileEquality, EveryCommandWritesTheSelectionFileRunsFiles) {
  const EqualityRow rows[] = {
      {"fMatchReadsT_VarSzO", "coverage",
       {{"pthReads", "@reads.bin"}, {"pthGnm", "@lambda.bin"}, {"rMinSz", "20"}, {"rMaxSz", "30"}},
       {"--params", "@p.txt"}, {}},
      {"fMapReadsOnToSeq", "stretches",
       {{"pthReads", "@reads.bin"}, {"pthGnm", "@lambda.bin"}, {"rMinSz", "20"}, {"rMaxSz", "30"}},
       {"--reads", "@reads.bin", "--genome", "@lambda.bin", "--min", "20", "--max", "30"}, {"reads_In.bin"}},
      {"fReadsOutOfSeq", "absent",
       {{"pthReads", "@reads.bin"}, {"pthGnm", "@lambda.bin"}, {"rMinSz", "22"}, {"rMaxSz", "30"}},
       {"--reads", "@reads.bin", "--genome", "@lambda.bin", "--min", "22", "--max", "30"}, {}},
      {"fGetReadsThatOutOfSeq", "absent",
       {{"pthReads", "@reads.txt"}, {"pthGnm", "@lambda.txt"}, {"rMinSz", "22"}, {"rMaxSz", "30"}},
       {"--reads", "@reads.txt", "--genome", "@lambda.txt", "--min", "22", "--max", "30"}, {}},
      {"fMapReadsOneInSeq", "once",
       {{"pthReads", "@reads.bin"}, {"pthGnm", "@lambda.bin"}, {"rMinSz", "20"}, {"rMaxSz", "30"}},
       {"--reads", "@reads.bin", "--genome", "@lambda.bin", "--min", "20", "--max", "30"}, {"readsMany.bin"}},
      {"fTestGenomeSborka", "assembly-test",
       {{"pthReads", "@reads.bin"}, {"pthGnm", "@lambda.bin"}, {"rMinSz", "20"}, {"rMaxSz", "30"}},
       {"--reads", "@reads.bin", "--genome", "@lambda.bin", "--min", "20", "--max", "30"}, {}},
      {"fMatchReadsT_VarSzParted", "parted",
       {{"pthReads", "@reads.bin"}, {"pthGnm", "@lambda.bin"}, {"rMinSz", "20"}, {"rMaxSz", "30"}},
       {"--reads", "@reads.bin", "--genome", "@lambda.bin", "--min", "20", "--max", "30"}, {}},
      {"fMatchReadsT_VarSzPartedRate", "parted-rate",
       {{"diReads", "@"}, {"pthList", "@list.txt"}, {"pthGnm", "@lambda.bin"}, {"rMinSz", "20"}, {"rMaxSz", "30"}},
       {"--reads-dir", "@", "--list", "@list.txt", "--genome", "@lambda.bin", "--min", "20", "--max", "30"}, {}},
      {"fIdentifyCircularRna", "circrna",
       {{"pthReads", "@reads.txt"}, {"pthGnm", "@lambda.txt"}, {"rMinSz", "20"}, {"rMaxSz", "30"}},
       {"--reads", "@reads.txt", "--genome", "@lambda.txt", "--min", "20", "--max", "30"}, {}},
      {"RandExt", "randext",
       {{"pthReads", "@reads.txt"}, {"pthGnm", "@lambda.txt"}, {"experimentId", "e1.5"}, {"immutSz", "20"},
        {"mutTipSz", "5"}, {"misNu", "1"}},
       {"--params", "@p.txt"}, {}},
      {"RandExt", "randext",
       {{"pthReads", "@reads.txt"}, {"pthGnm", "@lambda.txt"}, {"experimentId", "blank"}, {"immutSz", "21"},
        {"mutTipSz", "4"}, {"misNu", "2"}},
       {"--reads", "@reads.txt", "--genome", "@lambda.txt", "--id", "blank", "--immut", "21", "--tip", "4",
        "--mismatches", "2"},
       {}},
      {"RandExtTaskList", "randext-tasks",
       {{"pthReads", "@reads.txt"}, {"pthGnm", "@lambda.txt"}, {"pthTaskList", "@tasks.txt"}},
       {"--reads", "@reads.txt", "--genome", "@lambda.txt", "--tasks", "@tasks.txt"}, {}},
  };
  for (const EqualityRow& row : rows) {
    SCOPED_TRACE(std::string(row.procedure) + " / " + row.command);
    RunFolder folder;
    LambdaFiles files(folder);
    Entries params = {{"diRes", folder.path("sel")}};
    for (const auto& entry : row.params) params.emplace_back(entry.first, fInFolder(folder, entry.second));
    folder.params("p.txt", params);
    folder.select(folder.path("p.txt"), row.procedure);
    RunResult selection = folder.run();
    ASSERT_EQ(selection.exitCode, 0);
    Replacements replacements;
    for (const char* beside : row.besideReads) {
      ASSERT_EQ(std::rename(folder.path(beside).c_str(), folder.path(std::string("sel/") + beside).c_str()), 0);
      replacements.emplace_back(folder.path(beside), folder.path(std::string("cli/") + beside));
    }

    std::vector<std::string> args = {row.command};
    for (const std::string& word : row.args) args.push_back(fInFolder(folder, word));
    args.push_back("--out");
    args.push_back(folder.path("cli"));
    // Only the native files: the folder must hold nothing else.
    args.push_back("--no-standard");
    CliResult cli = fVantrels(args);
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    fExpectSameFiles(folder.path("sel"), folder.path("cli"), replacements);
  }
}

TEST(HitLimit, MaxHitsStopsTheReadingWithAWarningAndZeroReadsEveryRead) {
  RunFolder folder;
  LambdaFiles files(folder);
  struct Case {
    const char* command;
    const char* reads;
    const char* maxHits;
    bool stops;
  } cases[] = {
      {"parted", "@reads.bin", "1", true},
      {"parted", "@reads.bin", "0", false},
      {"circrna", "@reads.txt", "1", true},
      {"circrna", "@reads.txt", "0", false},
  };
  int row = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.command) + " --max-hits " + c.maxHits);
    const std::string out = folder.path("out" + std::to_string(row++));
    CliResult result = fVantrels({c.command, "--genome", folder.path(c.command == std::string("parted") ? "lambda.bin"
                                                                                                        : "lambda.txt"),
                                  "--reads", fInFolder(folder, c.reads), "--out", out, "--min", "20", "--max", "30",
                                  "--max-hits", c.maxHits, "--quiet"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string summary = fReadFile(out + "/reads." + c.command + ".summary.tsv");
    const std::string key = "\nstopped_after_reads\t";
    size_t stopped = summary.find(key);
    EXPECT_EQ(stopped != std::string::npos, c.stops) << summary;
    if (!c.stops) {
      EXPECT_EQ(result.err, "");
      continue;
    }
    // The warning names the reads read, as the summary does.
    const size_t from = stopped + key.size();
    std::string reads = summary.substr(from, summary.find('\n', from) - from);
    EXPECT_EQ(result.err, "vantrels: warning: reading stopped after " + reads +
                              " reads, when the upper-strand hits passed 1 (--max-hits); --max-hits 0 reads every read\n");
  }
}

// The raw files that prep makes of the bundled FASTA genome and gzip FASTQ reads,
// under the same stems, in both encodings.
void fPrepRaw(const RunFolder& folder) {
  mkdir(folder.path("raw").c_str(), 0777);
  mkdir(folder.path("coded").c_str(), 0777);
  const std::string fasta = fSourcePath("examples/lambda.fa.gz");
  const std::string fastq = fSourcePath("examples/lambda_reads.fq.gz");
  ASSERT_EQ(fVantrels({"prep", "genome", fasta, folder.path("raw/lambda.txt")}).exitCode, 0);
  ASSERT_EQ(fVantrels({"prep", "reads", fastq, folder.path("raw/lambda_reads.txt")}).exitCode, 0);
  ASSERT_EQ(fVantrels({"prep", "genome", "--coded", fasta, folder.path("coded/lambda.bin")}).exitCode, 0);
  ASSERT_EQ(fVantrels({"prep", "reads", "--coded", fastq, folder.path("coded/lambda_reads.bin")}).exitCode, 0);
}

TEST(InputFormats, FastaGenomeAndGzipFastqReadsGiveTheResultsOfTheConvertedRawFiles) {
  if (!kWithHtslib) GTEST_SKIP() << "this build reads raw files only";
  RunFolder folder;
  fPrepRaw(folder);
  const std::string fasta = fSourcePath("examples/lambda.fa.gz");
  const std::string fastq = fSourcePath("examples/lambda_reads.fq.gz");
  struct Row {
    const char* command;
    const char* encoding;  // "raw" letters or "coded"
    std::vector<std::string> sizes;
  } rows[] = {
      {"coverage", "coded", {"--min", "40", "--max", "120"}},
      {"stretches", "coded", {"--min", "40", "--max", "354"}},
      {"absent", "raw", {"--min", "40", "--max", "354"}},
      {"once", "coded", {}},
      {"parted", "coded", {"--min", "40", "--max", "354"}},
      {"circrna", "raw", {"--min", "40", "--max", "354"}},
      {"randext", "raw", {"--immut", "40", "--tip", "6", "--mismatches", "0", "--id", "lambda"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    const std::string ending = std::string(row.encoding) == "coded" ? ".bin" : ".txt";
    const std::string genome = folder.path(std::string(row.encoding) + "/lambda" + ending);
    const std::string reads = folder.path(std::string(row.encoding) + "/lambda_reads" + ending);
    const std::string fromFastq = folder.path(std::string("fastq-") + row.command);
    const std::string fromRaw = folder.path(std::string("raw-") + row.command);
    // The standard files name the reads after the FASTQ headers, or "read" + line for raw reads.
    std::vector<std::string> args = {row.command, "--genome", fasta, "--reads", fastq, "--out", fromFastq,
                                     "--no-standard"};
    args.insert(args.end(), row.sizes.begin(), row.sizes.end());
    CliResult converted = fVantrels(args);
    ASSERT_EQ(converted.exitCode, 0) << converted.err;
    args = {row.command, "--genome", genome, "--reads", reads, "--out", fromRaw, "--no-standard"};
    args.insert(args.end(), row.sizes.begin(), row.sizes.end());
    CliResult raw = fVantrels(args);
    ASSERT_EQ(raw.exitCode, 0) << raw.err;
    // Logs name the inputs as the user gave them.
    fExpectSameFiles(fromRaw, fromFastq, {{genome, fasta}, {reads, fastq}, {fromRaw, fromFastq}});
  }
}

}  // namespace
