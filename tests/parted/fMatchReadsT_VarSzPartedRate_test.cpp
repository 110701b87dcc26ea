// Rating of parted-read positions across a list of read files, end to end.
#include <gtest/gtest.h>

#include <string>

#include "parted/circle.h"
#include "support/run_folder.h"

namespace {
using namespace circle;

void fSetUpRating(RunFolder& folder, const std::string& list) {
  folder.write("g.bin", fCodes(kGenome));
  folder.write("list.txt", list);
  folder.params("p.txt", {{"diRes", folder.dir()}, {"diReads", folder.dir()}, {"pthList", folder.path("list.txt")},
                          {"pthGnm", folder.path("g.bin")}, {"rMinSz", "16"}, {"rMaxSz", "40"}});
  folder.select(folder.path("p.txt"), "fMatchReadsT_VarSzPartedRate");
}

std::string fLogHeader(RunFolder& folder) {
  return "program= fMatchReadsT_VarSzParted1Rate\ndir of reads= " + folder.dir() + "/\ngenome= " +
         folder.path("g.bin") + "\n\npos\trating";
}

TEST(PartedRating, EachFileRaisesAPositionAtMostOnce) {
  const std::string atOne = fCodes(fRotated(1, 4, 0)) + "\n";
  RunFolder folder;
  // Twice in one file, plus a segment wrapping over the start (rated at its
  // place before the end), an ordinary read and a tail of 3.
  folder.write("a.bin", atOne + atOne + fCodes(fRotated(-3, 6, 6)) + "\n" + fCodes(fStretch(30, 59)) + "\n" +
                            fCodes(fRotated(3, 4, 0)) + "\n");
  // The read and its reverse complement count once; another segment at 40.
  folder.write("b.bin", atOne + fCodes(fReverseComplement(fRotated(1, 4, 0))) + "\n" +
                            fCodes(fRotated(40, 8, 9)) + "\n");
  // The reverse complement alone rates the same position; no line feed at the end.
  folder.write("c.bin", fCodes(fReverseComplement(fRotated(1, 4, 0))));
  fSetUpRating(folder, "a.bin\r\nb.bin\nc.bin");
  RunResult result = folder.run();
  EXPECT_EQ(result.console,
            "\n1\nseaching parted reads\n2\nseaching parted reads\n3\nseaching parted reads\ndone\n");
  EXPECT_EQ(folder.read("_RatingLog.txt"), fLogHeader(folder) + "\n1\t3\n40\t1\n93\t1");
}

TEST(PartedRating, NoHitLeavesOnlyTheHeader) {
  RunFolder folder;
  folder.write("a.bin", fCodes(fStretch(30, 59)) + "\n");
  fSetUpRating(folder, "a.bin\n");
  folder.run();
  EXPECT_EQ(folder.read("_RatingLog.txt"), fLogHeader(folder));
}

TEST(PartedRating, AMissingListedFileEndsTheRunWithoutLog) {
  RunFolder folder;
  folder.write("a.bin", fCodes(fRotated(1, 4, 0)) + "\n");
  fSetUpRating(folder, "a.bin\nnone.bin\na.bin\n");
  RunResult result = folder.run();
  EXPECT_EQ(result.console, "\n1\nseaching parted reads\n2\ni can't open\n" + folder.path("none.bin") + "\ndone\n");
  EXPECT_FALSE(folder.exists("_RatingLog.txt"));
}

}  // namespace
