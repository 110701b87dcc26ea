// fMapReadsOneInSeq end to end: reads found nowhere, once or many times on the
// upper strand, the "Many.bin" copy, the log and the cluster table.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "support/run_folder.h"
#include "support/sequences.h"

namespace {

std::string fLog(int input, int out, int once, int many, int sumLength) {
  return "program= fMapReadsOneInSeq\ngenome= <d>/g.bin\nreads= <d>/r.bin\ninput reads= " + std::to_string(input) +
         "\nout of genome= " + std::to_string(out) + "\nLoc once= " + std::to_string(once) +
         "\nLoc many= " + std::to_string(many) + "\nLoc many sum length=" + std::to_string(sumLength);
}

TEST(MapReadsOneInSeq, SortsReadsByPlacesAndClustersTheOncePlaced) {
  // Bases 61..80 repeated at 96..115: a read there has two places.
  std::string genome = fRandomLetters(120, 61);
  fPlace(genome, 96, genome.substr(60, 20));
  const std::string twoPlaces = fCodes(fAt(genome, 61, 20));
  const std::string twoPlacesByKey = fCodes(fAt(genome, 62, 16));
  const std::string lowerOnly = fCodes(fReverseComplement(fAt(genome, 30, 20)));
  std::vector<std::string> reads;
  // More once-placed reads than the genome has positions: the table grows.
  for (int i = 0; i < 130; ++i) reads.push_back(fCodes(fAt(genome, 10, 20)));
  reads.push_back(fCodes(fAt(genome, 25, 20)));  // overlaps the reads at 10
  reads.push_back(twoPlaces);                    // 61 and 96: copied to Many.bin
  reads.push_back(lowerOnly);                    // lower strand only: out
  reads.push_back(fCodes(fAt(genome, 45, 16)));  // touches 25 + 20: a new cluster
  reads.push_back(fCodes(fAt(genome, 1, 10)));   // shorter than 16: out
  reads.push_back(twoPlacesByKey);               // a 16-base read, two chain positions
  reads.push_back(std::string(20, 'A'));         // letters, not codes: out
  // From 100 round the genome's end, past the tail copy; 65 shares its first 16 bases.
  reads.push_back(fCodes(fAt(genome, 100, 40)));
  const std::string header = "\nclPos\tclEnd\tclLength\tgap";
  struct Case {
    const char* what;
    std::vector<std::string> reads;
    std::string log, clusters, many;
  } cases[] = {
      {"reads of every kind", reads, fLog(138, 3, 133, 2, 36),
       header + "\n10\t44\t35\n45\t60\t16\t1\n100\t139\t40\t40", twoPlaces + "\n" + twoPlacesByKey + "\n"},
      {"no once-placed read leaves only the cluster header", {twoPlaces, lowerOnly}, fLog(2, 1, 0, 1, 20), header,
       twoPlaces + "\n"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("g.bin", fCodes(genome));
    folder.write("r.bin", fLines(c.reads));
    EXPECT_EQ(folder.run("fMapReadsOneInSeq", fScopeParams(16, 20)).console, "\nsaving the result\ndone\n");
    EXPECT_EQ(folder.results(), (Files{{"rMany.bin", c.many}, {"r[One]g_Clust.txt", c.clusters},
                                       {"r[One]g_Log.txt", c.log}}))
        << c.what;
  }
}

}  // namespace
