// The standard files through the real executable: reads from standard input are
// named as from the file, an experiment that finds nothing still leaves them, and
// --report and `vantrels report` write the page or say why not.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "support/run_folder.h"

namespace {

std::vector<std::string> fArgs(const std::string& command, const std::vector<std::string>& words,
                               const std::string& out) {
  std::vector<std::string> args = {command};
  for (const std::string& word : words) args.push_back(fExample(word));
  args.insert(args.end(), {"--out", out, "--quiet"});
  return args;
}

TEST(StandardOutputs, ReadsFromStandardInputAreNamedAsReadsFromTheFile) {
  if (!kWithHtslib) GTEST_SKIP() << "the example reads are gzip FASTQ";
  const std::string fastq = "examples/lambda_reads.fq.gz";
  const struct {
    std::string command, reads, file, aName;  // the standard file compared, with a read's name in it
    std::vector<std::string> words;
  } cases[] = {
      {"absent", fastq, "absent.fastq", "\n@lambda_read_", {}},
      {"once", fastq, "once.bed", "\tlambda_read_", {}},
      // Raw reads are named by their line.
      {"randext", "examples/lambda_reads.txt", "randext.demo_20-5-1.tips.tsv", ",read",
       {"--id", "demo", "--immut", "20", "--tip", "5"}},
  };
  for (const auto& c : cases) {
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
    const std::string expected = fReadFile(folder.path("file/lambda_reads." + c.file));
    EXPECT_NE(expected.find(c.aName), std::string::npos);
    EXPECT_EQ(fReadFile(folder.path("stdin/stdin." + c.file)), expected);
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
  EXPECT_EQ(fReadFile(folder.path("out/lambda.genome")), "lambda\t48502\n");
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
  for (const char* kept : {"lambda_reads[One]lambda_Log.txt", "lambda_reads.once.bed"})
    EXPECT_TRUE(std::filesystem::exists(blocked + "/" + kept)) << kept;
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
}

}  // namespace
