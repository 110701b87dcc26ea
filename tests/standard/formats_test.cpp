// The writers every standard output shares: features on the circle, sorted
// BED and bedGraph lines, TSV with its header, sequence records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/console.h"
#include "standard/formats.h"
#include "support/run_folder.h"

namespace {

class StandardFormats : public ::testing::Test {
 protected:
  void SetUp() override { ConsoleOn = false; }
  void TearDown() override { ConsoleOn = true; }
  RunFolder folder_;
  Chromosome chromosome_{"chrT", 100};
};

TEST(StandardCircle, PositionsOffTheCircleComeOntoItAndFeaturesSplitAtTheEnd) {
  struct Case {
    int64_t first, length, genomeLength;
    std::vector<std::pair<int64_t, int64_t>> pieces;
  } cases[] = {
      {1, 10, 100, {{0, 10}}},
      {91, 10, 100, {{90, 100}}},             // ends on the last base: one piece
      {95, 10, 100, {{94, 100}, {0, 4}}},     // crosses the end
      {100, 1, 100, {{99, 100}}},
      {0, 5, 100, {{99, 100}, {0, 4}}},       // position 0 is the genome's last base
      {-9, 3, 100, {{90, 93}}},               // a segment starting before position 1
      {201, 4, 100, {{0, 4}}},                // twice round the circle
      {37, 100, 100, {{0, 100}}},             // as long as the genome: all of it, once
      {37, 250, 100, {{0, 100}}},
      {5, 0, 100, {}},
      {5, 3, 0, {}},
  };
  for (const Case& c : cases) {
    CirclePieces pieces = fOnCircle(c.first, c.length, c.genomeLength);
    std::vector<std::pair<int64_t, int64_t>> got;
    for (int i = 0; i < pieces.count; ++i) got.emplace_back(pieces.start[i], pieces.end[i]);
    EXPECT_EQ(got, c.pieces) << "first " << c.first << ", length " << c.length;
  }
}

TEST_F(StandardFormats, BedLinesAreSortedByStartEndAndNameWithWrappedFeaturesSplit) {
  BedFile bed(chromosome_);
  bed.fAdd(50, 10, "b", 3, '+');
  bed.fAdd(50, 10, "a", 1, '-');
  bed.fAdd(95, 10, "wrap", 2, '+');
  bed.fAdd(0, 5, "off", 0, '+');
  bed.fAdd(-9, 3, "neg", 5, '-');
  bed.fAdd(201, 4, "far", 1, '+');
  bed.fAdd(49, 12, "c", 1, '+');
  bed.fAdd(1, 150, "all", 1, '+');
  bed.fAdd(10, 1, "", 1, '+');
  Outcome outcome;
  ASSERT_TRUE(bed.fWrite(folder_.path("f.bed"), outcome));
  EXPECT_EQ(folder_.read("f.bed"),
            "chrT\t0\t4\tfar\t1\t+\n"
            "chrT\t0\t4\toff\t0\t+\n"
            "chrT\t0\t4\twrap\t2\t+\n"
            "chrT\t0\t100\tall\t1\t+\n"
            "chrT\t9\t10\t.\t1\t+\n"
            "chrT\t48\t60\tc\t1\t+\n"
            "chrT\t49\t59\ta\t1\t-\n"
            "chrT\t49\t59\tb\t3\t+\n"
            "chrT\t90\t93\tneg\t5\t-\n"
            "chrT\t94\t100\twrap\t2\t+\n"
            "chrT\t99\t100\toff\t0\t+\n");
  EXPECT_EQ(outcome.written, std::vector<std::string>{folder_.path("f.bed")});
}

TEST_F(StandardFormats, BedGraphLeavesOutZerosAndMergesTouchingEqualValues) {
  BedGraphFile graph(chromosome_, "%.2f");
  graph.fAdd(16, 5, 1.0);
  graph.fAdd(11, 5, 1.0);
  graph.fAdd(21, 2, 0.5);
  graph.fAdd(30, 3, 0.0);
  graph.fAdd(99, 4, 2.0);  // over the end: [98,100) and [0,2)
  graph.fAdd(3, 1, 2.0);   // touches [0,2) with the same value
  graph.fAdd(23, 1, 0.25);
  Outcome outcome;
  ASSERT_TRUE(graph.fWrite(folder_.path("f.bedGraph"), outcome));
  EXPECT_EQ(folder_.read("f.bedGraph"),
            "chrT\t0\t3\t2.00\n"
            "chrT\t10\t20\t1.00\n"
            "chrT\t20\t22\t0.50\n"
            "chrT\t22\t23\t0.25\n"
            "chrT\t98\t100\t2.00\n");
}

TEST_F(StandardFormats, TablesAndRecordsEndEveryLineWithALineFeed) {
  Outcome outcome;
  TsvFile table;
  ASSERT_TRUE(table.fOpen(folder_.path("t.tsv"), {"name", "position_1based", "share", "names"}, outcome));
  table.fText("r1");
  table.fNumber(-5);
  table.fReal(0.5, "%.3f");
  table.fText("a");
  table.fMore(",b");
  table.fEndRow();
  table.fText("");
  table.fNumber(7);
  table.fReal(2, "%.1f");
  table.fText("c");
  table.fEndRow();
  ASSERT_TRUE(table.fClose(outcome));
  EXPECT_EQ(folder_.read("t.tsv"), "name\tposition_1based\tshare\tnames\nr1\t-5\t0.500\ta,b\n\t7\t2.0\tc\n");

  FILE* records = std::fopen(folder_.path("r.fq").c_str(), "wb");
  ASSERT_NE(records, nullptr);
  fWriteFastq(records, "r1", "ACGT", "II#I");
  fWriteFasta(records, "r2", "GG");
  std::fclose(records);
  EXPECT_EQ(folder_.read("r.fq"), "@r1\nACGT\n+\nII#I\n>r2\nGG\n");

  EXPECT_EQ(fWriteGenomeFile(folder_.dir() + "/", "ecoli", Chromosome{"NC_000913.3", 4641652}, outcome),
            folder_.path("ecoli.genome"));
  EXPECT_EQ(folder_.read("ecoli.genome"), "NC_000913.3\t4641652\n");
  EXPECT_TRUE(outcome.fSucceeded());
}

TEST_F(StandardFormats, AFileThatCannotBeCreatedIsAnOutputFailure) {
  const std::string missing = folder_.path("no-such-folder/");
  Outcome bedOutcome, graphOutcome, tableOutcome, genomeOutcome;
  BedFile bed(chromosome_);
  bed.fAdd(1, 2, "a", 1, '+');
  EXPECT_FALSE(bed.fWrite(missing + "f.bed", bedOutcome));
  EXPECT_FALSE(BedGraphFile(chromosome_).fWrite(missing + "f.bedGraph", graphOutcome));
  TsvFile table;
  EXPECT_FALSE(table.fOpen(missing + "t.tsv", {"a"}, tableOutcome));
  EXPECT_EQ(fWriteGenomeFile(missing, "g", chromosome_, genomeOutcome), "");
  for (const Outcome* outcome : {&bedOutcome, &graphOutcome, &tableOutcome, &genomeOutcome}) {
    EXPECT_EQ(outcome->status, RunStatus::kOutputFailed);
    EXPECT_EQ(outcome->file.rfind(missing, 0), 0u) << outcome->file;
    EXPECT_TRUE(outcome->written.empty());
  }
}

}  // namespace
