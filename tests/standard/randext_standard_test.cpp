// The standard files of RandExt: reads planted on both strands of a small
// circular genome, one site across its origin on each strand, run in the
// process with the read notes on, as the command line runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "driver/console.h"
#include "driver/notes.h"
#include "driver/run_state.h"
#include "endreplace/endreplace.h"
#include "endreplace/randext_support.h"
#include "standard/standard_support.h"
#include "support/sequences.h"

namespace {

const std::string kGenome = randext_test::kGenome;  // 40 letters, every 12-mer once on both strands
const int32_t kImmut = 20;
const int32_t kTip = 5;

// A read planted at a site: the immutable part taken from the strand, then a
// replaced tip. `position` is the native one: the first base on the upper
// strand; on the lower, the read runs leftwards from it.
struct Planted {
  const char* name;
  char strand;
  int64_t position;
  const char* tip;
};

std::string fRead(const Planted& read) {
  if (read.strand == 'N') return "ACGTNACGTACGTACGTACGTACGC";
  if (read.strand == 0) return "";
  const bool upper = read.strand == '+';
  const std::string immutable = upper ? fAt(kGenome, read.position, kImmut)
                                      : fReverseComplement(fAt(kGenome, read.position - kImmut + 1, kImmut));
  const std::string genomeTip = upper ? fAt(kGenome, read.position + kImmut, kTip)
                                      : fReverseComplement(fAt(kGenome, read.position - kImmut - kTip + 1, kTip));
  EXPECT_NE(genomeTip, read.tip) << read.name << ": a tip equal to the genome's is no hit";
  return immutable + read.tip;
}

// Sites: + at 3; + at 30, over the origin; - at 36 (bases 17..36); - at 5,
// whose bases 26..40 and 1..5 cross the origin; a single read at + 15 makes
// no site. An empty record (left out by the conversion) and a read with an N
// stand between them, so a read number off by one names the wrong reads.
const Planted kPlanted[] = {
    {"rA1", '+', 3, "AAAAC"},  {"rB1", '+', 30, "GGGAT"}, {"rEmpty", 0, 0, ""},
    {"rC1", '-', 36, "CATCA"}, {"rA2", '+', 3, "CCCCG"},  {"rD1", '-', 5, "ACGTA"},
    {"rN", 'N', 0, ""},        {"rB2", '+', 30, "GGGAT"}, {"rE1", '+', 15, "AAAAC"},
    {"rC2", '-', 36, "CATCA"}, {"rA3", '+', 3, "AAAAC"},  {"rD2", '-', 5, "TTGCA"},
};

const char kSitesBed[] =
    "chrT\t0\t5\tACGTA,TTGCA\t2\t-\n"
    "chrT\t0\t9\tGGGAT\t2\t+\n"
    "chrT\t2\t22\tAAAAC,CCCCG\t3\t+\n"
    "chrT\t16\t36\tCATCA\t2\t-\n"
    "chrT\t25\t40\tACGTA,TTGCA\t2\t-\n"
    "chrT\t29\t40\tGGGAT\t2\t+\n";

const char kTipsHeader[] = "position_1based\tstrand\treads_at_site\tentropy\ttip\treads_with_tip\tread_names\n";
const std::string kTipsTsv = std::string(kTipsHeader) +
                             "3\t+\t3\t0.6365\tAAAAC\t2\trA1,rA3\n"
                             "3\t+\t3\t0.6365\tCCCCG\t1\trA2\n"
                             "5\t-\t2\t0.6931\tACGTA\t1\trD1\n"
                             "5\t-\t2\t0.6931\tTTGCA\t1\trD2\n"
                             "30\t+\t2\t0.0000\tGGGAT\t2\trB1,rB2\n"
                             "36\t-\t2\t0.0000\tCATCA\t2\trC1,rC2\n";

// Rows of a native site table (its immutable part `nativeImmut` long) or of
// tips.tsv (0), sorted, in one layout without the names: position, strand,
// reads at site, entropy, tip, reads with the tip.
std::vector<std::string> fSiteRows(const std::string& table, int32_t nativeImmut) {
  std::vector<std::string> rows;
  const std::vector<std::string> lines = fSplit(table);
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> f = fSplit(lines[i], '\t');
    std::string tip = f[4].substr(static_cast<size_t>(nativeImmut));
    for (char& c : tip) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    rows.push_back(nativeImmut == 0 ? lines[i].substr(0, lines[i].rfind('\t'))
                                    : f[0] + "\t" + f[3] + "\t" + f[1] + "\t" + f[2] + "\t" + tip + "\t" + f[5]);
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

class RandExtStandard : public ::testing::Test {
 protected:
  // The procedure gives the line buffers back as it goes: they are the heap's.
  void SetUp() override {
    ConsoleOn = false;
    fInitCodingTables();
    MaxLineLength = kLineBufferSize;
    folder_.write("g.txt", kGenome);
  }
  void TearDown() override {
    ReadNotes.fClose();
    fNewLines(0);
    ConsoleOn = true;
  }
  void fNewLines(size_t size = kLineBufferSize) {
    std::free(InputLine);
    std::free(WorkLine);
    InputLine = size == 0 ? nullptr : static_cast<char*>(std::malloc(size));
    WorkLine = size == 0 ? nullptr : static_cast<char*>(std::malloc(size));
  }

  StandardRun fRun(const ReadsOrigin& reads, const Outcome& outcome) {
    StandardRun run = fStandardRun(folder_, GenomeLength, reads, outcome);
    run.experiment = "x";
    run.immutSz = kImmut;
    run.tipSz = kTip;
    run.misNu = 1;
    return run;
  }

  // RandExt on the planted reads as given, with the notes on.
  Outcome fRandExt(Given given, ReadsOrigin& origin) {
    std::vector<NamedRead> reads;
    for (const Planted& read : kPlanted) reads.push_back({read.name, fRead(read)});
    const std::string handed = fGiveReads(folder_, reads, given, Encoding::kLetters, origin);
    folder_.params("p.txt", {{"diRes", folder_.dir()}, {"pthGnm", folder_.path("g.txt")}, {"pthReads", handed},
                             {"experimentId", "x"}, {"immutSz", "20"}, {"mutTipSz", "5"}, {"misNu", "1"}});
    fNewLines();
    return fWithNotes(folder_, [&] { return fCutRnaWithReplacedEnd(folder_.path("p.txt")); });
  }

  RunFolder folder_;
};

TEST_F(RandExtStandard, SitesLandOnTheirBasesOnBothStrandsAndAcrossTheOriginWithTheirReadsNamed) {
  const struct {
    Given given;
    std::map<std::string, std::string> renamed;  // FASTQ headers, or "read" + the line
  } cases[] = {
      {Given::kRawLetters,
       {{"rA1", "read1"}, {"rB1", "read2"}, {"rC1", "read4"}, {"rA2", "read5"}, {"rD1", "read6"}, {"rB2", "read8"},
        {"rC2", "read10"}, {"rA3", "read11"}, {"rD2", "read12"}}},
#ifdef VANTRELS_HAVE_HTSLIB
      {Given::kFastq, {}},
#endif
  };
  for (const auto& c : cases) {
    const char* what = c.given == Given::kFastq ? "FASTQ" : "raw";
    ReadsOrigin origin;
    Outcome outcome = fRandExt(c.given, origin);
    ASSERT_EQ(outcome.status, RunStatus::kCompleted) << outcome.file;
    std::string problem;
    ASSERT_EQ(fWriteRandextStandard(fRun(origin, outcome), outcome, problem), 0) << problem;

    EXPECT_EQ(folder_.read("g.genome"), "chrT\t40\n");
    EXPECT_EQ(folder_.read("r.randext.x_20-5-1.sites.bed"), kSitesBed) << what;
    EXPECT_EQ(folder_.read("r.randext.x_20-5-1.tips.tsv"), fRenamed(kTipsTsv, c.renamed)) << what;
    if (fHaveBedtools()) fCheckWithBedtools(folder_, "r.randext.x_20-5-1.sites.bed", "g.genome");
  }
}

// The standard table and the native one describe the same sites: every
// position, strand, count, entropy digit and tip agrees.
TEST_F(RandExtStandard, TipsAgreeWithTheNativeSiteTableForEveryTaskOfAList) {
  // The reads of the end-replacement tests, with tips at many positions.
  folder_.write("r.txt", randext_test::kReads);
  folder_.write("t.txt", "1\n2\n3\n4\n5\n6\nrun.1\nsizes\n20\t5\t1\n20\t5\t4\n16\t9\t2\n");
  folder_.params("p.txt", {{"diRes", folder_.dir()}, {"pthGnm", folder_.path("g.txt")},
                           {"pthReads", folder_.path("r.txt")}, {"pthTaskList", folder_.path("t.txt")}});
  const int32_t sizes[][3] = {{20, 5, 1}, {20, 5, 4}, {16, 9, 2}};
  fNewLines();
  ASSERT_TRUE(ReadNotes.fOpen(folder_.path("notes.bin")));
  // As the command line runs a list: each task's notes are closed, turned
  // into its standard files, and the notes begin anew for the next task.
  Outcome list = fRunTaskList(folder_.path("p.txt"), [&](const Outcome& task, int index) {
    EXPECT_TRUE(ReadNotes.fClose());
    Outcome written = task;
    StandardRun run = fRun({folder_.path("r.txt"), InputKind::kRawLetters, Encoding::kLetters}, task);
    run.experiment = "run_1";
    std::tie(run.immutSz, run.tipSz, run.misNu) = std::make_tuple(sizes[index][0], sizes[index][1], sizes[index][2]);
    std::string problem;
    EXPECT_EQ(fWriteRandextStandard(run, written, problem), 0) << problem;
    EXPECT_TRUE(ReadNotes.fOpen(folder_.path("notes.bin")));
    return true;
  });
  ASSERT_EQ(list.status, RunStatus::kCompleted) << list.file;
  for (const auto& size : sizes) {
    const std::string a = std::to_string(size[0]), b = std::to_string(size[1]), c = std::to_string(size[2]);
    const std::vector<std::string> native = fSiteRows(folder_.read("run_1_" + a + "!" + b + "!" + c + "!.txt"), size[0]);
    EXPECT_FALSE(native.empty()) << a << b << c;
    EXPECT_EQ(fSiteRows(folder_.read("r.randext.run_1_" + a + "-" + b + "-" + c + ".tips.tsv"), 0), native);
  }
}

TEST_F(RandExtStandard, WithoutNotesTheFilesHoldNoSiteAndAMissingReadsFileIsAnInputError) {
  const struct {
    std::string notes, notesContent, reads;
    int code;
    const char* problem;
  } cases[] = {
      {"", "", "r.txt", 0, ""},
      {"missing.bin", "", "r.txt", 3, "notes"},
      // Two reads at upper position 1 make a site whose names must be read.
      {"notes.bin", std::string("\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\1\0\0\0\1\0\0\0\2\0\0\0\0\0\0\0", 32), "gone.txt", 2,
       "open"},
  };
  folder_.write("r.txt", "ACGT\nACGT\n");
  GenomeLength = 40;
  for (const auto& c : cases) {
    StandardRun run = fRun({folder_.path(c.reads), InputKind::kRawLetters, Encoding::kLetters}, Outcome{});
    run.notesPath = c.notes.empty() ? "" : folder_.path(c.notes);
    if (c.notes == "notes.bin") folder_.write(c.notes, c.notesContent);
    Outcome outcome;
    std::string problem;
    EXPECT_EQ(fWriteRandextStandard(run, outcome, problem), c.code) << c.notes;
    EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    if (c.code != 0) continue;
    EXPECT_EQ(folder_.read("r.randext.x_20-5-1.sites.bed"), "");
    EXPECT_EQ(folder_.read("r.randext.x_20-5-1.tips.tsv"), kTipsHeader);
  }
}

}  // namespace
