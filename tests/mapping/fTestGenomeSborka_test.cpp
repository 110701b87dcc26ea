// The assembly test: the repeat and counting passes on tiny genomes, and
// fTestGenomeSborka end to end with its log, its empty table file and the
// reads that contradict the genome's repeats.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>
#include "mapping/repeat_pass.h"
#include "support/run_folder.h"
#include "support/sequences.h"

namespace {

// Repeat values of a genome given as letters, slots 1..L.
std::vector<int32_t> fRepeatValues(const std::string& letters, int32_t smallListLimit) {
  const std::string codes = fCodes(letters);
  const int32_t L = static_cast<int32_t>(codes.size());
  std::vector<int32_t> table(L + 1, 0), link(L);
  std::vector<PendingList> stack(L + 4);
  fFindMaximalRepeats(reinterpret_cast<const unsigned char*>(codes.data()), L, table.data(), link.data(),
                      stack.data(), smallListLimit);
  return std::vector<int32_t>(table.begin() + 1, table.end());
}

// By definition: the longest common beginning of the circular text at x with
// that at any other offset, at most L; a base found once still counts 1.
std::vector<int32_t> fRepeatValuesByDefinition(const std::string& g) {
  const int L = static_cast<int>(g.size());
  std::vector<int32_t> values;
  for (int x = 0; x < L; ++x) {
    int best = 0;
    for (int y = 0; y < L; ++y) {
      if (y == x) continue;
      int k = 0;
      while (k < L && g[(x + k) % L] == g[(y + k) % L]) ++k;
      best = std::max(best, k);
    }
    values.push_back(std::max(best, 1));
  }
  return values;
}

// Lists refined through the genome-wide link array only (0), lists of three
// renumbered, and the usual limit.
const int32_t kLimits[] = {0, 3, kSmallListLimit};

TEST(AssemblyRepeatPass, AgreesWithTheDefinitionOnManyGenomes) {
  std::vector<std::string> genomes;
  for (uint32_t seed = 1; seed <= 300; ++seed) genomes.push_back(fRandomLetters(4 + seed % 60, seed, 1 + seed % 4));
  // Longer genomes with planted copies (one of them across the genome's end)
  // and point changes in some copies: long, nested and near-equal repeats.
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    std::string genome = fRandomLetters(1500 + 300 * seed, seed, 2 + seed % 3);
    const int L = static_cast<int>(genome.size());
    const std::string motif = fRandomLetters(200, seed + 100);
    for (int copy = 0; copy < 5; ++copy) {
      int at = (copy * 331 + static_cast<int>(seed) * 97) % L;
      for (int i = 0; i < 200; ++i) genome[(at + i) % L] = motif[i];
      if (copy % 2 == 1) genome[(at + 50 + copy) % L] = genome[(at + 50 + copy) % L] == 'A' ? 'C' : 'A';
    }
    for (int i = 0; i < 120; ++i) genome[(L - 60 + i) % L] = motif[i];
    genomes.push_back(genome);
  }
  for (const std::string& genome : genomes) {
    const std::vector<int32_t> expected = fRepeatValuesByDefinition(genome);
    for (int32_t limit : kLimits) ASSERT_EQ(fRepeatValues(genome, limit), expected) << genome << " " << limit;
  }
}

TEST(AssemblyCountingPass, CountsIntervalsNotWithinAnEarlierOne) {
  struct Case { std::vector<int32_t> values, after; int32_t counted, longest; } cases[] = {
      // The first interval (1, 3) is counted again by the circular close: 1 + 3 > 8 + 5 - 10.
      {{3, 2, 1, 4, 2, 1, 1, 5, 3, 2}, {0, 0, 0, 4, 0, 0, 0, 5, 0, 0}, 3, 5},
      // (10, 5) runs round to 15 - 10 = 5 and covers (1, 2): the first is not counted.
      {{2, 0, 0, 0, 0, 0, 0, 0, 0, 5}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 5}, 1, 5},
      // (10, 3) runs round to 13 - 10 = 3, the very end of (1, 2): within, not counted.
      {{2, 0, 0, 0, 0, 0, 0, 0, 0, 3}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 3}, 1, 3},
      {{0, 2, 0, 0}, {0, 0, 0, 0}, 1, 2}, {{0, 0, 0, 0}, {0, 0, 0, 0}, 0, 0},
      // Equal ends are within: only strictly longer reaches count.
      {{4, 3, 2, 1}, {0, 0, 0, 0}, 1, 4},
  };
  for (const Case& c : cases) {
    std::vector<int32_t> table(1, 0);
    table.insert(table.end(), c.values.begin(), c.values.end());
    int32_t longest = -1;
    EXPECT_EQ(fCountRepeatIntervals(table.data(), static_cast<int32_t>(c.values.size()), longest), c.counted);
    EXPECT_EQ(longest, c.longest);
    EXPECT_EQ(std::vector<int32_t>(table.begin() + 1, table.end()), c.after);
  }
}

