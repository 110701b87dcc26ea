// fMapReadsOneInSeq end to end: reads found nowhere, once or many times on the
// upper strand, the "Many.bin" copy, the log and the cluster table.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "mapping/read_mapping_support.h"

namespace {

// A 120-base genome of pseudo-random letters whose bases 61..80 are repeated
// at 96..115, so that a read there has two places.
std::string fTestGenome() {
  std::string genome;
  uint32_t state = 12345;
  for (int i = 0; i < 120; ++i) {
    state = state * 1103515245u + 12345u;
    genome += "ACGT"[(state >> 16) & 3];
  }
  genome.replace(95, 20, genome.substr(60, 20));
  return genome;
}

void fSetUp(const RunFolder& folder, const std::vector<std::string>& reads) {
  folder.write("g.bin", fCodes(fTestGenome()));
  std::string file;
  for (const std::string& read : reads) file += read + "\n";
  folder.write("r.bin", file);
  folder.params("p.txt", {{"diRes", folder.dir()}, {"pthReads", folder.path("r.bin")},
                          {"pthGnm", folder.path("g.bin")}, {"rMinSz", "16"}, {"rMaxSz", "20"}});
  folder.select(folder.path("p.txt"), "fMapReadsOneInSeq");
}

std::string fLog(const RunFolder& folder, int input, int out, int once, int many, int sumLength) {
  return "program= fMapReadsOneInSeq\ngenome= " + folder.path("g.bin") + "\nreads= " + folder.path("r.bin") +
         "\ninput reads= " + std::to_string(input) + "\nout of genome= " + std::to_string(out) +
         "\nLoc once= " + std::to_string(once) + "\nLoc many= " + std::to_string(many) +
         "\nLoc many sum length=" + std::to_string(sumLength);
}

TEST(MapReadsOneInSeq, SortsReadsByPlacesAndClustersTheOncePlaced) {
  const std::string genome = fTestGenome();
  const std::string twoPlaces = fCodes(fAt(genome, 61, 20));
  const std::string twoPlacesByKey = fCodes(fAt(genome, 62, 16));
  std::vector<std::string> reads;
  // More once-placed reads than the genome has positions: the table grows.
  for (int i = 0; i < 130; ++i) reads.push_back(fCodes(fAt(genome, 10, 20)));
  reads.push_back(fCodes(fAt(genome, 25, 20)));                      // overlaps the reads at 10
  reads.push_back(twoPlaces);                                        // 61 and 96: copied to Many.bin
  reads.push_back(fCodes(fReverseComplement(fAt(genome, 30, 20))));  // lower strand only: out
  reads.push_back(fCodes(fAt(genome, 45, 16)));                      // touches 25 + 20: a new cluster
  reads.push_back(fCodes(fAt(genome, 1, 10)));                       // shorter than 16: out
  reads.push_back(twoPlacesByKey);                                   // a 16-base read, two chain positions
  reads.push_back(std::string(20, 'A'));                             // letters, not codes: out
  // From 100 round the genome's end, past the tail copy; 65 shares its first 16 bases.
  reads.push_back(fCodes(fAt(genome, 100, 40)));
  RunFolder folder;
  fSetUp(folder, reads);

  RunResult result = folder.run();
  EXPECT_EQ(result.console, "\nsaving the result\ndone\n");
  EXPECT_EQ(folder.read("r[One]g_Log.txt"), fLog(folder, 138, 3, 133, 2, 36));
  EXPECT_EQ(folder.read("r[One]g_Clust.txt"),
            "\nclPos\tclEnd\tclLength\tgap"
            "\n10\t44\t35"
            "\n45\t60\t16\t1"
            "\n100\t139\t40\t40");
  EXPECT_EQ(folder.read("rMany.bin"), twoPlaces + "\n" + twoPlacesByKey + "\n");
  EXPECT_EQ(folder.files(), (std::vector<std::string>{"_ParamsOfFunc.txt", "g.bin", "p.txt", "r.bin", "rMany.bin",
                                                      "r[One]g_Clust.txt", "r[One]g_Log.txt", "vantrels"}));
}

TEST(MapReadsOneInSeq, NoOncePlacedReadLeavesOnlyTheClusterHeader) {
  const std::string genome = fTestGenome();
  RunFolder folder;
  fSetUp(folder, {fCodes(fAt(genome, 61, 20)), fCodes(fReverseComplement(fAt(genome, 30, 20)))});
  RunResult result = folder.run();
  EXPECT_EQ(result.console, "\nsaving the result\ndone\n");
  EXPECT_EQ(folder.read("r[One]g_Log.txt"), fLog(folder, 2, 1, 0, 1, 20));
  EXPECT_EQ(folder.read("r[One]g_Clust.txt"), "\nclPos\tclEnd\tclLength\tgap");
}

TEST(MapReadsOneInSeq, MissingReadsFileWritesNothing) {
  RunFolder folder;
  fSetUp(folder, {});
  folder.params("p.txt", {{"diRes", folder.dir()}, {"pthReads", folder.path("none.bin")},
                          {"pthGnm", folder.path("g.bin")}, {"rMinSz", "16"}, {"rMaxSz", "20"}});
  RunResult result = folder.run();
  EXPECT_EQ(result.console, "\ni can't open\n" + folder.path("none.bin") + "\ndone\n");
  EXPECT_EQ(folder.files(), (std::vector<std::string>{"_ParamsOfFunc.txt", "g.bin", "p.txt", "r.bin", "vantrels"}));
}

}  // namespace
