// The writers every standard output shares: features on the circle, sorted
// BED and bedGraph lines, also as the real bedtools reads them. Tables,
// records and the genome file are pinned byte for byte by the tests of the
// commands that write them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/console.h"
#include "standard/formats.h"
#include "standard/standard_support.h"
#include "support/run_folder.h"

namespace {

const Chromosome kChromosome{"chrT", 100};

// Features and stretches ending on the last base, across the end, off the circle
// (position 0 is the last base), twice round it, as long as the genome or longer,
// of no length, overlapping, touching, and a name left empty.
TEST(StandardFormats, BedSortsByStartEndAndNameAndBedGraphMergesTouchingEqualValuesWithoutZeros) {
  RunFolder folder;
  BedFile bed(kChromosome);
  const struct {
    int64_t first, length;
    const char* name;
    int64_t score;
    char strand;
  } features[] = {{50, 10, "b", 3, '+'},  {50, 10, "a", 1, '-'},    {95, 10, "wrap", 2, '+'}, {0, 5, "off", 0, '+'},
                  {-9, 3, "neg", 5, '-'}, {201, 4, "far", 1, '+'},  {49, 12, "c", 1, '+'},    {1, 150, "all", 1, '+'},
                  {10, 1, "", 1, '+'},    {100, 1, "last", 1, '+'}, {1, 1, "first", 1, '-'},
                  {91, 10, "end", 1, '+'}, {37, 100, "genome", 1, '+'}, {5, 0, "none", 1, '+'}};
  for (const auto& f : features) bed.fAdd(f.first, f.length, f.name, f.score, f.strand);
  BedGraphFile graph(kChromosome, "%.2f");
  const struct {
    int64_t first, length;
    double value;
  } stretches[] = {{16, 5, 1.0}, {11, 5, 1.0}, {21, 2, 0.5}, {30, 3, 0.0}, {99, 4, 2.0}, {3, 1, 2.0}, {23, 1, 0.25}};
  for (const auto& s : stretches) graph.fAdd(s.first, s.length, s.value);
  Outcome outcome;
  ASSERT_TRUE(bed.fWrite(folder.path("f.bed"), outcome));
  ASSERT_TRUE(graph.fWrite(folder.path("f.bedGraph"), outcome));
  EXPECT_EQ(folder.read("f.bed"),
            "chrT\t0\t1\tfirst\t1\t-\n"
            "chrT\t0\t4\tfar\t1\t+\n"
            "chrT\t0\t4\toff\t0\t+\n"
            "chrT\t0\t4\twrap\t2\t+\n"
            "chrT\t0\t100\tall\t1\t+\n"
            "chrT\t0\t100\tgenome\t1\t+\n"
            "chrT\t9\t10\t.\t1\t+\n"
            "chrT\t48\t60\tc\t1\t+\n"
            "chrT\t49\t59\ta\t1\t-\n"
            "chrT\t49\t59\tb\t3\t+\n"
            "chrT\t90\t93\tneg\t5\t-\n"
            "chrT\t90\t100\tend\t1\t+\n"
            "chrT\t94\t100\twrap\t2\t+\n"
            "chrT\t99\t100\tlast\t1\t+\n"
            "chrT\t99\t100\toff\t0\t+\n");
  EXPECT_EQ(folder.read("f.bedGraph"),
            "chrT\t0\t3\t2.00\nchrT\t10\t20\t1.00\nchrT\t20\t22\t0.50\nchrT\t22\t23\t0.25\nchrT\t98\t100\t2.00\n");
  EXPECT_EQ(outcome.written, (std::vector<std::string>{folder.path("f.bed"), folder.path("f.bedGraph")}));
  // A genome of no length has no place for a feature.
  BedFile none(Chromosome{"chrT", 0});
  none.fAdd(5, 3, "x", 1, '+');
  EXPECT_EQ(none.fLines(), 0u);

  SKIP_WITHOUT_BEDTOOLS();
  ASSERT_NE(fWriteGenomeFile(folder.dir() + "/", "g", kChromosome, outcome), "");
  fCheckWithBedtools(folder, "f.bed", "g.genome");
  fCheckWithBedtools(folder, "f.bedGraph", "g.genome");
}

TEST(StandardFormats, AFileThatCannotBeCreatedIsAnOutputFailure) {
  ConsoleOn = false;
  RunFolder folder;
  const std::string missing = folder.path("no-such-folder/");
  Outcome bedOutcome, graphOutcome, tableOutcome, genomeOutcome;
  BedFile bed(kChromosome);
  bed.fAdd(1, 2, "a", 1, '+');
  EXPECT_FALSE(bed.fWrite(missing + "f.bed", bedOutcome));
  EXPECT_FALSE(BedGraphFile(kChromosome).fWrite(missing + "f.bedGraph", graphOutcome));
  TsvFile table;
  EXPECT_FALSE(table.fOpen(missing + "t.tsv", {"a"}, tableOutcome));
  EXPECT_EQ(fWriteGenomeFile(missing, "g", kChromosome, genomeOutcome), "");
  for (const Outcome* outcome : {&bedOutcome, &graphOutcome, &tableOutcome, &genomeOutcome}) {
    EXPECT_EQ(outcome->status, RunStatus::kOutputFailed);
    EXPECT_EQ(outcome->file.rfind(missing, 0), 0u) << outcome->file;
    EXPECT_TRUE(outcome->written.empty());
  }
  ConsoleOn = true;
}

}  // namespace
