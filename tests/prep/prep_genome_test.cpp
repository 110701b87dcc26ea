// vantrels-prep genome: FASTA in every form to the raw genome vantrels reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "prep/prep_support.h"
#include "support/run_folder.h"
#include "support/sequences.h"

namespace {

TEST(PrepGenome, EveryFastaFormGivesBackTheGenomeByteForByte) {
  const std::string genome = fRandomLetters(1000, 12345);
  struct Case {
    const char* what;
    std::string fasta;
    const char* form;
  } cases[] = {
      {"70-letter lines", fFastaRecord("lambda phage", genome, 70), "plain"},
      {"CR LF line ends", fFastaRecord("lambda", genome, 70, "\r\n"), "plain"},
      {"lower-case letters", fFastaRecord("lambda", fLower(genome), 60), "plain"},
      {"one line without a final line feed", ">lambda\n" + genome, "plain"},
      {"gzip", fFastaRecord("lambda", genome, 70), "gzip"},
      {"BGZF", fFastaRecord("lambda", genome, 80), "bgzf"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    fWriteCompressed(folder.path("in.fa"), c.fasta, c.form);
    PrepRun letters = fPrep({"genome", folder.path("in.fa"), folder.path("g.txt")});
    EXPECT_EQ(letters.exitCode, 0) << c.what << letters.err;
    EXPECT_EQ(folder.read("g.txt"), genome) << c.what;
    PrepRun coded = fPrep({"genome", "--coded", folder.path("in.fa"), folder.path("g.bin")});
    EXPECT_EQ(coded.exitCode, 0) << c.what;
    EXPECT_EQ(folder.read("g.bin"), fCodes(genome)) << c.what;
    EXPECT_EQ(letters.err, "vantrels-prep genome: record lambda: 1000 bases written to " + folder.path("g.txt") +
                               " as letters\nvantrels-prep genome: letters other than A, C, G, T: 0\n")
        << c.what;
  }
}

TEST(PrepGenome, LettersOtherThanAcgtFollowTheChosenPolicy) {
  // Positions 3, 6, 7 and 11 hold N, r, n and Y; the carriage return is no position.
  const std::string fasta = ">chr\nACNGT\nrnAC\r\nGY\n";
  struct Case {
    std::vector<std::string> options;
    std::string written;
    std::string report;
  } cases[] = {
      {{"--non-acgt", "skip"}, "ACGTACG", "4, skipped"},
      {{"--non-acgt", "A"}, "ACAGTAAACGA", "4, replaced by A"},
      {{"--non-acgt=t"}, "ACTGTTTACGT", "4, replaced by T"},
      {{"--non-acgt", "C", "--coded"}, fCodes("ACCGTCCACGC"), "4, replaced by C"},
      {{"--non-acgt", "G"}, "ACGGTGGACGG", "4, replaced by G"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("in.fa", fasta);
    std::vector<std::string> args = {"genome", folder.path("in.fa"), folder.path("g")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    PrepRun run = fPrep(args);
    EXPECT_EQ(run.exitCode, 0) << c.report;
    EXPECT_EQ(folder.read("g"), c.written) << c.report;
    EXPECT_NE(run.err.find("letters other than A, C, G, T: " + c.report + "\n"), std::string::npos) << run.err;
  }
}

TEST(PrepGenome, RefusalsSayWhyAndLeaveNoOutput) {
  struct Case {
    const char* what;
    std::string input;
    std::vector<std::string> options;
    int exitCode;
    std::string message;  // {IN} and {OUT} stand for the paths
  } cases[] = {
      {"several records",
       ">chr1 first\nACGT\nAC\n>chr2\nGG\n>plasmid\nT\n",
       {},
       1,
       "vantrels-prep genome: {IN} holds 3 records; vantrels holds one genome: choose one with --record NAME\n"
       "  chr1\t6 letters\n  chr2\t2 letters\n  plasmid\t1 letters\n"
       "vantrels-prep genome: {OUT} not written\n"},
      {"a record name that is not there",
       ">chr1\nACGT\n>chr2\nGG\n",
       {"--record", "chr3"},
       1,
       "vantrels-prep genome: {IN} holds no record named chr3; its records are:\n"
       "  chr1\t4 letters\n  chr2\t2 letters\nvantrels-prep genome: {OUT} not written\n"},
      {"two records of the chosen name",
       ">chr1\nACGT\n>chr1\nGG\n",
       {"--record", "chr1"},
       1,
       "vantrels-prep genome: {IN} holds more than one record named chr1\nvantrels-prep genome: {OUT} not written\n"},
      {"letters other than ACGT by default",
       ">chr\nACGTNNACGTRACGTAAAAAAAAAAACCNYN\n",
       {},
       1,
       "vantrels-prep genome: record chr has 6 letters other than A, C, G, T; the first at 5, 6, 11, 29, 30 "
       "(counting from 1).\n  Choose --non-acgt skip to remove them, or --non-acgt A (C, G, T) to replace them\n"
       "vantrels-prep genome: {OUT} not written\n"},
      {"an empty file", "", {}, 1,
       "vantrels-prep genome: {IN} holds no FASTA record (a record starts with a line '>NAME')\n"
       "vantrels-prep genome: {OUT} not written\n"},
      {"raw letters without a header", "ACGTACGT", {}, 1,
       "vantrels-prep genome: {IN} holds no FASTA record (a record starts with a line '>NAME')\n"
       "vantrels-prep genome: {OUT} not written\n"},
      {"a record without letters", ">chr\n", {}, 1,
       "vantrels-prep genome: record chr holds no letters\nvantrels-prep genome: {OUT} not written\n"},
      {"nothing left after skipping", ">chr\nNNN\n", {"--non-acgt", "skip"}, 1,
       "vantrels-prep genome: record chr: no letters are left once the other letters are skipped\n"
       "vantrels-prep genome: {OUT} not written\n"},
      {"an unknown policy", ">chr\nACGT\n", {"--non-acgt", "N"}, 2,
       "vantrels-prep genome: --non-acgt takes fail, skip, A, C, G or T, not N\n"
       "usage: vantrels-prep genome IN OUT [--coded] [--record NAME] [--non-acgt fail|skip|A|C|G|T]\n"
       "(vantrels-prep genome --help tells more)\n"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("in.fa", c.input);
    std::vector<std::string> args = {"genome", folder.path("in.fa"), folder.path("g.txt")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    PrepRun run = fPrep(args);
    std::string expected = fFill(c.message, folder.path("in.fa"), folder.path("g.txt"));
    EXPECT_EQ(run.exitCode, c.exitCode) << c.what;
    EXPECT_EQ(run.err, expected) << c.what;
    EXPECT_EQ(folder.files(), std::vector<std::string>({"in.fa", "vantrels"})) << c.what;
  }
}

TEST(PrepGenome, TheChosenRecordIsTakenFromAmongOthers) {
  RunFolder folder;
  fWriteCompressed(folder.path("in.fa.gz"), ">chr1\nAAAA\n>chr2 second\nCCgg\nTT\n>chr3\nGGGG\n", "gzip");
  PrepRun run = fPrep({"genome", folder.path("in.fa.gz"), folder.path("g"), "--record", "chr2"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(folder.read("g"), "CCGGTT");
}

}  // namespace
