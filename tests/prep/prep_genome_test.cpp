// vantrels-prep genome: FASTA in every form to the raw genome vantrels reads.
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>
#include "prep/prep_support.h"
#include "support/run_folder.h"
#include "support/sequences.h"

namespace {

TEST(PrepGenome, EveryFastaFormGivesBackTheGenomeByteForByte) {
  const std::string genome = fRandomLetters(1000, 12345);
  const std::pair<std::string, const char*> cases[] = {
      {fFastaRecord("lambda phage", genome, 70), "plain"}, {fFastaRecord("lambda", genome, 70, "\r\n"), "plain"},
      {fFastaRecord("lambda", fLower(genome), 60), "plain"}, {">lambda\n" + genome, "plain"},  // no final line feed
      {fFastaRecord("lambda", genome, 70), "gzip"}, {fFastaRecord("lambda", genome, 80), "bgzf"},
  };
  for (const auto& [fasta, form] : cases) {
    RunFolder folder;
    fWriteCompressed(folder.path("in.fa"), fasta, form);
    PrepRun letters = fPrep({"genome", folder.path("in.fa"), folder.path("g.txt")});
    EXPECT_EQ(letters.exitCode, 0) << fasta.substr(0, 20) << form << letters.err;
    EXPECT_EQ(folder.read("g.txt"), genome) << fasta.substr(0, 20) << form;
    EXPECT_EQ(letters.err, "vantrels-prep genome: record lambda: 1000 bases written to " + folder.path("g.txt") +
                               " as letters\nvantrels-prep genome: letters other than A, C, G, T: 0\n");
    EXPECT_EQ(fPrep({"genome", "--coded", folder.path("in.fa"), folder.path("g.bin")}).exitCode, 0);
    EXPECT_EQ(folder.read("g.bin"), fCodes(genome)) << fasta.substr(0, 20) << form;
  }
}

TEST(PrepGenome, LettersOtherThanAcgtFollowTheChosenPolicyAndTheChosenRecordIsTaken) {
  // Positions 3, 6, 7 and 11 hold N, r, n and Y; the carriage return is no position.
  const std::string fasta = ">chr\nACNGT\nrnAC\r\nGY\n", records = ">chr1\nAAAA\n>chr2 second\nCCgg\nTT\n>chr3\nGGGG\n";
  struct Case { std::string fasta; std::vector<std::string> options; std::string written, report; } cases[] = {
      {fasta, {"--non-acgt", "skip"}, "ACGTACG", "4, skipped"},
      {fasta, {"--non-acgt", "A"}, "ACAGTAAACGA", "4, replaced by A"},
      {fasta, {"--non-acgt=t"}, "ACTGTTTACGT", "4, replaced by T"},
      {fasta, {"--non-acgt", "C", "--coded"}, fCodes("ACCGTCCACGC"), "4, replaced by C"},
      {fasta, {"--non-acgt", "G"}, "ACGGTGGACGG", "4, replaced by G"},
      {records, {"--record", "chr2"}, "CCGGTT", "0"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    fWriteCompressed(folder.path("in.fa"), c.fasta, "gzip");
    std::vector<std::string> args = {"genome", folder.path("in.fa"), folder.path("g")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    PrepRun run = fPrep(args);
    EXPECT_EQ(run.exitCode, 0) << c.report;
    EXPECT_EQ(folder.read("g"), c.written) << c.report;
    EXPECT_NE(run.err.find("letters other than A, C, G, T: " + c.report + "\n"), std::string::npos) << run.err;
  }
}

TEST(PrepGenome, RefusalsSayWhyAndLeaveNoOutput) {
  const std::string notWritten = "vantrels-prep genome: {OUT} not written\n";
  const std::string noRecord =
      "vantrels-prep genome: {IN} holds no FASTA record (a record starts with a line '>NAME')\n" + notWritten;
  // `message`: {IN} and {OUT} stand for the paths.
  struct Case { std::string input; std::vector<std::string> options; int exitCode; std::string message; } cases[] = {
      {">chr1 first\nACGT\nAC\n>chr2\nGG\n>plasmid\nT\n", {}, 1,
       "vantrels-prep genome: {IN} holds 3 records; vantrels holds one genome: choose one with --record NAME\n"
       "  chr1\t6 letters\n  chr2\t2 letters\n  plasmid\t1 letters\n" + notWritten},
      {">chr1\nACGT\n>chr2\nGG\n", {"--record", "chr3"}, 1,
       "vantrels-prep genome: {IN} holds no record named chr3; its records are:\n  chr1\t4 letters\n"
       "  chr2\t2 letters\n" + notWritten},
      {">chr1\nACGT\n>chr1\nGG\n", {"--record", "chr1"}, 1,
       "vantrels-prep genome: {IN} holds more than one record named chr1\n" + notWritten},
      {">chr\nACGTNNACGTRACGTAAAAAAAAAAACCNYN\n", {}, 1,
       "vantrels-prep genome: record chr has 6 letters other than A, C, G, T; the first at 5, 6, 11, 29, 30 "
       "(counting from 1).\n  Choose --non-acgt skip to remove them, or --non-acgt A (C, G, T) to replace them\n" +
           notWritten},
      {"", {}, 1, noRecord},
      {"ACGTACGT", {}, 1, noRecord},  // raw letters without a header
      {">chr\n", {}, 1, "vantrels-prep genome: record chr holds no letters\n" + notWritten},
      {">chr\nNNN\n", {"--non-acgt", "skip"}, 1,
       "vantrels-prep genome: record chr: no letters are left once the other letters are skipped\n" + notWritten},
      {">chr\nACGT\n", {"--non-acgt", "N"}, 2,
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
    EXPECT_EQ(run.exitCode, c.exitCode) << c.message;
    EXPECT_EQ(run.err, fFill(c.message, folder.path("in.fa"), folder.path("g.txt")));
    EXPECT_EQ(folder.files(), std::vector<std::string>({"in.fa", "vantrels"})) << c.message;
  }
}

}  // namespace
