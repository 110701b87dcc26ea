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

using Replacements = std::vector<std::pair<std::string, std::string>>;

std::string fReplaced(std::string text, const Replacements& replacements) {
  for (const auto& [mark, by] : replacements)
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size()))
      text.replace(at, mark.size(), by);
  return text;
}

bool fEndsWith(const std::string& text, const std::string& ending) {
  return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

std::set<std::string> fResultNames(const std::string& dir) {
  std::set<std::string> names;
  for (const std::string& name : fListFolder(dir))
    if (!fEndsWith(name, ".summary.tsv")) names.insert(name);
  return names;
}

// Every file of `expected` is in `got` with the same bytes, once `replacements`
// are made in the expected text.
void fExpectSameFiles(const std::string& expected, const std::string& got, const Replacements& replacements = {}) {
  const std::set<std::string> names = fResultNames(expected);
  EXPECT_FALSE(names.empty());
  for (const std::string& name : names)
    EXPECT_EQ(fReadFile(got + "/" + name), fReplaced(fReadFile(expected + "/" + name), replacements)) << name;
}

const char kGenomeFile[] = "lambda\t48502\n";

// What a genome browser, bedtools or pandas expects of each kind of standard file.
void fExpectReadable(const std::string& name, const std::string& text) {
  SCOPED_TRACE(name);
  EXPECT_TRUE(text.empty() || text.back() == '\n') << "every line ends with a line feed";
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  auto fields = [](const std::string& line) { return std::count(line.begin(), line.end(), '\t') + 1; };
  if (fEndsWith(name, ".bed") || fEndsWith(name, ".bedGraph")) {
    long long lastStart = -1;
    for (const std::string& line : lines) {
      ASSERT_EQ(fields(line), fEndsWith(name, ".bed") ? 6 : 4) << line;
      std::istringstream words(line);
      std::string chromosome;
      long long start = 0, end = 0;
      words >> chromosome >> start >> end;
      EXPECT_EQ(chromosome, "lambda") << line;
      EXPECT_TRUE(lastStart <= start && start < end && end <= 48502) << "sorted, on the genome: " << line;
      lastStart = start;
    }
  } else if (fEndsWith(name, ".tsv")) {
    ASSERT_FALSE(lines.empty()) << "a header line names the columns";
    for (const std::string& line : lines) EXPECT_EQ(fields(line), fields(lines[0])) << line;
  } else if (fEndsWith(name, ".fastq")) {
    ASSERT_EQ(lines.size() % 4, 0u);
    for (size_t i = 0; i < lines.size(); i += 4)
      EXPECT_TRUE(lines[i][0] == '@' && lines[i + 2] == "+" && lines[i + 1].size() == lines[i + 3].size()) << lines[i];
  } else if (fEndsWith(name, ".fasta")) {
    ASSERT_EQ(lines.size() % 2, 0u);
    for (size_t i = 0; i < lines.size(); i += 2)
      EXPECT_TRUE(lines[i][0] == '>' && !lines[i + 1].empty() && lines[i + 1][0] != '>') << lines[i];
  } else {
    EXPECT_EQ(name + ":" + text, std::string("lambda.genome:") + kGenomeFile);
  }
}

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

// "@name" is a path in the folder.
std::string fInFolder(const RunFolder& folder, const std::string& word) {
  return word[0] == '@' ? folder.path(word.substr(1)) : word;
}

// The option of the command line for each key of a parameter file.
const std::map<std::string, std::string> kOptionOfKey = {
    {"pthReads", "--reads"}, {"pthGnm", "--genome"},     {"rMinSz", "--min"},       {"rMaxSz", "--max"},
    {"diReads", "--reads-dir"}, {"pthList", "--list"},    {"experimentId", "--id"}, {"immutSz", "--immut"},
    {"mutTipSz", "--tip"},   {"misNu", "--mismatches"}, {"pthTaskList", "--tasks"},
};

TEST(SelectionFileEquality, EveryCommandWritesTheSelectionFileRunsFilesAndItsStandardFilesBeside) {
  using Entries = std::vector<std::pair<std::string, std::string>>;
  const Entries bin = {{"pthReads", "@reads.bin"}, {"pthGnm", "@lambda.bin"}};
  const Entries txt = {{"pthReads", "@reads.txt"}, {"pthGnm", "@lambda.txt"}};
  auto with = [](Entries entries, const Entries& more) {
    entries.insert(entries.end(), more.begin(), more.end());
    return entries;
  };
  const Entries scope = {{"rMinSz", "20"}, {"rMaxSz", "30"}};
  struct Row {
    const char* procedure;
    const char* command;
    Entries params;                    // of the selection-file run, diRes added; the options of the command line
    std::vector<std::string> standard;  // beside the native files, lambda.genome aside
    std::vector<std::string> extra = {};  // more words; "--params" gives the run its parameter file instead
    std::vector<const char*> besideReads = {};  // files the selection-file run leaves beside the reads
  } rows[] = {
      {"fMatchReadsT_VarSzO", "coverage", with(bin, scope),
       {"reads.coverage.plus.bedGraph", "reads.coverage.minus.bedGraph", "reads.depth.plus.bedGraph",
        "reads.depth.minus.bedGraph"},
       {"--params", "--depth"}},
      {"fMapReadsOnToSeq", "stretches", with(bin, scope), {"reads.stretches.tsv"}, {}, {"reads_In.bin"}},
      {"fReadsOutOfSeq", "absent", with(bin, {{"rMinSz", "22"}, {"rMaxSz", "30"}}), {"reads.absent.fasta"}},
      {"fGetReadsThatOutOfSeq", "absent", with(txt, {{"rMinSz", "22"}, {"rMaxSz", "30"}}), {"reads.absent.fasta"}},
      {"fMapReadsOneInSeq", "once", with(bin, scope), {"reads.once.bed", "reads.clusters.bed", "reads.many.fasta"},
       {}, {"readsMany.bin"}},
      {"fTestGenomeSborka", "assembly-test", with(bin, scope),
       {"lambda.assembly-test.tsv", "reads.assembly-test.noncorrect.tsv"}},
      {"fMatchReadsT_VarSzParted", "parted", with(bin, scope), {"reads.parted.bed", "reads.parted.tsv"}},
      {"fMatchReadsT_VarSzPartedRate", "parted-rate",
       with({{"diReads", "@"}, {"pthList", "@list.txt"}, {"pthGnm", "@lambda.bin"}}, scope),
       {"list.parted-rate.bedGraph"}},
      {"fIdentifyCircularRna", "circrna", with(txt, scope), {"reads.circrna.bed", "reads.circrna.tsv"}},
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
      params.emplace_back(key, fInFolder(folder, value));
      args.insert(args.end(), {kOptionOfKey.at(key), params.back().second});
    }
    folder.params("p.txt", params);
    folder.select(folder.path("p.txt"), row.procedure);
    ASSERT_EQ(folder.run().exitCode, 0);
    Replacements replacements;
    for (const std::string beside : row.besideReads) {
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
    std::set<std::string> expected = fResultNames(folder.path("sel"));
    std::set<std::string> standard(row.standard.begin(), row.standard.end());
    standard.insert("lambda.genome");
    expected.insert(standard.begin(), standard.end());
    EXPECT_EQ(fResultNames(folder.path("cli")), expected);
    std::string summaries;
    for (const std::string& name : fListFolder(folder.path("cli")))
      if (fEndsWith(name, ".summary.tsv")) summaries += fReadFile(folder.path("cli/" + name));
    EXPECT_NE(summaries.find("\nchromosome\tlambda\ngenome_length\t48502\n"), std::string::npos) << summaries;
    for (const std::string& name : standard) {
      fExpectReadable(name, fReadFile(folder.path("cli/" + name)));
      EXPECT_NE(summaries.find(name), std::string::npos) << name << " is not among the summary's files";
    }

    // --no-standard leaves out the standard files and nothing else.
    args.erase(std::remove(args.begin(), args.end(), "--depth"), args.end());
    args.back() = "--no-standard";
    args[args.size() - 2] = folder.path("native");
    ASSERT_EQ(fVantrels(args).exitCode, 0);
    EXPECT_EQ(fResultNames(folder.path("native")), fResultNames(folder.path("sel")));
  }
}

TEST(HitLimit, MaxHitsStopsTheReadingWithAWarningAndZeroReadsEveryRead) {
  RunFolder folder;
  fWriteLambda(folder);
  for (const char* command : {"parted", "circrna"}) {
    for (const char* maxHits : {"1", "0"}) {
      SCOPED_TRACE(std::string(command) + " --max-hits " + maxHits);
      const std::string out = folder.path(std::string(command) + maxHits);
      const char* ending = command == std::string("parted") ? ".bin" : ".txt";
      CliResult result = fVantrels({command, "--genome", folder.path(std::string("lambda") + ending), "--reads",
                                    folder.path(std::string("reads") + ending), "--out", out, "--min", "20", "--max",
                                    "30", "--max-hits", maxHits, "--quiet"});
      EXPECT_EQ(result.exitCode, 0) << result.err;
      const std::string summary = fReadFile(out + "/reads." + command + ".summary.tsv");
      const std::string key = "\nstopped_after_reads\t";
      const size_t stopped = summary.find(key);
      if (maxHits == std::string("0")) {
        EXPECT_EQ(stopped, std::string::npos) << summary;
        EXPECT_EQ(result.err, "");
        continue;
      }
      // The warning names the reads read, as the summary does.
      ASSERT_NE(stopped, std::string::npos) << summary;
      const size_t from = stopped + key.size();
      EXPECT_EQ(result.err, "vantrels: warning: reading stopped after " + summary.substr(from, summary.find('\n', from) - from) +
                                " reads, when the upper-strand hits passed 1 (--max-hits); --max-hits 0 reads every read\n");
    }
  }
}

TEST(InputFormats, FastaGenomeAndGzipFastqReadsGiveTheResultsOfTheConvertedRawFiles) {
  if (!kWithHtslib) GTEST_SKIP() << "this build reads raw files only";
  RunFolder folder;
  const std::string fasta = fSourcePath("examples/lambda.fa.gz");
  const std::string fastq = fSourcePath("examples/lambda_reads.fq.gz");
  for (const char* encoding : {"raw", "coded"}) {
    mkdir(folder.path(encoding).c_str(), 0777);
    const std::string ending = encoding == std::string("raw") ? ".txt" : ".bin";
    for (const auto& [kind, in, stem] : {std::make_tuple("genome", fasta, "/lambda"),
                                         std::make_tuple("reads", fastq, "/lambda_reads")}) {
      std::vector<std::string> args = {"prep", kind, in, folder.path(encoding + (stem + ending))};
      if (ending == ".bin") args.push_back("--coded");
      ASSERT_EQ(fVantrels(args).exitCode, 0);
    }
  }
  struct Row {
    const char* command;
    const char* encoding;  // of the raw files the procedure reads
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
    const std::string genome = folder.path(row.encoding + ("/lambda" + ending));
    const std::string reads = folder.path(row.encoding + ("/lambda_reads" + ending));
    const std::string fromFastq = folder.path(std::string("fastq-") + row.command);
    const std::string fromRaw = folder.path(std::string("raw-") + row.command);
    for (const auto& [genomeIn, readsIn, out] : {std::make_tuple(fasta, fastq, fromFastq), std::make_tuple(genome, reads, fromRaw)}) {
      std::vector<std::string> args = {row.command, "--genome", genomeIn, "--reads", readsIn, "--out", out, "--no-standard"};
      args.insert(args.end(), row.sizes.begin(), row.sizes.end());
      CliResult run = fVantrels(args);
      ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    // Logs name the inputs as the user gave them.
    fExpectSameFiles(fromRaw, fromFastq, {{genome, fasta}, {reads, fastq}, {fromRaw, fromFastq}});
    EXPECT_EQ(fResultNames(fromRaw), fResultNames(fromFastq));
  }
}

}  // namespace
