// Circular RNA identification end to end: letter genome and reads, the result
// file with its counts and the hits grouped by position, the scratch files.
#include <gtest/gtest.h>
#include <unistd.h>
#include <iterator>
#include <string>
#include <vector>
#include "parted/circle.h"
#include "support/run_folder.h"

namespace {
using namespace circle;

const char kEcho[] = "procedure  fIdentifyCircularRna\ngenome        <d>/g.txt\nreads         <d>/r.txt\nexecuting...";

RunResult fRun(const RunFolder& folder, const std::string& minSize = "8", const std::string& maxSize = "40") {
  return folder.run("fIdentifyCircularRna", {{"diRes", "<d>"}, {"pthGnm", "<d>/g.txt"}, {"pthReads", "<d>/r.txt"},
                                             {"rMinSz", minSize}, {"rMaxSz", maxSize}});
}

// The result's head: the scope and the counts input, within scope, defective,
// in genome, analysed, on the plus and minus strands and in total.
std::string fHeader(const std::string& scope, std::vector<int> counts) {
  auto n = [&](int i) { return std::to_string(counts[static_cast<size_t>(i)]); };
  return "program= Vantrels::fIdentifyCircularRna\ngenome= <d>/g.txt\nreads= <d>/r.txt\nreads size scope by user=" +
         scope + "\nReads::input=" + n(0) + "\twirhin scope size=" + n(1) + "\ndefective=" + n(2) + "\tin genome=" +
         n(3) + "\tanalized=" + n(4) + "\ncircular on (+) strand=" + n(5) + "; ncircular on (-) strand=" + n(6) +
         "; circulars in total=" + n(7) + ";\npossible cycled Rna";
}

TEST(CircularRna, ReadsAreSortedIntoKindsAndPermutedOnesGroupedByPosition) {
  // X + Y with Y (14 bases at 20) right before X (20 bases at 34).
  const std::string xy = fRotated(20, 14, 8);
  const std::string reads[] = {
      xy,                                     // found from both seeds at the start of Y
      fRotated(54, 6, 8),                     // a tail of 6, found only from the head seed
      fStretch(30, 35) + fStretch(10, 29),    // a head of 6, found only from the end seed
      fStretch(60, 89),                       // an ordinary whole match
      fReverseComplement(fStretch(5, 34)),    // whole on the lower strand
      fReverseComplement(xy) + "\r",          // X + Y reverse-complemented, CR LF: lower-strand hits
      "ACGTNACGTACGTACGT",                    // a letter that is no base
      fStretch(1, 14),                        // 14 bases can be a whole match
      fStretch(1, 10),                        // 10 bases: neither hit nor whole
      fRotated(50, 20, 18),                   // longer than the scope
  };
  RunFolder folder;
  folder.write("g.txt", kGenome);
  folder.write("r.txt", fLines(std::vector<std::string>(std::begin(reads), std::end(reads))));
  EXPECT_EQ(fRun(folder).console, kEcho + std::string("\nseaching permuted reads\nsorting...\nsaving...\ndone\n"));
  EXPECT_EQ(folder.results(), (Files{{"r_RCircular.txt", fHeader("[8,40]", {10, 9, 1, 3, 5, 4, 2, 6}) + "\n+10\t" +
                                      fSegment(10, 8, 6) + "\n+20\t" + fSegment(20, 14, 8) + "\n+\t20\t" +
                                      fSegment(20, 2, 20) + "\n+54\t" + fSegment(54, 6, 8) + "\n-20\t" +
                                      fSegment(20, 14, 8) + "\n-\t20\t" + fSegment(20, 2, 20)}}));
}

TEST(CircularRna, ResultsOfSingleReads) {
  // X + Y lies whole at 1 and Y X further on: the chain of X's seed meets the
  // parted place first, then the whole match, which drops the hit.
  const std::string x = fStretch(34, 53), y = fStretch(20, 33);
  // Tail 150 from the head seed; from the end seed, extension 138 and head 140
  // (in a genome where no base beside a part's border happens to extend it).
  const std::string random = fRandomLetters(300, 6);
  const std::string head = fLower(random.substr(0, 150)) + random.substr(150, 12) + fLower(random.substr(162, 128));
  const std::string end = fLower(random.substr(0, 138)) + random.substr(138, 12) + fLower(random.substr(150, 140));
  struct Case { const char* what; std::string genome, read, minSize, maxSize, result; } cases[] = {
      {"a whole match drops the hits found before it", x + y + std::string(20, 'C') + y + x + std::string(20, 'G'),
       x + y, "8", "40", fHeader("[8,40]", {1, 1, 0, 1, 0, 0, 0, 0})},
      {"reads longer than 139 keep their parts whole", random, random.substr(150, 140) + random.substr(0, 150), "16",
       "300", fHeader("[16,300]", {1, 1, 0, 0, 1, 2, 0, 2}) + "\n+1\t" + head + "\n+\t1\t" + end},
      {"a scope up to the largest size runs through", kGenome, fRotated(54, 6, 8), "-5", "2147483647",
       fHeader("[-5,2147483647]", {1, 1, 0, 0, 1, 1, 0, 1}) + "\n+54\t" + fSegment(54, 6, 8)},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("g.txt", c.genome);
    folder.write("r.txt", c.read + "\n");
    EXPECT_EQ(fRun(folder, c.minSize, c.maxSize).exitCode, 0) << c.what;
    EXPECT_EQ(folder.results(), (Files{{"r_RCircular.txt", c.result}})) << c.what;
  }
}

TEST(CircularRna, EarlyEndsLeaveTheResultEmpty) {
  // `genome` "": no genome file; `fullScratch`: a full disk under the upper scratch file.
  struct Case { std::string genome; bool readsFile, fullScratch; std::string message; bool scratchLeft; } cases[] = {
      {kGenome + "\n", true, false, "\ngenome: position = 98non{ACGT) symbol = \n", true},
      {kGenome, false, false, "\ni can't open\n<d>/r.txt", true},
      {"", true, false, "\ni can't open <d>/g.txt", false},  // looked at before the scratch files are made
      {kGenome, true, true, "\nseaching permuted reads\nnot every hit reached the scratch file <d>/CycledUp.tmp", true},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    if (!c.genome.empty()) folder.write("g.txt", c.genome);
    if (c.readsFile) folder.write("r.txt", fRotated(20, 14, 8) + "\n");
    ASSERT_TRUE(!c.fullScratch || symlink("/dev/full", folder.path("CycledUp.tmp").c_str()) == 0);
    EXPECT_EQ(fRun(folder).console, kEcho + c.message + "\ndone\n");
    EXPECT_EQ(folder.read("r_RCircular.txt"), "") << c.message;
    EXPECT_EQ(folder.exists("CycledUp.tmp") && folder.exists("CycledLw.tmp"), c.scratchLeft) << c.message;
  }
}

}  // namespace
