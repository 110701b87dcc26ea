// fMatchReadsT_VarSzO end to end: weighted counts per genome position and strand.
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>
#include "support/run_folder.h"
#include "support/sequences.h"

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

// input, out of scope, processed, out of genome, into genome, upper, lower.
std::string fLog(int min, int max, const std::vector<int>& n) {
  return "program= fMatchReadsT_VarSzO\ngenome= <d>/g.bin\nreads= <d>/r.bin\nuser size scope=[" +
         std::to_string(min) + "," + std::to_string(max) + "]\ninput reads= " + std::to_string(n[0]) +
         "\nout of user size scope= " + std::to_string(n[1]) + "\nprocessed= " + std::to_string(n[2]) +
         " \nout of genome= " + std::to_string(n[3]) + "\ninto genome= " + std::to_string(n[4]) +
         "\nupper strand has= " + std::to_string(n[5]) + "\nlower strand has= " + std::to_string(n[6]);
}

TEST(MatchReadsVarSz, EachReadWeighsOneOverItsPlacesOnBothStrands) {
  const int32_t n = 200;
  std::string genome = fRandomLetters(n, 1);
  const std::string once = fRandomLetters(20, 2), thrice = fRandomLetters(20, 3);
  const std::string palindrome = "ACGGTCATATGACCGT";  // its own reverse complement
  fPlace(genome, 11, once);
  fPlace(genome, 41, thrice);
  fPlace(genome, 61, thrice);
  fPlace(genome, 81, fReverseComplement(thrice));
  fPlace(genome, 101, "GATTACAG");
  fPlace(genome, 121, palindrome);
  std::map<int32_t, std::string> everywhere;
  for (int32_t p = 1; p <= 40; ++p) everywhere[p] = "0.05";  // 1/40 + 1/40
  // `counts` none: refused before any file.
  struct Case {
    const char* what;
    std::string genome;
    std::vector<std::string> reads;
    int min, max;
    std::vector<int> counts;
    std::map<int32_t, std::string> upper, lower;
    std::string console = "\nsaving the result\ndone\n";
  } cases[] = {
      {"reads of every kind", genome, {
           once,                                        // one place: 1.00
           once,                                        // the same read again: 2.00 at one entry
           once + genome[30],                           // a longer read at the same start: its own column
           thrice,                                      // two upper places and one lower: 0.33 each
           "GATTACAG",                                  // 8 bases, through the 8-mer roots
           palindrome,                                  // both strands at one place: 0.50 each
           genome.substr(190) + genome.substr(0, 10),   // over the genome's end
           "GATTACA",                                   // 7 bases in scope: processed, found nowhere
           fRandomLetters(20, 4),                       // absent
           once.substr(0, 10) + "N" + once.substr(11),  // a byte that is no base code
           fRandomLetters(25, 5),                       // above the scope
           "ACGT"},                                     // below the scope
       5, 24, {12, 2, 10, 3, 7, 7, 2},
       {{11, "3.00"}, {41, "0.33"}, {61, "0.33"}, {101, "1.00"}, {121, "0.50"}, {191, "1.00"}},
       {{81, "0.33"}, {121, "0.50"}}},
      // Every place of a seed repeated all round is compared whole: 16 and 20
      // A's fit at all 40 positions, a read with one C nowhere, T's nowhere.
      {"a repeated seed", std::string(40, 'A'), {std::string(16, 'A'), std::string(20, 'A'), std::string(19, 'A') + "C"},
       16, 20, {3, 0, 3, 1, 2, 2, 0}, everywhere, {}},
      {"no read in scope still writes every file", genome.substr(0, 30), {"ACGTACGTAC", "ACG"}, 20, 30,
       {2, 2, 0, 0, 0, 0, 0}, {}, {}},
      // 100 rows x 21,474,837 columns reach 2^31 entries.
      {"a scope that can't be tabled", genome.substr(0, 99), {"ACGT"}, 1, 21474837, {}, {}, {},
       "\nfMatchReadsT_VarSzO: (genome length + 1) x (size scope width) reaches 2^31 table entries; "
       "narrow the read size scope\ndone\n"},
      {"a scope without a read length", genome.substr(0, 99), {"ACGT"}, 31, 30, {}, {}, {},
       "\nfMatchReadsT_VarSzO: rMinSz is greater than rMaxSz, so the read size scope holds no read length\ndone\n"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("g.bin", fCodes(c.genome));
    folder.write("r.bin", fCodes(fLines(c.reads)));
    EXPECT_EQ(folder.run("fMatchReadsT_VarSzO", fScopeParams(c.min, c.max)).console, c.console) << c.what;
    const std::string stem = "r[" + std::to_string(c.min) + "-" + std::to_string(c.max) + "]g_";
    const int32_t last = static_cast<int32_t>(c.genome.size());
    Files expected;
    if (!c.counts.empty())
      expected = {{stem + "Log.txt", fLog(c.min, c.max, c.counts)}, {stem + "Lw1.txt", fTable(1, last, c.lower)},
                  {stem + "Up1.txt", fTable(1, last, c.upper)}};
    EXPECT_EQ(folder.results(), expected) << c.what;
  }
}

TEST(MatchReadsVarSz, TablesSplitAtAMillionPositions) {
  const int32_t n = 1000001;
  std::string genome = fRandomLetters(n, 7);
  RunFolder folder;
  folder.write("g.bin", fCodes(genome));
  folder.write("r.bin", fCodes(fLines({genome.substr(500000, 20), genome.substr(n - 20),
                                       genome.substr(n - 5) + genome.substr(0, 15)})));
  folder.run("fMatchReadsT_VarSzO", fScopeParams(20, 20));
  // Compared as one truth value: a 12 MB text in a failure message helps no one.
  EXPECT_TRUE(folder.read("r[20-20]g_Up1.txt") ==
              fTable(1, 1000000, {{500001, "1.00"}, {999982, "1.00"}, {999997, "1.00"}}));
  EXPECT_EQ(folder.read("r[20-20]g_Up2.txt"), "1000001\t0.00\n");
  EXPECT_EQ(folder.read("r[20-20]g_Lw2.txt"), "1000001\t0.00\n");
  EXPECT_FALSE(folder.exists("r[20-20]g_Up3.txt"));
}

}  // namespace
