// The standard files through the real executable: every command leaves them
// beside its native files under the documented names, --no-standard leaves
// them out and nothing else, reads from standard input are named as from the
// file, and --report and `vantrels report` write the page or say why not.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "support/run_folder.h"

namespace {

const char kGenomeFile[] = "lambda\t48502\n";

struct StandardRow {
  std::vector<std::string> args;        // after the command's name; "examples/..." from the source tree
  std::vector<const char*> standard;    // the standard files the run leaves in --out
};

std::vector<std::string> fArgs(const std::string& command, const std::vector<std::string>& words,
                               const std::string& out) {
  std::vector<std::string> args = {command};
  for (const std::string& word : words)
    args.push_back(word.compare(0, 9, "examples/") == 0 || word == "examples" ? fSourcePath(word) : word);
  args.insert(args.end(), {"--out", out, "--quiet"});
  return args;
}

std::vector<std::string> fLinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

size_t fFieldCount(const std::string& line) { return static_cast<size_t>(std::count(line.begin(), line.end(), '\t')) + 1; }

bool fEndsWith(const std::string& text, const std::string& ending) {
  return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

// What a genome browser, bedtools or pandas expects of each kind of file.
void fExpectReadable(const std::string& name, const std::string& text) {
  SCOPED_TRACE(name);
  if (!text.empty()) {
    EXPECT_EQ(text.back(), '\n') << "every line ends with a line feed";
  }
  const std::vector<std::string> lines = fLinesOf(text);
  if (fEndsWith(name, ".bed") || fEndsWith(name, ".bedGraph")) {
    const size_t fields = fEndsWith(name, ".bed") ? 6 : 4;
    long long lastStart = -1;
    for (const std::string& line : lines) {
      ASSERT_EQ(fFieldCount(line), fields) << line;
      std::istringstream in(line);
      std::string chromosome;
      long long start = 0, end = 0;
      in >> chromosome >> start >> end;
      EXPECT_EQ(chromosome, "lambda") << line;
      EXPECT_TRUE(0 <= start && start < end && end <= 48502) << line;
      EXPECT_LE(lastStart, start) << "sorted by start: " << line;
      lastStart = start;
    }
  } else if (fEndsWith(name, ".tsv")) {
    ASSERT_FALSE(lines.empty()) << "a header line names the columns";
    for (const std::string& line : lines) EXPECT_EQ(fFieldCount(line), fFieldCount(lines[0])) << line;
  } else if (fEndsWith(name, ".fastq")) {
    ASSERT_EQ(lines.size() % 4, 0u);
    for (size_t i = 0; i < lines.size(); i += 4) {
      EXPECT_EQ(lines[i].substr(0, 1), "@") << lines[i];
      EXPECT_EQ(lines[i + 2], "+");
      EXPECT_EQ(lines[i + 1].size(), lines[i + 3].size()) << lines[i];
    }
  } else if (fEndsWith(name, ".genome")) {
    EXPECT_EQ(text, kGenomeFile);
  } else {
    ADD_FAILURE() << "not a standard file kind";
  }
}

TEST(StandardOutputs, EveryCommandWritesItsStandardFilesBesideTheNativeOnesAndNoStandardLeavesThemOut) {
  if (!kWithHtslib) GTEST_SKIP() << "the examples are FASTA/FASTQ";
  const std::vector<std::string> genomeAndReads = {"--genome", "examples/lambda.fa.gz", "--reads",
                                                   "examples/lambda_reads.fq.gz"};
  auto with = [&](std::vector<std::string> more, const char* reads = nullptr) {
    std::vector<std::string> words = genomeAndReads;
    if (reads != nullptr) words[3] = reads;
    words.insert(words.end(), more.begin(), more.end());
    return words;
  };
  const std::pair<std::string, StandardRow> rows[] = {
      {"coverage",
       {with({"--min", "40", "--max", "354", "--depth"}),
        {"lambda_reads.coverage.plus.bedGraph", "lambda_reads.coverage.minus.bedGraph",
         "lambda_reads.depth.plus.bedGraph", "lambda_reads.depth.minus.bedGraph"}}},
      {"stretches", {with({"--min", "40", "--max", "354"}), {"lambda_reads.stretches.tsv"}}},
      {"absent", {with({}), {"lambda_reads.absent.fastq"}}},
      {"once", {with({}), {"lambda_reads.once.bed", "lambda_reads.clusters.bed", "lambda_reads.many.fastq"}}},
      {"assembly-test", {with({}), {"lambda.assembly-test.tsv", "lambda_reads.assembly-test.noncorrect.tsv"}}},
      {"parted", {with({"--min", "40", "--max", "354"}), {"lambda_reads.parted.bed", "lambda_reads.parted.tsv"}}},
      {"parted-rate",
       {{"--genome", "examples/lambda.fa.gz", "--reads-dir", "examples", "--list", "examples/lambda_list.txt"},
        {"lambda_list.parted-rate.bedGraph"}}},
      {"circrna", {with({"--min", "40", "--max", "354"}), {"lambda_reads.circrna.bed", "lambda_reads.circrna.tsv"}}},
      {"randext",
       {with({"--id", "demo", "--immut", "20", "--tip", "5"}, "examples/lambda_reads.txt"),
        {"lambda_reads.randext.demo_20-5-1.sites.bed", "lambda_reads.randext.demo_20-5-1.tips.tsv"}}},
      {"randext-tasks",
       {with({"--tasks", "examples/tasklist.txt"}, "examples/lambda_reads.txt"),
        {"lambda_reads.randext.lambda_tips_20-5-1.sites.bed", "lambda_reads.randext.lambda_tips_20-5-1.tips.tsv",
         "lambda_reads.randext.lambda_tips_20-5-3.sites.bed", "lambda_reads.randext.lambda_tips_20-5-3.tips.tsv",
         "lambda_reads.randext.lambda_tips_22-3-1.sites.bed", "lambda_reads.randext.lambda_tips_22-3-1.tips.tsv"}}},
  };
  for (const auto& row : rows) {
    const std::string& command = row.first;
    SCOPED_TRACE(command);
    RunFolder folder;
    const std::string withStandard = folder.path("standard");
    const std::string nativeOnly = folder.path("native");
    CliResult done = fVantrels(fArgs(command, row.second.args, withStandard));
    ASSERT_EQ(done.exitCode, 0) << done.err;
    std::vector<std::string> args = fArgs(command, row.second.args, nativeOnly);
    args.push_back("--no-standard");
    if (command == "coverage") args.erase(std::find(args.begin(), args.end(), "--depth"));
    CliResult plain = fVantrels(args);
    ASSERT_EQ(plain.exitCode, 0) << plain.err;

    std::set<std::string> standard(row.second.standard.begin(), row.second.standard.end());
    standard.insert("lambda.genome");
    const std::vector<std::string> natives = fListFolder(nativeOnly);
    std::set<std::string> expected(natives.begin(), natives.end());
    for (const std::string& name : standard) {
      EXPECT_EQ(expected.count(name), 0u) << name << " written under --no-standard";
      expected.insert(name);
    }
    const std::vector<std::string> got = fListFolder(withStandard);
    EXPECT_EQ(std::set<std::string>(got.begin(), got.end()), expected);

    // The stretches log names its "_In.bin" in --out.
    for (const std::string& name : natives) {
      if (fEndsWith(name, ".summary.tsv")) continue;
      std::string native = fReadFile(nativeOnly + "/" + name);
      for (size_t at = native.find(nativeOnly); at != std::string::npos; at = native.find(nativeOnly, at))
        native.replace(at, nativeOnly.size(), withStandard);
      EXPECT_EQ(fReadFile(withStandard + "/" + name), native)
          << name << ": the standard files leave the native ones as they are";
    }
    std::string summaries;
    for (const std::string& name : got)
      if (fEndsWith(name, ".summary.tsv")) summaries += fReadFile(withStandard + "/" + name);
    EXPECT_NE(summaries.find("\nchromosome\tlambda\ngenome_length\t48502\n"), std::string::npos) << summaries;
    for (const std::string& name : standard) {
      fExpectReadable(name, fReadFile(withStandard + "/" + name));
      EXPECT_NE(summaries.find(name), std::string::npos) << name << " is not among the summary's files";
    }
  }
}

TEST(StandardOutputs, ReadsFromStandardInputAreNamedAsReadsFromTheFile) {
  if (!kWithHtslib) GTEST_SKIP() << "the example reads are gzip FASTQ";
  struct Case {
    std::string command;
    std::vector<std::string> words;
    std::string reads;
    std::string fromFile, fromInput;  // the standard file of each run
    std::string aName;                // a read's name in it
  } cases[] = {
      {"absent", {}, "examples/lambda_reads.fq.gz", "lambda_reads.absent.fastq", "stdin.absent.fastq",
       "\n@lambda_read_"},
      {"once", {}, "examples/lambda_reads.fq.gz", "lambda_reads.once.bed", "stdin.once.bed", "\tlambda_read_"},
      // Raw reads are named by their line.
      {"randext", {"--id", "demo", "--immut", "20", "--tip", "5"}, "examples/lambda_reads.txt",
       "lambda_reads.randext.demo_20-5-1.tips.tsv", "stdin.randext.demo_20-5-1.tips.tsv", ",read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    RunFolder folder;
    std::vector<std::string> words = {"--genome", "examples/lambda.fa.gz", "--reads", c.reads};
    words.insert(words.end(), c.words.begin(), c.words.end());
    CliResult file = fVantrels(fArgs(c.command, words, folder.path("file")));
    ASSERT_EQ(file.exitCode, 0) << file.err;
    words[3] = "-";
    CliLimits limits;
    limits.stdinPath = fSourcePath(c.reads);
    CliResult input = fVantrels(fArgs(c.command, words, folder.path("stdin")), limits);
    ASSERT_EQ(input.exitCode, 0) << input.err;
    const std::string expected = fReadFile(folder.path("file/" + c.fromFile));
    EXPECT_NE(expected.find(c.aName), std::string::npos);
    EXPECT_EQ(fReadFile(folder.path("stdin/" + c.fromInput)), expected);
  }
}

TEST(StandardOutputs, AnExperimentThatFindsNothingStillLeavesItsEmptyStandardFiles) {
  if (!kWithHtslib) GTEST_SKIP() << "the example genome is FASTA";
  RunFolder folder;
  // The example's end-replacement reads are 24 to 26 bases: none has 30 + 5.
  CliResult result = fVantrels(fArgs("randext",
                                     {"--genome", "examples/lambda.fa.gz", "--reads", "examples/lambda_reads.txt",
                                      "--immut", "30", "--tip", "5"},
                                     folder.path("out")));
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "vantrels: warning: randext found no read to report; its results say so\n");
  EXPECT_EQ(fReadFile(folder.path("out/lambda_reads.randext._30-5-1.sites.bed")), "");
  EXPECT_EQ(fReadFile(folder.path("out/lambda_reads.randext._30-5-1.tips.tsv")),
            "position_1based\tstrand\treads_at_site\tentropy\ttip\treads_with_tip\tread_names\n");
  EXPECT_EQ(fReadFile(folder.path("out/lambda.genome")), kGenomeFile);
}

TEST(StandardOutputs, DepthAsksForStandardFilesThatNoStandardLeavesOut) {
  CliResult result = fVantrels({"coverage", "--genome", "g", "--reads", "r", "--out", "o", "--min", "20", "--max",
                                "30", "--depth", "--no-standard"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(fHead(result.err, "vantrels: --depth asks for standard files that --no-standard leaves out"),
            "vantrels: --depth asks for standard files that --no-standard leaves out");
}

TEST(Report, ReportOptionWritesThePageOnceTheResultsAreInPlaceAndAFailedReportKeepsThem) {
  if (!kWithHtslib) GTEST_SKIP() << "the examples are FASTA/FASTQ";
  RunFolder folder;
  const std::vector<std::string> once = {"--genome", "examples/lambda.fa.gz", "--reads",
                                         "examples/lambda_reads.fq.gz", "--report"};
  const std::string out = folder.path("out");
  CliResult done = fVantrels(fArgs("once", once, out));
  ASSERT_EQ(done.exitCode, 0) << done.err;
  const std::string page = fReadFile(out + "/report.html");
  EXPECT_EQ(fHead(page, "<!DOCTYPE html>"), "<!DOCTYPE html>");
  EXPECT_NE(page.find("once: lambda_reads"), std::string::npos);
  EXPECT_EQ(fVantrels({"report", out}).exitCode, 0);
  EXPECT_EQ(fReadFile(out + "/report.html"), page) << "the same results give the same page";

  // A report that can't be put in place: the run's results stay, the exit code says so.
  const std::string blocked = folder.path("blocked");
  ASSERT_EQ(mkdir(blocked.c_str(), 0777), 0);
  ASSERT_EQ(mkdir((blocked + "/report.html").c_str(), 0777), 0);
  CliResult failed = fVantrels(fArgs("once", once, blocked));
  EXPECT_EQ(failed.exitCode, 3);
  EXPECT_EQ(fHead(failed.err, "vantrels: --report: "), "vantrels: --report: ") << failed.err;
  EXPECT_NE(failed.err.find("; the results of the run are in " + blocked + "\n"), std::string::npos) << failed.err;
  std::vector<std::string> kept = fListFolder(blocked);
  EXPECT_NE(std::find(kept.begin(), kept.end(), "lambda_reads[One]lambda_Log.txt"), kept.end());
  EXPECT_NE(std::find(kept.begin(), kept.end(), "lambda_reads.once.bed"), kept.end());
}

TEST(Report, TheReportCommandSaysWhatWentWrong) {
  RunFolder folder;
  folder.write("s1[20-40]chr_Log.txt", "program= fMatchReadsT_VarSzO\ninput reads= 5");
  folder.write("s1[20-40]chr_Up1.txt", "1\t0.00\n2\t1.50\n");
  folder.write("s1[20-40]chr_Lw1.txt", "1\t1.00\n2\t0.00\n");
  ASSERT_EQ(mkdir(folder.path("empty").c_str(), 0777), 0);
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string err;
  } cases[] = {
      {{"report", folder.dir()}, 0, ""},
      {{"report"}, 1, "vantrels: report: needs one DIR, the --out of a run\n"},
      {{"report", folder.dir(), folder.dir()}, 1, "vantrels: report: needs one DIR, the --out of a run\n"},
      {{"report", "--depth", folder.dir()}, 1, "vantrels: report: unknown option --depth\n"},
      {{"report", folder.path("missing")}, 2,
       "vantrels: report: " + folder.path("missing") + ": not a directory with results; give the --out folder of a run\n"},
      {{"report", folder.path("empty")}, 2,
       "vantrels: report: " + folder.path("empty") + ": no results found to report on; give the --out folder of a run\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.size() > 1 ? c.args[1] : "no DIR");
    CliResult result = fVantrels(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.err.substr(0, result.err.find('\n') + 1), c.err);
  }
  EXPECT_TRUE(folder.exists("report.html"));
  EXPECT_FALSE(folder.exists("empty/report.html"));
  CliResult help = fVantrels({"report", "--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(fHead(help.out, "Usage: vantrels report [options] DIR\n"), "Usage: vantrels report [options] DIR\n");
  EXPECT_NE(fVantrels({"--help"}).out.find("\n  report "), std::string::npos);
}

}  // namespace
