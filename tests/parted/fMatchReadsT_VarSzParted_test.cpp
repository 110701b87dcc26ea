// Parted reads end to end: coded genome and reads, the log and the table.
#include <gtest/gtest.h>

#include <string>

#include "parted/circle.h"
#include "support/run_folder.h"

namespace {
using namespace circle;

struct PartedRun {
  RunResult result;
  std::string log, table;
};

PartedRun fRunParted(RunFolder& folder, const std::string& readLines, const std::string& minSize,
                     const std::string& maxSize) {
  folder.write("g.bin", fCodes(kGenome));
  folder.write("r.bin", readLines);
  folder.params("p.txt", {{"diRes", folder.dir()}, {"pthReads", folder.path("r.bin")},
                          {"pthGnm", folder.path("g.bin")}, {"rMinSz", minSize}, {"rMaxSz", maxSize}});
  folder.select(folder.path("p.txt"), "fMatchReadsT_VarSzParted");
  PartedRun run;
  run.result = folder.run();
  std::string base = "r[" + minSize + "-" + maxSize + "]g";
  run.log = folder.read(base + "_PartedLog.txt");
  run.table = folder.read(base + "_Parted.txt");
  return run;
}

std::string fLog(RunFolder& folder, const std::string& scope, int input, int processed, int upper, int lower) {
  return "program= Vantrels::fMatchReadsT_VarSzParted1\ngenome= " + folder.path("g.bin") +
         "\nreads= " + folder.path("r.bin") + "\nuser reads size scope=" + scope +
         "\ninput reads= " + std::to_string(input) + "\nprocessed= " + std::to_string(processed) +
         "\nreads on upper strand= " + std::to_string(upper) + "\nreads on lower strand= " +
         std::to_string(lower);
}

TEST(PartedReads, SegmentsOfRotatedReadsAreGroupedByPositionOnEachStrand) {
  struct Read {
    const char* what;
    std::string codes;
  } reads[] = {
      {"an ordinary whole match", fCodes(fStretch(10, 39))},
      {"16 bases: seed at 5, its last 4 right before it", fCodes(fRotated(1, 4, 0))},
      {"the 13th base happens to extend the match: tail of 3", fCodes(fRotated(3, 4, 0))},
      {"15 bases can't hold a seed and a tail of 4", fCodes(fStretch(20, 31) + fStretch(17, 19))},
      {"a segment wrapping over the genome's start", fCodes(fRotated(-3, 6, 6))},
      {"a seed wrapping over the genome's end", fCodes(fRotated(86, 5, 0))},
      {"the 16-base read again: a second hit at 1", fCodes(fRotated(1, 4, 0))},
      {"another split of a segment starting at 1", fCodes(fRotated(1, 5, 0))},
      {"reverse complement of a rotated read: a lower-strand hit", fCodes(fReverseComplement(fRotated(40, 8, 9)))},
      {"a rotated read longer than the scope", fCodes(fRotated(50, 20, 18))},
      {"a byte that is no base code among the first 12", fCodes(fStretch(5, 10)) + "N" + fCodes(fStretch(12, 20))},
      {"an empty line", ""},
  };
  std::string lines;
  for (const Read& r : reads) lines += r.codes + "\n";
  RunFolder folder;
  PartedRun run = fRunParted(folder, lines, "12", "40");
  EXPECT_EQ(run.result.exitCode, 0);
  EXPECT_EQ(run.log, fLog(folder, "[12,40]", 12, 10, 5, 1));
  EXPECT_EQ(run.table, "upper strand\t5"
                       "\n-3\n" + fSegment(-3, 6, 6) +
                       "\n1\n" + fSegment(1, 4, 0) + "\n" + fSegment(1, 4, 0) + "\n" + fSegment(1, 5, 0) +
                       "\n86\n" + fSegment(86, 5, 0) +
                       "\n\nlower strand\t1"
                       "\n40\n" + fSegment(40, 8, 9));
}

TEST(PartedReads, ConsoleCountsEveryLineAndNamesEachStage) {
  RunFolder folder;
  // A last line without a line feed is still a read.
  PartedRun run = fRunParted(folder, fCodes(fRotated(1, 4, 0)) + "\n\n" + fCodes(fRotated(1, 4, 0)), "16", "16");
  EXPECT_EQ(run.result.console,
            "\nseaching parted reads1\n2\n3\n\nsavig log-file\nsorting...\nsaving...\ndone\n");
  EXPECT_EQ(run.log, fLog(folder, "[16,16]", 3, 2, 2, 0));
  EXPECT_EQ(run.table, "upper strand\t2\n1\n" + fSegment(1, 4, 0) + "\n" + fSegment(1, 4, 0) +
                           "\n\nlower strand\t0");
}

TEST(PartedReads, NoHitLeavesOnlyTheStrandHeaders) {
  RunFolder folder;
  PartedRun run = fRunParted(folder, fCodes(fStretch(1, 30)) + "\n", "16", "40");
  EXPECT_EQ(run.log, fLog(folder, "[16,40]", 1, 1, 0, 0));
  EXPECT_EQ(run.table, "upper strand\t0\n\nlower strand\t0");
}

TEST(PartedReads, ReadingStopsAfterTheReadThatTakesTheUpperCountAbove9995) {
  std::string lines;
  for (int i = 0; i < 10003; ++i) lines += fCodes(fRotated(1, 4, 0)) + "\n";
  RunFolder folder;
  PartedRun run = fRunParted(folder, lines, "16", "16");
  EXPECT_EQ(run.log, fLog(folder, "[16,16]", 9996, 9996, 9996, 0));
  EXPECT_EQ(run.table.substr(0, 20), "upper strand\t9996\n1\n");
  EXPECT_EQ(run.table.size(), std::string("upper strand\t9996\n1").size() + 9996 * 17 +
                                  std::string("\n\nlower strand\t0").size());
}

TEST(PartedReads, MissingInputsWriteNothing) {
  RunFolder folder;
  folder.write("g.bin", fCodes(kGenome));
  folder.params("p.txt", {{"diRes", folder.dir()}, {"pthReads", folder.path("none.bin")},
                          {"pthGnm", folder.path("g.bin")}, {"rMinSz", "16"}, {"rMaxSz", "40"}});
  folder.select(folder.path("p.txt"), "fMatchReadsT_VarSzParted");
  RunResult result = folder.run();
  EXPECT_EQ(result.console, "\ni can't open\n" + folder.path("none.bin") + "\ndone\n");
  EXPECT_FALSE(folder.exists("none[16-40]g_PartedLog.txt"));
  EXPECT_FALSE(folder.exists("none[16-40]g_Parted.txt"));
}

}  // namespace