TEST(TestGenomeSborka, ReadsClaimPositionsAndContradictRepeats) {
  const std::string stages = "\ncomputing maximal repetes\ntesting the reads for correct assembly";
  const std::string header = "code\tsqSize\treMax\trepNu/sqSize";
  // S U S V with S 30 bases at 1 and 61; U begins with A, V with C, so the
  // two copies agree for exactly 30 bases and only 1 and 61 keep a value.
  const std::string s = fRandomLetters(30, 7);
  const std::string genome = s + "A" + fRandomLetters(29, 8) + s + "C" + fRandomLetters(29, 9);
  const std::string inCopies = s.substr(5, 20);  // at 6 and 66, both cleared to 0
  std::string noFullMatch = s.substr(0, 17);
  noFullMatch[16] = noFullMatch[16] == 'A' ? 'C' : 'A';
  // `reads` letters; none: no reads file.
  struct Case { const char* what; std::string genome; std::vector<std::string> reads; std::string console, log; };
  const Case cases[] = {
      // Every position of twenty A's repeats all round (20) and every interval
      // counts; the counting pass clears only position 1, the first interval.
      {"reads longer than the repeats of a uniform genome", std::string(20, 'A'),
       {
           std::string(16, 'A'),        // at 20 .. 1, none shorter than the read: claims 1
           std::string(20, 'A'),        // 1 claimed by the read before: non-correct
           std::string(21, 'A'),        // round the circle past the tail copy; 21 > 20 at 20: non-correct
           "C" + std::string(15, 'A'),  // its 16 bases are nowhere
       },
       stages + "\ndone\n", header + "\ng\t20\t20\t 1.000\nrinput multyLocation reads=4\nnonCorrect assembly reads 2"},
      {"reads that claim positions and contradict repeats", genome,
       {
           inCopies,               // claims 66 and 6
           inCopies,               // 66 already claimed: non-correct
           genome.substr(60, 35),  // only at 61, whose repeat is 30 < 35: non-correct
           s,                      // 61 holds 30, not shorter: claims 1
           s.substr(0, 20),        // 61 holds 30; 1 claimed by a read of 30: non-correct
           noFullMatch,            // its first 16 bases at 61 and 1, no full match: never non-correct
           s.substr(0, 15),        // too short to match
       },
       stages + "\ndone\n", header + "\ng\t120\t30\t 0.300\nrinput multyLocation reads=7\nnonCorrect assembly reads 3"},
      {"a genome too short", "ACG", {"ACGACGACGACGACGACG"}, "\ngenome shorter than 4 bases: no repeat test\ndone\n",
       ""},
      {"a missing reads file: the log keeps the repeat lines only", "ACGTTGCAACGTTGCT", {},
       stages + "\ni can't open\n<d>/r.bin\ndone\n", header + "\ng\t16\t7\t 0.250"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("g.bin", fCodes(c.genome));
    if (!c.reads.empty()) folder.write("r.bin", fCodes(fLines(c.reads)));
    EXPECT_EQ(folder.run("fTestGenomeSborka", fScopeParams(16, 20)).console, c.console) << c.what;
    EXPECT_EQ(folder.results(), (Files{{"RepTest_g.txt", ""}, {"RepTest_g_Log.txt", c.log}})) << c.what;
  }
}

}  // namespace
