// vantrels-prep reads and decode: FASTQ/FASTA reads to the reads files of
// vantrels, coded results back to letters, and the command line itself.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>
#include "prep/prep_support.h"
#include "support/run_folder.h"

namespace {

std::string fFastq(const std::vector<std::string>& reads) {
  std::string text;
  for (size_t i = 0; i < reads.size(); ++i)
    text += "@read" + std::to_string(i + 1) + " run=1\n" + reads[i] + "\n+\n" + std::string(reads[i].size(), 'I') +
            "\n";
  return text;
}

// Runs "reads in OUT options" on `input` written to "in" as `form`; OUT "-" is standard output.
PrepRun fPrepReads(const RunFolder& folder, const std::string& input, const char* form,
                   const std::vector<std::string>& options = {}, const std::string& out = "r.txt") {
  fWriteCompressed(folder.path("in"), input, form);
  std::vector<std::string> args = {"reads", folder.path("in"), out == "-" ? out : folder.path(out)};
  args.insert(args.end(), options.begin(), options.end());
  return fPrep(args);
}

TEST(PrepReads, ReadsAreWrittenOrLeftOutAndCountedByReason) {
  const std::string longest(5119, 'A'), tooLong(5120, 'C');
  const std::vector<std::string> reads = {"ACGTacgt", "ACGNT", "", "GGGGGGGGGG", longest, tooLong, "TTT", "acgtRY"};
  const std::string overLong = "1 longer than 5119 letters (vantrels stops reading at such a line)";
  struct Case { std::vector<std::string> options; std::string written, as, leftOut; } cases[] = {
      {{}, "ACGTACGT\nACGNT\nGGGGGGGGGG\n" + longest + "\nTTT\nACGTRY\n", "letters", "1 empty, " + overLong},
      // Codes leave out the reads a code byte cannot say.
      {{"--coded"}, fCodes("ACGTACGT\nGGGGGGGGGG\n" + longest + "\nTTT\n"), "code bytes",
       "1 empty, " + overLong + ", 2 with letters other than A, C, G, T (a code byte cannot say N)"},
      {{"--min-len", "5", "--max-len=9"}, "ACGTACGT\nACGNT\nACGTRY\n", "letters",
       "1 empty, 1 shorter than 5 letters (--min-len), 2 longer than 9 letters (--max-len), " + overLong},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    PrepRun run = fPrepReads(folder, fFastq(reads), "plain", c.options);
    EXPECT_EQ(run.exitCode, 0) << c.as << run.err;
    EXPECT_EQ(folder.read("r.txt"), c.written) << c.as;
    const size_t written = static_cast<size_t>(std::count(c.written.begin(), c.written.end(), '\n'));
    EXPECT_EQ(run.err, fFill("vantrels-prep reads: 8 reads read from {IN}, " + std::to_string(written) +
                             " written to {OUT} as " + c.as + "\nvantrels-prep reads: left out: " + c.leftOut + "\n",
                             folder.path("in"), folder.path("r.txt")));
  }
}

TEST(PrepReads, PlainGzipBgzfFastqAndMultiLineFastaAgree) {
  const std::string fastq = fFastq({"ACGTTGCA", "nnACGT", "GATTACA"});
  const std::string crlfFastq =
      "@a\r\nACGTTGCA\r\n+\r\nIIIIIIII\r\n@b\r\nnnACGT\r\n+\r\nIIIIII\r\n@c\r\nGATTACA\r\n+\r\nIIIIIII\r\n";
  const std::pair<std::string, const char*> cases[] = {
      {fastq, "plain"}, {fastq, "gzip"}, {fastq, "bgzf"}, {crlfFastq, "plain"},
      {">a\nACGT\nTGCA\n>b\nnnACGT\n>c\nGAT\nTA\nCA\n", "gzip"},  // FASTA with reads over several lines
      {"", "plain"}, {"", "gzip"},                                // no read gives an empty reads file
  };
  for (const auto& [input, form] : cases) {
    RunFolder folder;
    PrepRun run = fPrepReads(folder, input, form);
    const std::string n = input.empty() ? "0" : "3";
    EXPECT_EQ(run.exitCode, 0) << input << form;
    EXPECT_EQ(run.err, fFill("vantrels-prep reads: " + n + " reads read from {IN}, " + n + " written to {OUT} as "
                             "letters\nvantrels-prep reads: left out: none\n", folder.path("in"),
                             folder.path("r.txt")));
    EXPECT_EQ(folder.read("r.txt"), input.empty() ? "" : "ACGTTGCA\nNNACGT\nGATTACA\n") << input << form;
  }
}

// Nothing lost: the earlier result stays and no partial file is left.
TEST(PrepReads, DamagedInputOrAnUncreatableOutputLeaveTheEarlierOutputAndNoPartialFile) {
  const std::string read = "ACGTACGTTGCAAGGCTTAGACCATGGATTCCAGGTATCGAATCG";
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "@r\n" + read + "\n+\n" + std::string(read.size(), 'I') + "\n";
  struct Case { std::string input, out, problem; bool cut; } cases[] = {
      {many, "r.txt", "{IN} is damaged or cut short: its compressed data breaks off before the end", true},
      {many + "@r\nACGT\n+\nII", "r.txt",
       "record r: the quality line is missing or differs in length from the letters", false},
      // A record of a FASTQ file without its quality line would be written out without qualities.
      {"\n@q\nACGT\n+\nIIII\n@r\nACGT\n@s\nAC\n+\nII\n", "r.txt",
       "record r: the quality line is missing or differs in length from the letters", false},
      {"@r\nACGT\n+\nIIII\n", "no/r.txt", "cannot create {OUT}: No such file or directory", false},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    fWriteCompressed(folder.path("in"), c.input, "gzip");
    if (c.cut) folder.write("in", folder.read("in").substr(0, folder.read("in").size() / 2));
    folder.write("r.txt", "earlier result\n");
    PrepRun run = fPrep({"reads", folder.path("in"), folder.path(c.out)});
    EXPECT_EQ(run.exitCode, 1) << c.problem;
    EXPECT_EQ(run.err, fFill("vantrels-prep reads: " + c.problem + "\nvantrels-prep reads: {OUT} not written\n",
                             folder.path("in"), folder.path(c.out)));
    EXPECT_EQ(folder.read("r.txt"), "earlier result\n") << c.problem;
    EXPECT_EQ(folder.files(), std::vector<std::string>({"in", "r.txt", "vantrels"})) << c.problem;
  }
}

// Renaming OUT.part over OUT would turn a link into a file and a pipe into a
// file nobody reads: those are written through, "-" goes to standard output.
TEST(PrepOutput, LinksPipesAndStandardOutputAreWrittenThrough) {
  const std::string fastq = fFastq({"ACGT", "TTGA"}), written = "ACGT\nTTGA\n";
  RunFolder folder;
  folder.write("target.txt", "earlier\n");
  ASSERT_EQ(symlink("target.txt", folder.path("link.txt").c_str()), 0);
  PrepRun run = fPrepReads(folder, fastq, "plain", {}, "link.txt");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  struct stat status;
  ASSERT_EQ(lstat(folder.path("link.txt").c_str(), &status), 0);
  EXPECT_TRUE(S_ISLNK(status.st_mode));
  EXPECT_EQ(folder.read("target.txt"), written);
  // A reader that is there from the start: the writer never waits for it, and
  // a pipe renamed over instead of written leaves it nothing to wait for.
  ASSERT_EQ(mkfifo(folder.path("pipe").c_str(), 0600), 0);
  const int readEnd = open(folder.path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(readEnd, 0);
  run = fPrepReads(folder, fastq, "plain", {}, "pipe");
  std::string received;
  char chunk[256];
  for (ssize_t got; (got = read(readEnd, chunk, sizeof chunk)) > 0;) received.append(chunk, static_cast<size_t>(got));
  close(readEnd);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(received, written);
  EXPECT_EQ(folder.files(), std::vector<std::string>({"in", "link.txt", "pipe", "target.txt", "vantrels"}));
  run = fPrepReads(folder, fastq, "plain", {}, "-");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, written);
  PrepRun decoded = fPrep({"decode", folder.path("in"), "-"});
  EXPECT_EQ(decoded.exitCode, 1);
  EXPECT_EQ(decoded.out, "");
}

TEST(PrepDecode, CodesBecomeLettersAndAnythingElseIsRefusedAtItsOffset) {
  const std::string refused = "is neither a base code 0..3 nor a line feed";
  struct Case { std::string coded; int exitCode; std::string result; } cases[] = {  // letters, or the message
      {fCodes("ACGT\nTTGCA\n"), 0, "ACGT\nTTGCA\n"}, {fCodes("GATTACA"), 0, "GATTACA"}, {"", 0, ""},
      {fCodes("ACGT\nAC") + "\r\n", 1, "{IN}: byte 13 at offset 7 (counting from 0) " + refused},
      {fCodes("ACG") + "N", 1, "{IN}: byte 78 at offset 3 (counting from 0) " + refused},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("in.bin", c.coded);
    PrepRun run = fPrep({"decode", folder.path("in.bin"), folder.path("out.txt")});
    EXPECT_EQ(run.exitCode, c.exitCode) << c.result;
    if (c.exitCode == 0) {
      EXPECT_EQ(folder.read("out.txt"), c.result);
    } else {
      EXPECT_EQ(run.err, fFill("vantrels-prep decode: " + c.result + "\nvantrels-prep decode: {OUT} not written\n",
                               folder.path("in.bin"), folder.path("out.txt")));
      EXPECT_EQ(folder.files(), std::vector<std::string>({"in.bin", "vantrels"}));
    }
  }
}

// The real executable: help on standard output, problems on standard error, exit codes.
TEST(PrepCommandLine, HelpUsageAndExitCodes) {
  struct Case { std::string args; int exitCode; std::string errStart; } cases[] = {  // no error: help
      {"--help", 0, ""}, {"genome --help", 0, ""}, {"reads -h", 0, ""}, {"decode --help", 0, ""},
      {"", 2, "usage: vantrels-prep genome IN OUT"},
      {"align in out", 2, "vantrels-prep: unknown command align\n"},
      {"reads in.fq", 2, "vantrels-prep reads: needs IN and OUT\n"},
      {"reads --quality in out", 2, "vantrels-prep reads: unknown option --quality\n"},
      {"reads --min-len x in out", 2, "vantrels-prep reads: --min-len takes a whole number, not x\n"},
      {"reads in out --max-len", 2, "vantrels-prep reads: option --max-len needs a value\n"},
      {"decode missing.bin out", 1, "vantrels-prep decode: cannot open missing.bin: No such file or directory\n"},
      {"reads missing.fq out", 1, "vantrels-prep reads: cannot open missing.fq: No such file or directory\n"},
      {"reads . out", 1, "vantrels-prep reads: cannot open .: Is a directory\n"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    const int status =
        std::system(("cd '" + folder.dir() + "' && '" VANTRELS_PREP_EXE "' " + c.args + " >out.txt 2>err.txt").c_str());
    ASSERT_TRUE(WIFEXITED(status)) << c.args;
    EXPECT_EQ(WEXITSTATUS(status), c.exitCode) << c.args;
    const std::string out = folder.read("out.txt"), err = folder.read("err.txt");
    EXPECT_EQ(c.errStart.empty() ? out.substr(0, 21) : err.substr(0, c.errStart.size()),
              c.errStart.empty() ? "usage: vantrels-prep " : c.errStart) << c.args << "\n" << err;
    EXPECT_EQ(c.errStart.empty() ? err : out, "") << c.args;
    EXPECT_FALSE(folder.exists("out")) << c.args;
  }
}

}  // namespace
