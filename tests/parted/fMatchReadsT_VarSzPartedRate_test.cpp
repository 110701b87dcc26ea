// Rating of parted-read positions across a list of read files, end to end.
#include <gtest/gtest.h>

#include <string>

#include "parted/circle.h"
#include "support/run_folder.h"

namespace {
using namespace circle;

TEST(PartedRating, EachFileRaisesAPositionAtMostOnce) {
  const std::string atOne = fCodes(fRotated(1, 4, 0)) + "\n";
  const std::string header = "program= fMatchReadsT_VarSzParted1Rate\ndir of reads= <d>/\ngenome= <d>/g.bin\n\npos\trating";
  struct Case {
    const char* what;
    Files readFiles;
    std::string list, console, log;
  } cases[] = {
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
    EXPECT_EQ(folder.run("fMatchReadsT_VarSzPartedRate", {{"diRes", "<d>"}, {"diReads", "<d>"},
                                                          {"pthList", "<d>/list.txt"}, {"pthGnm", "<d>/g.bin"},
                                                          {"rMinSz", "16"}, {"rMaxSz", "40"}})
                  .console,
              c.console)
        << c.what;
    EXPECT_EQ(folder.results(), (Files{{"_RatingLog.txt", c.log}})) << c.what;
  }
}

}  // namespace
