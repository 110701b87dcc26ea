// fMapReadsOnToSeq end to end: the longest stretch after a read's first three
// bases, kept from 26 bases on, in the orientation that matched.
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>
#include "support/run_folder.h"
#include "support/sequences.h"

namespace {

// Runs the procedure on coded reads; `kept` are the stretches it must keep, one a line.
void fExpectKept(const std::string& genome, const std::vector<std::string>& reads, const std::string& kept) {
  std::map<int32_t, int32_t> histogram;
  int32_t into = 0, sum = 0;
  for (size_t at = 0, end; (end = kept.find('\n', at)) != std::string::npos; at = end + 1)
    ++histogram[static_cast<int32_t>(end - at)], ++into, sum += static_cast<int32_t>(end - at);
  std::string rows;
  for (const auto& [stretch, count] : histogram) rows += "\n" + std::to_string(stretch) + "\t" + std::to_string(count);
  const int input = static_cast<int>(reads.size());
  RunFolder folder;
  folder.write("g.bin", fCodes(genome));
  folder.write("r.bin", fCodes(fLines(reads)));
  EXPECT_EQ(folder.run("fMapReadsOnToSeq", fScopeParams(20, 40)).console, "\nsaving the result\ndone\n");
  EXPECT_EQ(folder.results(),
            (Files{{"r_In.bin", fCodes(kept)},
                   {"r_In[20-40]g_Log.txt",
                    "program= fMapReadsOnToSeq\ngenome= <d>/g.bin\nreads= <d>/r_In.bin\nread size scope=[20,40]\n"
                    "input reads= " + std::to_string(input) + "\nout of genome= " + std::to_string(input - into) +
                        "\ninto genome= " + std::to_string(into) + "\nsum length=" + std::to_string(sum) +
                        "\nreadSz\tcases" + rows}}))
      << genome;
}

TEST(MapReadsOnToSeq, KeepsTheLongestStretchOfEachReadFrom26BasesOn) {
  std::string genome = fRandomLetters(300, 11);
  auto at = [&](int32_t p, size_t length) { return fAt(genome, p, length); };
  auto other = [&](int32_t p) { return std::string(1, genome[p - 1] == 'A' ? 'C' : 'A'); };
  const std::string lead = "TCA";  // never part of a stretch
  const std::string tied = at(101, 30);
  fPlace(genome, 201, fReverseComplement(lead + tied).substr(3));
  const std::pair<std::string, std::string> reads[] = {  // the read, the stretch kept
      {lead + at(11, 25) + other(36) + "GGGGG", ""},         // a stretch of 25 is not kept
      {lead + at(41, 26) + other(67) + "GGGGG", at(41, 26)},  // a stretch of 26 is kept
      {lead + tied, tied},                                     // equal stretches on both strands: the upper one
      {lead + at(41, 10) + "N" + at(52, 20), ""},              // a byte that is no base code inside the key
  };
  std::vector<std::string> lines;
  std::string kept;
  for (const auto& [read, stretch] : reads) {
    lines.push_back(read);
    if (!stretch.empty()) kept += stretch + "\n";
  }
  fExpectKept(genome, lines, kept);
}

// The longest stretch of a read on either strand by a scan of every genome
// position, going round the circle as often as the read needs: what the index
// and the tail copy must reproduce, reads longer than the scope included. The
// first round has no read at all.
TEST(MapReadsOnToSeq, StretchesAgreeWithAScanOfTheCircularGenome) {
  std::mt19937 random(41);
  for (int round = 0; round < 4; ++round) {
    const int32_t n = 20 + static_cast<int32_t>(random() % 60);
    const std::string genome = fRandomLetters(static_cast<size_t>(n), random(), 2);  // two letters: many repeats
    auto at = [&](int64_t p, int32_t length) { return fAt(genome, p, static_cast<size_t>(length)); };
    std::vector<std::string> lines;
    std::string kept;
    for (int read = 0; read < (round == 0 ? 0 : 40); ++read) {
      const int32_t length = 29 + static_cast<int32_t>(random() % 150);
      std::string letters = at(1 + random() % n, length);
      if (random() & 1) letters[random() % length] = "ACGT"[random() & 3];
      if (random() & 1) letters = fReverseComplement(letters);
      lines.push_back(letters);
      // How far from base 3 on the read follows the genome from some position whose 16 bases match.
      auto bestEnd = [&](const std::string& oriented) {
        int32_t best = 0;
        for (int32_t p = 1; p <= n; ++p) {
          if (at(p, 16) != oriented.substr(3, 16)) continue;
          int32_t e = 19;
          while (e < length && genome[(p + e - 4) % n] == oriented[e]) ++e;
          best = std::max(best, e);
        }
        return best;
      };
      const std::string lower = fReverseComplement(letters);
      const int32_t upperEnd = bestEnd(letters), lowerEnd = bestEnd(lower), stretch = std::max(upperEnd, lowerEnd) - 3;
      if (stretch >= 26) kept += (upperEnd >= lowerEnd ? letters : lower).substr(3, stretch) + "\n";
    }
    fExpectKept(genome, lines, kept);
  }
}

}  // namespace
