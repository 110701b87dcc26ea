// Parted reads end to end: coded genome and reads, the log and the table; the
// rating of parted-read positions across a list of read files.
#include <gtest/gtest.h>
#include <string>
#include "parted/circle.h"
#include "support/run_folder.h"

namespace {
using namespace circle;

std::string fLog(const std::string& scope, int input, int processed, int upper, int lower) {
  return "program= Vantrels::fMatchReadsT_VarSzParted1\ngenome= <d>/g.bin\nreads= <d>/r.bin\nuser reads size scope=" +
         scope + "\ninput reads= " + std::to_string(input) + "\nprocessed= " + std::to_string(processed) +
         "\nreads on upper strand= " + std::to_string(upper) + "\nreads on lower strand= " + std::to_string(lower);
}

TEST(PartedReads, SegmentsOfRotatedReadsAreGroupedByPositionOnEachStrand) {
  const std::string lines = fCodes(fLines({
      fStretch(10, 39),                           // an ordinary whole match
      fRotated(1, 4, 0),                          // 16 bases: seed at 5, its last 4 right before it
      fRotated(3, 4, 0),                          // the 13th base extends the match: tail of 3
      fStretch(20, 31) + fStretch(17, 19),        // 15 bases can't hold a seed and a tail of 4
      fRotated(-3, 6, 6),                         // a segment wrapping over the genome's start
      fRotated(86, 5, 0),                         // a seed wrapping over the genome's end
      fRotated(1, 4, 0),                          // the 16-base read again: a second hit at 1
      fRotated(1, 5, 0),                          // another split of a segment starting at 1
      fReverseComplement(fRotated(40, 8, 9)),     // reverse complement: a lower-strand hit
      fRotated(50, 20, 18),                       // a rotated read longer than the scope
      fStretch(5, 10) + "N" + fStretch(12, 20),   // a byte that is no base code among the first 12
      "",                                         // an empty line
  }));
  const std::string hitAtOne = fSegment(1, 4, 0);
  struct Case { const char* what; std::string reads; int min, max; std::string console, log, table; } cases[] = {
      {"reads of every kind", lines, 12, 40, "", fLog("[12,40]", 12, 10, 5, 1),
       "upper strand\t5\n-3\n" + fSegment(-3, 6, 6) + "\n1\n" + hitAtOne + "\n" + hitAtOne + "\n" +
           fSegment(1, 5, 0) + "\n86\n" + fSegment(86, 5, 0) + "\n\nlower strand\t1\n40\n" + fSegment(40, 8, 9)},
      // The console counts every line; a last line without a line feed is still a read.
      {"the console's stages", fCodes(fRotated(1, 4, 0)) + "\n\n" + fCodes(fRotated(1, 4, 0)), 16, 16,
       "\nseaching parted reads1\n2\n3\n\nsavig log-file\nsorting...\nsaving...\ndone\n", fLog("[16,16]", 3, 2, 2, 0),
       "upper strand\t2\n1\n" + hitAtOne + "\n" + hitAtOne + "\n\nlower strand\t0"},
      {"no hit leaves only the strand headers", fCodes(fStretch(1, 30)) + "\n", 16, 40, "",
       fLog("[16,40]", 1, 1, 0, 0), "upper strand\t0\n\nlower strand\t0"},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("g.bin", fCodes(kGenome));
    folder.write("r.bin", c.reads);
    RunResult result = folder.run("fMatchReadsT_VarSzParted", fScopeParams(c.min, c.max));
    EXPECT_EQ(result.exitCode, 0);
    if (!c.console.empty()) { EXPECT_EQ(result.console, c.console); }
    const std::string stem = "r[" + std::to_string(c.min) + "-" + std::to_string(c.max) + "]g_Parted";
    EXPECT_EQ(folder.results(), (Files{{stem + ".txt", c.table}, {stem + "Log.txt", c.log}})) << c.what;
  }
}

TEST(PartedRating, EachFileRaisesAPositionAtMostOnce) {
  const std::string atOne = fCodes(fRotated(1, 4, 0)) + "\n";
  const std::string header = "program= fMatchReadsT_VarSzParted1Rate\ndir of reads= <d>/\ngenome= <d>/g.bin\n\npos\trating";
  struct Case { const char* what; Files readFiles; std::string list, console, log; } cases[] = {
      {"three files",
       {// Twice in one file, plus a segment wrapping over the start (rated at
        // its place before the end), an ordinary read and a tail of 3.
        {"a.bin", atOne + atOne + fCodes(fRotated(-3, 6, 6)) + "\n" + fCodes(fStretch(30, 59)) + "\n" +
                      fCodes(fRotated(3, 4, 0)) + "\n"},
        // The read and its reverse complement count once; another segment at 40.
        {"b.bin", atOne + fCodes(fReverseComplement(fRotated(1, 4, 0))) + "\n" + fCodes(fRotated(40, 8, 9)) + "\n"},
        // The reverse complement alone rates the same position; no line feed at the end.
        {"c.bin", fCodes(fReverseComplement(fRotated(1, 4, 0)))}},
       "a.bin\r\nb.bin\nc.bin",
       "\n1\nseaching parted reads\n2\nseaching parted reads\n3\nseaching parted reads\ndone\n",
       header + "\n1\t3\n40\t1\n93\t1"},
      {"no hit leaves only the header", {{"a.bin", fCodes(fStretch(30, 59)) + "\n"}}, "a.bin\n",
       "\n1\nseaching parted reads\ndone\n", header},
  };
  for (const Case& c : cases) {
    RunFolder folder;
    folder.write("g.bin", fCodes(kGenome));
    folder.write("list.txt", c.list);
    for (const auto& file : c.readFiles) folder.write(file.first, file.second);
    Files params = fScopeParams(16, 40);
    params.insert(params.end(), {{"diReads", "<d>"}, {"pthList", "<d>/list.txt"}});
    EXPECT_EQ(folder.run("fMatchReadsT_VarSzPartedRate", params).console, c.console) << c.what;
    EXPECT_EQ(folder.results(), (Files{{"_RatingLog.txt", c.log}})) << c.what;
  }
}

}  // namespace
