// fReadsOutOfSeq and fGetReadsThatOutOfSeq end to end: the reads of the scope
// that occur nowhere on either strand, in input order.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "mapping/read_mapping_support.h"

namespace {

struct Read {
  std::string line;  // as in the reads file, without its line feed
  bool written;
  const char* what;
};

TEST(ReadsOutOfSeq, WritesTheCodedReadsOfTheScopeFoundOnNeitherStrand) {
  const std::string genome = fRandomLetters(200, 21);
  std::string badInKey = fCodes(fAt(genome, 11, 20));
  badInKey[5] = 7;
  std::string badAtEnd = fCodes(fAt(genome, 11, 20));
  badAtEnd[19] = 9;
  std::string changed = fAt(genome, 11, 25);
  changed[19] = changed[19] == 'A' ? 'C' : 'A';
  const Read reads[] = {
      {fCodes(fAt(genome, 11, 20)), false, "on the upper strand"},
      {fCodes(fReverseComplement(fAt(genome, 51, 25))), false, "only as reverse complement"},
      {fCodes(fAt(genome, 191, 20)), false, "over the genome's end"},
      {fCodes(fAt(genome, 101, 16)), false, "16 bases: its key is enough"},
      {fCodes(fAt(genome, 121, 12)), true, "below 16 bases: never found"},
      {fCodes(fRandomLetters(20, 22)), true, "absent"},
      {fCodes(fRandomLetters(35, 23)), false, "above the scope: not tested"},
      {fCodes("ACGT"), false, "below the scope: not tested"},
      {badInKey, true, "a byte that is no base code among the first 16"},
      {badAtEnd, true, "a byte that is no base code among the last 16"},
      {fCodes(changed), true, "one base changed"},
  };
  std::vector<std::string> lines;
  std::string written;
  for (const Read& read : reads) {
    lines.push_back(read.line);
    if (read.written) written += read.line + "\n";
  }
  RunFolder folder;
  folder.write("genome.bin", fCodes(genome));
  folder.write("reads.bin", fLines(lines));
  fSelectRun(folder, "fReadsOutOfSeq", "genome.bin", "reads.bin", 10, 30);
  EXPECT_EQ(folder.run().console, "\nsaving the result\ndone\n");
  EXPECT_EQ(folder.read("reads_Out.bin"), written);
  EXPECT_EQ(folder.read("reads_Outgenome_Log.txt"),
            "program= Vantrels::fReadsOutOfSeq\ngenome= " + folder.path("genome.bin") +
                "\ninput reads= 11\nread size scope=[10,30]\nresult:\nreads nout of genome= 5\n"
                "OutOfSeq reads size by user =[10,30]");
}

std::string fLower(std::string letters) {
  for (char& letter : letters) letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  return letters;
}

TEST(GetReadsThatOutOfSeq, LetterReadsWithNCaseAndCarriageReturns) {
  const std::string genome = fRandomLetters(200, 31);
  const std::string absent30 = fRandomLetters(30, 32);
  const std::string absent20 = fRandomLetters(20, 33);
  const Read reads[] = {
      {fAt(genome, 11, 20) + "\r", false, "present, CR LF"},
      {fLower(fAt(genome, 51, 20)), false, "present, lower case"},
      {fReverseComplement(fAt(genome, 91, 20)), false, "present as reverse complement"},
      {fAt(genome, 11, 10) + "N" + fAt(genome, 22, 9), false, "an N in scope: defective"},
      {fAt(genome, 11, 30) + "N", false, "an N above the scope: not defective"},
      {absent30 + "\r", true, "31 characters with the CR, 30 without: in scope"},
      {fLower(absent20), true, "absent, lower case"},
      {fAt(genome, 191, 20), false, "over the genome's end"},
  };
  std::vector<std::string> lines;
  std::string written;
  for (const Read& read : reads) lines.push_back(read.line);
  written = fCodes(absent30 + "\n" + absent20 + "\n");

  RunFolder folder;
  folder.write("genome.txt", fLower(genome));
  folder.write("reads.txt", fLines(lines));
  fSelectRun(folder, "fGetReadsThatOutOfSeq", "genome.txt", "reads.txt", 16, 30);
  EXPECT_EQ(folder.run().console, "\nsaving the result\ndone\n");
  EXPECT_EQ(folder.read("reads_Outgenome.txt"), written);
  EXPECT_EQ(folder.read("reads_Outgenome_Log.txt"),
            "program= Vantrels::fGetReadsThatOutOfSeq\ngenome= " + folder.path("genome.txt") +
                "\ninput reads= 8\ndfective= 1\nread size scope (parameters by user)=[16,30]\nresult:\n"
                "reads out of genome= 2");
}

TEST(GetReadsThatOutOfSeq, GenomeEndingInALineFeedIsRefused) {
  RunFolder folder;
  const std::string genome = fRandomLetters(40, 34) + "\n";
  folder.write("genome.txt", genome);
  folder.write("reads.txt", fRandomLetters(20, 35) + "\n");
  fSelectRun(folder, "fGetReadsThatOutOfSeq", "genome.txt", "reads.txt", 16, 30);
  EXPECT_EQ(folder.run().console, "\ngenome: position = 42non{ACGT) symbol = \n\ndone\n");
  EXPECT_FALSE(folder.exists("reads_Outgenome.txt"));
  EXPECT_FALSE(folder.exists("reads_Outgenome_Log.txt"));
}

}  // namespace
