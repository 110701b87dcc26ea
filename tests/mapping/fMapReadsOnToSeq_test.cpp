// fMapReadsOnToSeq end to end: the longest stretch after a read's first three
// bases, kept from 26 bases on, in the orientation that matched.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "mapping/read_mapping_support.h"

namespace {

// A base other than `letter`.
char fOther(char letter) { return letter == 'A' ? 'C' : 'A'; }

std::string fLog(const RunFolder& folder, int input, int into, int sum, const std::string& rows) {
  return "program= fMapReadsOnToSeq\ngenome= " + folder.path("genome.bin") + "\nreads= " +
         folder.path("reads_In.bin") + "\nread size scope=[20,40]\ninput reads= " + std::to_string(input) +
         "\nout of genome= " + std::to_string(input - into) + "\ninto genome= " + std::to_string(into) +
         "\nsum length=" + std::to_string(sum) + "\nreadSz\tcases" + rows;
}

TEST(MapReadsOnToSeq, KeepsTheLongestStretchOfEachReadFrom26BasesOn) {
  const int32_t n = 300;
  std::string genome = fRandomLetters(n, 11);
  auto at = [&](int32_t p, size_t length) { return fAt(genome, p, length); };
  const std::string lead = "TCA";  // never part of a stretch
  const std::string tied = at(101, 30);
  fPlace(genome, 201, fReverseComplement(lead + tied).substr(3));

  struct Read {
    std::string read, kept, what;
  } reads[] = {
      {lead + at(11, 25) + fOther(genome[35]) + "GGGGG", "", "a stretch of 25 is not kept"},
      {lead + at(41, 26) + fOther(genome[66]) + "GGGGG", at(41, 26), "a stretch of 26 is kept"},
      {lead + tied, tied, "equal stretches on both strands: the upper one"},
      {fReverseComplement(lead + at(151, 30)), at(151, 30), "found as reverse complement: the lower codes"},
      {lead + at(231, 60), at(231, 60), "longer than the scope's largest size, still counted"},
      {lead + at(281, 65), at(281, 65), "round the genome's end, past the circular copy"},
      {lead + fRandomLetters(40, 12), "", "absent"},
      {lead + at(41, 10) + "N" + at(52, 20), "", "a byte that is no base code inside the key"},
  };
  std::vector<std::string> lines;
  std::string kept;
  for (const Read& read : reads) {
    lines.push_back(read.read);
    if (!read.kept.empty()) kept += read.kept + "\n";
  }

  RunFolder folder;
  folder.write("genome.bin", fCodes(genome));
  folder.write("reads.bin", fCodes(fLines(lines)));
  fSelectRun(folder, "fMapReadsOnToSeq", "genome.bin", "reads.bin", 20, 40);
  EXPECT_EQ(folder.run().console, "\nsaving the result\ndone\n");
  EXPECT_EQ(folder.read("reads_In.bin"), fCodes(kept));
  EXPECT_EQ(folder.read("reads_In[20-40]genome_Log.txt"),
            fLog(folder, 8, 5, 26 + 30 + 30 + 60 + 65, "\n26\t1\n30\t2\n60\t1\n65\t1"));
}

TEST(MapReadsOnToSeq, EmptyReadsFileGivesZeroCountsAndNoRows) {
  RunFolder folder;
  folder.write("genome.bin", fCodes(fRandomLetters(50, 13)));
  folder.write("reads.bin", "");
  fSelectRun(folder, "fMapReadsOnToSeq", "genome.bin", "reads.bin", 20, 40);
  EXPECT_EQ(folder.run().console, "\nsaving the result\ndone\n");
  EXPECT_EQ(folder.read("reads_In.bin"), "");
  EXPECT_EQ(folder.read("reads_In[20-40]genome_Log.txt"), fLog(folder, 0, 0, 0, ""));
}

TEST(MapReadsOnToSeq, KeptStretchFileThatCantBeCreatedStopsBeforeTheLog) {
  RunFolder folder;
  folder.write("genome.bin", fCodes(fRandomLetters(50, 13)));
  folder.write("reads.bin", "");
  std::filesystem::create_directory(folder.path("reads_In.bin"));
  fSelectRun(folder, "fMapReadsOnToSeq", "genome.bin", "reads.bin", 20, 40);
  EXPECT_EQ(folder.run().console, "\ni can't open " + folder.path("reads_In.bin") + "\ndone\n");
  EXPECT_FALSE(folder.exists("reads_In[20-40]genome_Log.txt"));
}

// The longest stretch of a read by a scan of every genome position, going
// round the circle as often as the read needs: what the index and the tail
// copy must reproduce.
TEST(MapReadsOnToSeq, StretchesAgreeWithAScanOfTheCircularGenome) {
  std::mt19937 random(41);
  for (int round = 0; round < 4; ++round) {
    const int32_t n = 20 + static_cast<int32_t>(random() % 60);
    std::string genome(n, 'A');
    for (char& letter : genome) letter = "AC"[random() & 1];  // two letters: many repeats
    auto at = [&](int64_t p, int32_t length) { return fAt(genome, p, static_cast<size_t>(length)); };
    std::vector<std::string> lines;
    std::string kept;
    std::map<int32_t, int32_t> histogram;
    int32_t into = 0, sum = 0;
    for (int read = 0; read < 40; ++read) {
      const int32_t length = 29 + static_cast<int32_t>(random() % 150);
      std::string letters = at(1 + random() % n, length);
      if (random() & 1) letters[random() % length] = "ACGT"[random() & 3];
      if (random() & 1) letters = fReverseComplement(letters);
      lines.push_back(letters);
      // e: how far from base 3 on the read follows the genome from some position whose 16 bases match.
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
      const int32_t upperEnd = bestEnd(letters), lowerEnd = bestEnd(lower);
      const std::string& oriented = upperEnd >= lowerEnd ? letters : lower;
      const int32_t stretch = std::max(upperEnd, lowerEnd) - 3;
      if (stretch < 26) continue;
      kept += oriented.substr(3, stretch) + "\n";
      ++histogram[stretch];
      ++into;
      sum += stretch;
    }
    std::string rows;
    for (const auto& [stretch, count] : histogram) rows += "\n" + std::to_string(stretch) + "\t" + std::to_string(count);

    RunFolder folder;
    folder.write("genome.bin", fCodes(genome));
    folder.write("reads.bin", fCodes(fLines(lines)));
    fSelectRun(folder, "fMapReadsOnToSeq", "genome.bin", "reads.bin", 20, 40);
    folder.run();
    ASSERT_EQ(folder.read("reads_In.bin"), fCodes(kept)) << genome;
    ASSERT_EQ(folder.read("reads_In[20-40]genome_Log.txt"), fLog(folder, 40, into, sum, rows)) << genome;
  }
}

}  // namespace
