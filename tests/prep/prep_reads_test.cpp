// vantrels-prep reads and decode: FASTQ/FASTA reads to the reads files of
// vantrels, coded results back to letters, and the command line itself.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "prep/prep_support.h"
#include "support/run_folder.h"

namespace {

std::string fFastq(const std::vector<std::string>& reads) {
  std::string text;
  for (size_t i = 0; i < reads.size(); ++i)
    text += "@read" + std::to_string(i + 1) + " run=1\n" + reads[i] + "\n+\n" + std::string(reads[i].size(), 'I') + "\n";
  return text;
}

TEST(PrepReads, ReadsAreWrittenOrLeftOutAndCountedByReason) {
  const std::string longest(5119, 'A'), tooLong(5120, 'C');
  const std::vector<std::string> reads = {"ACGTacgt", "ACGNT", "", "GGGGGGGGGG", longest, tooLong, "TTT", "acgtRY"};
  struct Case {
    const char* what;
    std::vector<std::string> options;
    std::string written;
    std::string leftOut;
  } cases[] = {
      {"letters",
       {},
       "ACGTACGT\nACGNT\nGGGGGGGGGG\n" + longest + "\nTTT\nACGTRY\n",
       "1 empty, 1 longer than 5119 letters (vantrels stops reading at such a line)"},
      {"codes leave out reads a code byte cannot say",
       {"--coded"},
       fCodes("ACGTACGT") + "\n" + fCodes("GGGGGGGGGG") + "\n" + fCodes(longest) + "\n" + fCodes("TTT") + "\n",
       "1 empty, 1 longer than 5119 letters (vantrels stops reading at such a line), "
       "2 with letters other than A, C, G, T (a code byte cannot say N)"},
      {"a length range",
       {"--min-len", "5", "--max-len=9"},
       "ACGTACGT\nACGNT\nACGTRY\n",
       "1 empty, 1 shorter than 5 letters (--min-len), 2 longer than 9 letters (--max-len), "
       "1 longer than 5119 letters (vantrels stops reading at such a line)"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("in.fq", fFastq(reads));
    std::vector<std::string> args = {"reads", folder.path("in.fq"), folder.path("r.txt")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    PrepRun run = fPrep(args);
    EXPECT_EQ(run.exitCode, 0) << c.what << run.err;
    EXPECT_EQ(folder.read("r.txt"), c.written) << c.what;
    size_t written = static_cast<size_t>(std::count(c.written.begin(), c.written.end(), '\n'));
    EXPECT_EQ(run.err, fFill("vantrels-prep reads: 8 reads read from {IN}, " + std::to_string(written) +
                                 " written to {OUT} as " + (c.options == std::vector<std::string>{"--coded"} ? "code bytes" : "letters") +
                                 "\nvantrels-prep reads: left out: " + c.leftOut + "\n",
                             folder.path("in.fq"), folder.path("r.txt")))
        << c.what;
  }
}

TEST(PrepReads, PlainGzipBgzfFastqAndMultiLineFastaAgree) {
  const std::vector<std::string> reads = {"ACGTTGCA", "nnACGT", "GATTACA"};
  const std::string crlfFastq =
      "@a\r\nACGTTGCA\r\n+\r\nIIIIIIII\r\n@b\r\nnnACGT\r\n+\r\nIIIIII\r\n@c\r\nGATTACA\r\n+\r\nIIIIIII\r\n";
  struct Case {
    const char* what;
    std::string input;
    const char* form;
  } cases[] = {
      {"plain FASTQ", fFastq(reads), "plain"},
      {"gzip FASTQ", fFastq(reads), "gzip"},
      {"BGZF FASTQ", fFastq(reads), "bgzf"},
      {"CR LF FASTQ", crlfFastq, "plain"},
      {"FASTA with reads over several lines", ">a\nACGT\nTGCA\n>b\nnnACGT\n>c\nGAT\nTA\nCA\n", "gzip"},
      {"no read gives an empty reads file", "", "plain"},
      {"no read, compressed", "", "gzip"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    fWriteCompressed(folder.path("in"), c.input, c.form);
    PrepRun run = fPrep({"reads", folder.path("in"), folder.path("r.txt")});
    const std::string n = c.input.empty() ? "0" : "3";
    EXPECT_EQ(run.exitCode, 0) << c.what;
    EXPECT_EQ(run.err, fFill("vantrels-prep reads: " + n + " reads read from {IN}, " + n + " written to {OUT} as "
                             "letters\nvantrels-prep reads: left out: none\n", folder.path("in"), folder.path("r.txt")))
        << c.what;
    EXPECT_EQ(folder.read("r.txt"), c.input.empty() ? "" : "ACGTTGCA\nNNACGT\nGATTACA\n") << c.what;
  }
}

TEST(PrepReads, DamagedInputLeavesTheEarlierOutputAndNoPartialFile) {
  const std::string read = "ACGTACGTTGCAAGGCTTAGACCATGGATTCCAGGTATCGAATCG";
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "@r\n" + read + "\n+\n" + std::string(read.size(), 'I') + "\n";
  struct Case {
    const char* what;
    std::string problem;
  } cases[] = {
      {"a gzip file cut short", "{IN} is damaged or cut short: its compressed data breaks off before the end"},
      {"a FASTQ record whose quality breaks off", "record r: the quality line is missing or differs in length from the letters"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    std::string compressedPath = folder.path("in.fq.gz");
    if (c.problem[0] == '{') {
      fWriteCompressed(compressedPath, many, "gzip");
      std::string whole = folder.read("in.fq.gz");
      folder.write("in.fq.gz", whole.substr(0, whole.size() / 2));
    } else {
      fWriteCompressed(compressedPath, many + "@r\nACGT\n+\nII", "gzip");
    }
    folder.write("r.txt", "earlier result\n");
    PrepRun run = fPrep({"reads", compressedPath, folder.path("r.txt")});
    EXPECT_EQ(run.exitCode, 1) << c.what;
    EXPECT_EQ(run.err, fFill("vantrels-prep reads: " + c.problem + "\nvantrels-prep reads: {OUT} not written\n",
                             compressedPath, folder.path("r.txt")))
        << c.what;
    EXPECT_EQ(folder.read("r.txt"), "earlier result\n") << c.what;
    EXPECT_EQ(folder.files(), std::vector<std::string>({"in.fq.gz", "r.txt", "vantrels"})) << c.what;
  }
}

TEST(PrepReads, AnOutputThatCannotBeCreatedIsReported) {
  RunFolder folder;
  folder.write("in.fq", fFastq({"ACGT"}));
  const std::string out = folder.path("no/such/folder/r.txt");
  PrepRun run = fPrep({"reads", folder.path("in.fq"), out});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "vantrels-prep reads: cannot create " + out + ": No such file or directory\n"
                     "vantrels-prep reads: " + out + " not written\n");
}

// Renaming OUT.part over OUT would turn a link into a file and a pipe into a
// file nobody reads: those are written through, "-" goes to standard output.
TEST(PrepOutput, LinksPipesAndStandardOutputAreWrittenThrough) {
  const std::string fastq = fFastq({"ACGT", "TTGA"});
  const std::string written = "ACGT\nTTGA\n";
  {
    RunFolder folder;
    folder.write("in.fq", fastq);
    folder.write("target.txt", "earlier\n");
    ASSERT_EQ(symlink("target.txt", folder.path("link.txt").c_str()), 0);
    PrepRun run = fPrep({"reads", folder.path("in.fq"), folder.path("link.txt")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    struct stat status;
    ASSERT_EQ(lstat(folder.path("link.txt").c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ(folder.read("target.txt"), written);
    EXPECT_EQ(folder.files(), std::vector<std::string>({"in.fq", "link.txt", "target.txt", "vantrels"}));
  }
  {
    RunFolder folder;
    folder.write("in.fq", fastq);
    ASSERT_EQ(mkfifo(folder.path("pipe").c_str(), 0600), 0);
    // A reader that is there from the start: the writer never waits for it, and
    // a pipe renamed over instead of written leaves it nothing to wait for.
    int readEnd = open(folder.path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(readEnd, 0);
    PrepRun run = fPrep({"reads", folder.path("in.fq"), folder.path("pipe")});
    std::string received;
    char chunk[256];
    ssize_t got;
    while ((got = read(readEnd, chunk, sizeof chunk)) > 0) received.append(chunk, static_cast<size_t>(got));
    close(readEnd);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(received, written);
    EXPECT_EQ(folder.files(), std::vector<std::string>({"in.fq", "pipe", "vantrels"}));
  }
  {
    RunFolder folder;
    folder.write("in.fq", fastq);
    PrepRun run = fPrep({"reads", folder.path("in.fq"), "-"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, written);
    PrepRun decoded = fPrep({"decode", folder.path("in.fq"), "-"});
    EXPECT_EQ(decoded.exitCode, 1);
    EXPECT_EQ(decoded.out, "");
  }
}

TEST(PrepDecode, CodesBecomeLettersAndAnythingElseIsRefusedAtItsOffset) {
  struct Case {
    std::string coded;
    int exitCode;
    std::string result;  // letters, or the message
  } cases[] = {
      {fCodes("ACGT") + "\n" + fCodes("TTGCA") + "\n", 0, "ACGT\nTTGCA\n"},
      {fCodes("GATTACA"), 0, "GATTACA"},
      {"", 0, ""},
      {fCodes("ACGT") + "\n" + fCodes("AC") + "\r\n", 1,
       "{IN}: byte 13 at offset 7 (counting from 0) is neither a base code 0..3 nor a line feed"},
      {fCodes("ACG") + "N", 1, "{IN}: byte 78 at offset 3 (counting from 0) is neither a base code 0..3 nor a line feed"},
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
      EXPECT_FALSE(folder.exists("out.txt"));
      EXPECT_FALSE(folder.exists("out.txt.part"));
    }
  }
}

// The real executable: help on standard output, problems on standard error, exit codes.
TEST(PrepCommandLine, HelpUsageAndExitCodes) {
  struct Case {
    std::string args;
    int exitCode;
    bool helpOnOut;
    std::string errStart;
  } cases[] = {
      {"--help", 0, true, ""},
      {"genome --help", 0, true, ""},
      {"reads -h", 0, true, ""},
      {"decode --help", 0, true, ""},
      {"", 2, false, "usage: vantrels-prep genome IN OUT"},
      {"align in out", 2, false, "vantrels-prep: unknown command align\n"},
      {"reads in.fq", 2, false, "vantrels-prep reads: needs IN and OUT\n"},
      {"reads --quality in out", 2, false, "vantrels-prep reads: unknown option --quality\n"},
      {"reads --min-len x in out", 2, false, "vantrels-prep reads: --min-len takes a whole number, not x\n"},
      {"reads in out --max-len", 2, false, "vantrels-prep reads: option --max-len needs a value\n"},
      {"decode missing.bin out", 1, false, "vantrels-prep decode: cannot open missing.bin: No such file or directory\n"},
      {"reads missing.fq out", 1, false, "vantrels-prep reads: cannot open missing.fq: No such file or directory\n"},
      {"reads . out", 1, false, "vantrels-prep reads: cannot open .: Is a directory\n"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    std::string command = "cd '" + folder.dir() + "' && '" VANTRELS_PREP_EXE "' " + c.args + " >out.txt 2>err.txt";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << c.args;
    EXPECT_EQ(WEXITSTATUS(status), c.exitCode) << c.args;
    std::string out = folder.read("out.txt"), err = folder.read("err.txt");
    if (c.helpOnOut) {
      EXPECT_EQ(out.rfind("usage: vantrels-prep ", 0), 0u) << c.args;
      EXPECT_EQ(err, "") << c.args;
    } else {
      EXPECT_EQ(out, "") << c.args;
      EXPECT_EQ(err.rfind(c.errStart, 0), 0u) << c.args << "\n" << err;
    }
    EXPECT_FALSE(folder.exists("out")) << c.args;
  }
}

}  // namespace
