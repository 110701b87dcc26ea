// fMatchReadsT_VarSzO end to end: weighted counts per genome position and strand.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "mapping/read_mapping_support.h"

namespace {

// The whole text of a strand table: every position, "0.00" where not listed.
std::string fTable(int32_t from, int32_t to, const std::map<int32_t, std::string>& weights) {
  std::string text;
  for (int32_t p = from; p <= to; ++p) {
    auto listed = weights.find(p);
    text += std::to_string(p) + "\t" + (listed == weights.end() ? "0.00" : listed->second) + "\n";
  }
  return text;
}

std::string fLog(const RunFolder& folder, int min, int max, int input, int outOfScope, int processed,
                 int outOfGenome, int into, int upper, int lower) {
  return "program= fMatchReadsT_VarSzO\ngenome= " + folder.path("genome.bin") + "\nreads= " +
         folder.path("reads.bin") + "\nuser size scope=[" + std::to_string(min) + "," + std::to_string(max) +
         "]\ninput reads= " + std::to_string(input) + "\nout of user size scope= " + std::to_string(outOfScope) +
         "\nprocessed= " + std::to_string(processed) + " \nout of genome= " + std::to_string(outOfGenome) +
         "\ninto genome= " + std::to_string(into) + "\nupper strand has= " + std::to_string(upper) +
         "\nlower strand has= " + std::to_string(lower);
}

TEST(MatchReadsVarSz, EachReadWeighsOneOverItsPlacesOnBothStrands) {
  const int32_t n = 200;
  std::string genome = fRandomLetters(n, 1);
  const std::string once = fRandomLetters(20, 2);
  const std::string thrice = fRandomLetters(20, 3);
  const std::string eightMer = "GATTACAG";
  const std::string palindrome = "ACGGTCATATGACCGT";  // its own reverse complement
  fPlace(genome, 11, once);
  fPlace(genome, 41, thrice);
  fPlace(genome, 61, thrice);
  fPlace(genome, 81, fReverseComplement(thrice));
  fPlace(genome, 101, eightMer);
  fPlace(genome, 121, palindrome);
  const std::string overTheEnd = genome.substr(190) + genome.substr(0, 10);

  struct Read {
    std::string letters;
    const char* what;
  } reads[] = {
      {once, "one place: 1.00"},
      {once, "the same read again: 2.00 at one entry"},
      {once + genome[30], "a longer read at the same start adds its own column"},
      {thrice, "two upper places and one lower: 0.33 each"},
      {eightMer, "an 8-base read through the 8-mer roots"},
      {palindrome, "a palindrome fits both strands at one place: 0.50 each"},
      {overTheEnd, "a read over the genome's end"},
      {"GATTACA", "7 bases in scope: processed, found nowhere"},
      {fRandomLetters(20, 4), "absent"},
      {once.substr(0, 10) + "N" + once.substr(11), "a byte that is no base code"},
      {fRandomLetters(25, 5), "above the scope"},
      {"ACGT", "below the scope"},
  };
  std::vector<std::string> lines;
  for (const Read& read : reads) lines.push_back(read.letters);

  RunFolder folder;
  folder.write("genome.bin", fCodes(genome));
  folder.write("reads.bin", fCodes(fLines(lines)));
  fSelectRun(folder, "fMatchReadsT_VarSzO", "genome.bin", "reads.bin", 5, 24);
  RunResult result = folder.run();
  EXPECT_EQ(result.console, "\nsaving the result\ndone\n");
  EXPECT_EQ(folder.read("reads[5-24]genome_Log.txt"), fLog(folder, 5, 24, 12, 2, 10, 3, 7, 7, 2));
  EXPECT_EQ(folder.read("reads[5-24]genome_Up1.txt"),
            fTable(1, n, {{11, "3.00"}, {41, "0.33"}, {61, "0.33"}, {101, "1.00"}, {121, "0.50"}, {191, "1.00"}}));
  EXPECT_EQ(folder.read("reads[5-24]genome_Lw1.txt"), fTable(1, n, {{81, "0.33"}, {121, "0.50"}}));
  EXPECT_FALSE(folder.exists("reads[5-24]genome_Up2.txt"));
}

TEST(MatchReadsVarSz, EveryPlaceOfARepeatedSeedIsComparedWhole) {
  // Sixteen A's everywhere: a 16-base read of A's fits at all 40 positions, a
  // 20-base read too, a read with one C nowhere; their lower forms (T's) nowhere.
  const int32_t n = 40;
  RunFolder folder;
  folder.write("genome.bin", fCodes(std::string(n, 'A')));
  folder.write("reads.bin", fCodes(fLines({std::string(16, 'A'), std::string(20, 'A'), std::string(19, 'A') + "C"})));
  fSelectRun(folder, "fMatchReadsT_VarSzO", "genome.bin", "reads.bin", 16, 20);
  folder.run();
  std::map<int32_t, std::string> everywhere;
  for (int32_t p = 1; p <= n; ++p) everywhere[p] = "0.05";  // 1/40 + 1/40
  EXPECT_EQ(folder.read("reads[16-20]genome_Up1.txt"), fTable(1, n, everywhere));
  EXPECT_EQ(folder.read("reads[16-20]genome_Lw1.txt"), fTable(1, n, {}));
  EXPECT_EQ(folder.read("reads[16-20]genome_Log.txt"), fLog(folder, 16, 20, 3, 0, 3, 1, 2, 2, 0));
}

TEST(MatchReadsVarSz, NoReadInScopeStillWritesEveryFile) {
  RunFolder folder;
  folder.write("genome.bin", fCodes(fRandomLetters(30, 6)));
  folder.write("reads.bin", fCodes("ACGTACGTAC\nACG"));
  fSelectRun(folder, "fMatchReadsT_VarSzO", "genome.bin", "reads.bin", 20, 30);
  EXPECT_EQ(folder.run().console, "\nsaving the result\ndone\n");
  EXPECT_EQ(folder.read("reads[20-30]genome_Log.txt"), fLog(folder, 20, 30, 2, 2, 0, 0, 0, 0, 0));
  EXPECT_EQ(folder.read("reads[20-30]genome_Up1.txt"), fTable(1, 30, {}));
  EXPECT_EQ(folder.read("reads[20-30]genome_Lw1.txt"), fTable(1, 30, {}));
}

TEST(MatchReadsVarSz, ATableFileThatCantBeCreatedIsReportedAndTheOthersAreStillWritten) {
  RunFolder folder;
  folder.write("genome.bin", fCodes(fRandomLetters(30, 6)));
  folder.write("reads.bin", fCodes("ACGT\n"));
  // A folder in the way of the upper-strand table.
  std::filesystem::create_directory(folder.path("reads[20-30]genome_Up1.txt"));
  fSelectRun(folder, "fMatchReadsT_VarSzO", "genome.bin", "reads.bin", 20, 30);
  EXPECT_EQ(folder.run().console,
            "\nsaving the result\ni can't open " + folder.path("reads[20-30]genome_Up1.txt") + "\ndone\n");
  EXPECT_EQ(folder.read("reads[20-30]genome_Log.txt"), fLog(folder, 20, 30, 1, 1, 0, 0, 0, 0, 0));
  EXPECT_EQ(folder.read("reads[20-30]genome_Lw1.txt"), fTable(1, 30, {}));
}

TEST(MatchReadsVarSz, TablesSplitAtAMillionPositions) {
  const int32_t n = 1000001;
  std::string genome = fRandomLetters(n, 7);
  RunFolder folder;
  folder.write("genome.bin", fCodes(genome));
  folder.write("reads.bin", fCodes(fLines({genome.substr(500000, 20), genome.substr(n - 20),
                                                 genome.substr(n - 5) + genome.substr(0, 15)})));
  fSelectRun(folder, "fMatchReadsT_VarSzO", "genome.bin", "reads.bin", 20, 20);
  folder.run();
  // Compared as one truth value: a 12 MB text in a failure message helps no one.
  EXPECT_TRUE(folder.read("reads[20-20]genome_Up1.txt") ==
              fTable(1, 1000000, {{500001, "1.00"}, {999982, "1.00"}, {999997, "1.00"}}));
  EXPECT_EQ(folder.read("reads[20-20]genome_Up2.txt"), "1000001\t0.00\n");
  EXPECT_EQ(folder.read("reads[20-20]genome_Lw2.txt"), "1000001\t0.00\n");
  EXPECT_FALSE(folder.exists("reads[20-20]genome_Up3.txt"));
}

TEST(MatchReadsVarSz, AScopeThatCantBeTabledIsRefusedBeforeAnyFile) {
  struct Case {
    int32_t minSize, maxSize;
    std::string console;
  } cases[] = {
      // 100 rows x 21,474,837 columns reach 2^31 entries.
      {1, 21474837,
       "\nfMatchReadsT_VarSzO: (genome length + 1) x (size scope width) reaches 2^31 table entries; "
       "narrow the read size scope\ndone\n"},
      {31, 30, "\nfMatchReadsT_VarSzO: rMinSz is greater than rMaxSz, so the read size scope holds no read length"
               "\ndone\n"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("genome.bin", fCodes(fRandomLetters(99, 8)));
    folder.write("reads.bin", fCodes("ACGT\n"));
    fSelectRun(folder, "fMatchReadsT_VarSzO", "genome.bin", "reads.bin", c.minSize, c.maxSize);
    EXPECT_EQ(folder.run().console, c.console);
    EXPECT_EQ(folder.files(),
              (std::vector<std::string>{"_ParamsOfFunc.txt", "genome.bin", "p.txt", "reads.bin", "vantrels"}));
  }
}

}  // namespace
