// Circular RNA identification end to end: letter genome and reads, the result
// file with its counts and the hits grouped by position, the scratch files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "parted/circle.h"
#include "support/run_folder.h"

namespace {
using namespace circle;

void fSetUpCircular(RunFolder& folder, const std::string& genome, const std::string& reads,
                    const std::string& minSize = "8", const std::string& maxSize = "40") {
  folder.write("g.txt", genome);
  folder.write("r.txt", reads);
  folder.params("p.txt", {{"diRes", folder.dir()}, {"pthGnm", folder.path("g.txt")},
                          {"pthReads", folder.path("r.txt")}, {"rMinSz", minSize}, {"rMaxSz", maxSize}});
  folder.select(folder.path("p.txt"), "fIdentifyCircularRna");
}

RunResult fRunCircular(RunFolder& folder, const std::string& genome, const std::string& reads,
                       const std::string& minSize = "8", const std::string& maxSize = "40") {
  fSetUpCircular(folder, genome, reads, minSize, maxSize);
  return folder.run();
}

std::string fEcho(RunFolder& folder) {
  return "procedure  fIdentifyCircularRna\ngenome        " + folder.path("g.txt") + "\nreads         " +
         folder.path("r.txt") + "\nexecuting...";
}

std::string fHeader(RunFolder& folder, const std::string& scope, std::vector<int> counts) {
  auto n = [&](int i) { return std::to_string(counts[static_cast<size_t>(i)]); };
  return "program= Vantrels::fIdentifyCircularRna\ngenome= " + folder.path("g.txt") + "\nreads= " +
         folder.path("r.txt") + "\nreads size scope by user=" + scope + "\nReads::input=" + n(0) +
         "\twirhin scope size=" + n(1) + "\ndefective=" + n(2) + "\tin genome=" + n(3) + "\tanalized=" + n(4) +
         "\ncircular on (+) strand=" + n(5) + "; ncircular on (-) strand=" + n(6) +
         "; circulars in total=" + n(7) + ";\npossible cycled Rna";
}

const std::vector<std::string> kFilesAfterSuccess = {"_ParamsOfFunc.txt", "g.txt",           "p.txt",
                                                     "r.txt",             "r_RCircular.txt", "vantrels"};

TEST(CircularRna, ReadsAreSortedIntoKindsAndPermutedOnesGroupedByPosition) {
  // X + Y with Y (14 bases at 20) right before X (20 bases at 34).
  const std::string xy = fRotated(20, 14, 8);
  struct Read {
    const char* what;
    std::string line;
  } reads[] = {
      {"X + Y: found from both seeds at the start of Y", xy},
      {"a tail of 6, found only from the head seed", fRotated(54, 6, 8)},
      {"a head of 6, found only from the end seed", fStretch(30, 35) + fStretch(10, 29)},
      {"an ordinary whole match", fStretch(60, 89)},
      {"whole on the lower strand", fReverseComplement(fStretch(5, 34))},
      {"X + Y reverse-complemented, CR LF: lower-strand hits", fReverseComplement(xy) + "\r"},
      {"a letter that is no base", "ACGTNACGTACGTACGT"},
      {"14 bases can be a whole match", fStretch(1, 14)},
      {"10 bases: neither hit nor whole", fStretch(1, 10)},
      {"longer than the scope", fRotated(50, 20, 18)},
  };
  std::string lines;
  for (const Read& r : reads) lines += r.line + "\n";
  RunFolder folder;
  RunResult result = fRunCircular(folder, kGenome, lines);
  EXPECT_EQ(result.console, fEcho(folder) + "\nseaching permuted reads\nsorting...\nsaving...\ndone\n");
  EXPECT_EQ(folder.read("r_RCircular.txt"),
            fHeader(folder, "[8,40]", {10, 9, 1, 3, 5, 4, 2, 6}) +
                "\n+10\t" + fSegment(10, 8, 6) +
                "\n+20\t" + fSegment(20, 14, 8) + "\n+\t20\t" + fSegment(20, 2, 20) +
                "\n+54\t" + fSegment(54, 6, 8) +
                "\n-20\t" + fSegment(20, 14, 8) + "\n-\t20\t" + fSegment(20, 2, 20));
  EXPECT_EQ(folder.files(), kFilesAfterSuccess);
}

TEST(CircularRna, AWholeMatchDropsTheHitsFoundBeforeIt) {
  // The read X + Y lies whole at 1, and Y X further on: the chain of X's seed
  // meets the parted place first, then the whole match.
  const std::string x = fStretch(34, 53), y = fStretch(20, 33);
  const std::string genome = x + y + "CCCCCCCCCCCCCCCCCCCC" + y + x + "GGGGGGGGGGGGGGGGGGGG";
  RunFolder folder;
  fRunCircular(folder, genome, x + y + "\n");
  EXPECT_EQ(folder.read("r_RCircular.txt"), fHeader(folder, "[8,40]", {1, 1, 0, 1, 0, 0, 0, 0}));
}

TEST(CircularRna, ReadingStopsAfterTheReadThatTakesTheUpperCountAbove9995) {
  std::string lines;
  for (int i = 0; i < 5005; ++i) lines += fRotated(20, 14, 8) + "\n";
  RunFolder folder;
  fRunCircular(folder, kGenome, lines);
  std::string text = folder.read("r_RCircular.txt");
  std::string header = fHeader(folder, "[8,40]", {4998, 4998, 0, 0, 4998, 9996, 0, 9996});
  EXPECT_EQ(text.substr(0, header.size()), header);
  EXPECT_EQ(text.size(), header.size() + (std::string("\n+20\t").size() + 34) +
                             9995 * (std::string("\n+\t20\t").size() + 34));
}

TEST(CircularRna, ReadsLongerThan139KeepTheirPartsWhole) {
  const std::string genome = fFixedRandomGenome(300);
  // Tail 150 from the head seed; from the end seed, extension 138 and head 140.
  std::string read = genome.substr(150, 140) + genome.substr(0, 150);
  RunFolder folder;
  fRunCircular(folder, genome, read + "\n", "16", "300");
  std::string head = fLower(genome.substr(0, 150)) + genome.substr(150, 12) + fLower(genome.substr(162, 128));
  std::string end = fLower(genome.substr(0, 138)) + genome.substr(138, 12) + fLower(genome.substr(150, 140));
  EXPECT_EQ(folder.read("r_RCircular.txt"),
            fHeader(folder, "[16,300]", {1, 1, 0, 0, 1, 2, 0, 2}) + "\n+1\t" + head + "\n+\t1\t" + end);
}

TEST(CircularRna, EarlyEndsLeaveTheResultEmpty) {
  struct Case {
    const char* what;
    std::string genome;  // "": no genome file
    bool readsFile;
    bool fullScratch;     // a full disk under the upper scratch file
    std::string message;  // after the echo, followed by the path of `atFault`
    const char* atFault;
    bool scratchLeft;
  } cases[] = {
      {"a genome ending in a line feed", kGenome + "\n", true, false, "\ngenome: position = 98non{ACGT) symbol = \n",
       "", true},
      {"a missing reads file", kGenome, false, false, "\ni can't open\n", "r.txt", true},
      {"a missing genome, looked at before the scratch files are made", "", true, false, "\ni can't open ", "g.txt",
       false},
      {"hits that can't reach the scratch file", kGenome, true, true,
       "\nseaching permuted reads\nnot every hit reached the scratch file ", "CycledUp.tmp", true},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    fSetUpCircular(folder, c.genome, fRotated(20, 14, 8) + "\n");
    if (c.genome.empty()) std::remove(folder.path("g.txt").c_str());
    if (!c.readsFile) std::remove(folder.path("r.txt").c_str());
    if (c.fullScratch) {
      ASSERT_EQ(symlink("/dev/full", folder.path("CycledUp.tmp").c_str()), 0);
    }
    RunResult result = folder.run();
    std::string fault = *c.atFault ? folder.path(c.atFault) : "";
    EXPECT_EQ(result.console, fEcho(folder) + c.message + fault + "\ndone\n") << c.what;
    EXPECT_EQ(folder.read("r_RCircular.txt"), "") << c.what;
    EXPECT_EQ(folder.exists("CycledUp.tmp") && folder.exists("CycledLw.tmp"), c.scratchLeft) << c.what;
  }
}

TEST(CircularRna, AScopeUpToTheLargestSizeRunsThrough) {
  RunFolder folder;
  RunResult result = fRunCircular(folder, kGenome, fRotated(54, 6, 8) + "\n", "-5", "2147483647");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(folder.read("r_RCircular.txt"), fHeader(folder, "[-5,2147483647]", {1, 1, 0, 0, 1, 1, 0, 1}) +
                                                "\n+54\t" + fSegment(54, 6, 8));
}

TEST(CircularRna, UnconvertibleSizeStopsBeforeTheEcho) {
  RunFolder folder;
  RunResult result = fRunCircular(folder, kGenome, "", "", "40");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.console, "\ninvalid stoi argument\nrMinSz=");
}

}  // namespace
