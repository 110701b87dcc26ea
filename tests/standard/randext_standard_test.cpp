// The standard files of RandExt: reads planted on both strands of a small
// circular genome, one site across its origin on each strand, run in the
// process with the read notes on, as the command line runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "cli/inputs.h"
#include "driver/console.h"
#include "driver/notes.h"
#include "driver/run_state.h"
#include "endreplace/endreplace.h"
#include "endreplace/randext_support.h"
#include "standard/bedtools_check.h"
#include "standard/standard.h"
#include "support/run_folder.h"

namespace {

const std::string kGenome = randext_test::kGenome;  // 40 letters, every 12-mer once on both strands
const int64_t L = 40;
const int32_t kImmut = 20;
const int32_t kTip = 5;

std::string fCircular(int64_t first, int64_t length) {
  std::string letters;
  for (int64_t i = 0; i < length; ++i) letters += kGenome[static_cast<size_t>((((first - 1 + i) % L) + L) % L)];
  return letters;
}

std::string fReverseComplement(const std::string& letters) {
  std::string reverse(letters.rbegin(), letters.rend());
  for (char& c : reverse) c = c == 'A' ? 'T' : c == 'C' ? 'G' : c == 'G' ? 'C' : 'A';
  return reverse;
}

// A read planted at a site: the immutable part taken from the strand, then a
// replaced tip. `position` is the native one: the first base on the upper
// strand, L - p + 1 on the lower, where the read runs leftwards from it.
struct Planted {
  const char* name;
  char strand;
  int64_t position;
  const char* tip;
};

std::string fRead(const Planted& read) {
  std::string immutable = read.strand == '+' ? fCircular(read.position, kImmut)
                                             : fReverseComplement(fCircular(read.position - kImmut + 1, kImmut));
  std::string genomeTip = read.strand == '+' ? fCircular(read.position + kImmut, kTip)
                                             : fReverseComplement(fCircular(read.position - kImmut - kTip + 1, kTip));
  EXPECT_NE(genomeTip, read.tip) << read.name << ": a tip equal to the genome's is no hit";
  return immutable + read.tip;
}

// Sites: + at 3; + at 30, over the origin; - at 36 (bases 17..36); - at 5,
// whose bases 26..40 and 1..5 cross the origin; a single read at + 15 makes
// no site. An empty record (left out by the conversion) and a read with an N
// stand between them, so a read number off by one names the wrong reads.
const Planted kPlanted[] = {
    {"rA1", '+', 3, "AAAAC"},  {"rB1", '+', 30, "GGGAT"}, {nullptr, 0, 0, nullptr},
    {"rC1", '-', 36, "CATCA"}, {"rA2", '+', 3, "CCCCG"},  {"rD1", '-', 5, "ACGTA"},
    {"rN", 'N', 0, nullptr},   {"rB2", '+', 30, "GGGAT"}, {"rE1", '+', 15, "AAAAC"},
    {"rC2", '-', 36, "CATCA"}, {"rA3", '+', 3, "AAAAC"},  {"rD2", '-', 5, "TTGCA"},
};

const char kSitesBed[] =
    "chrT\t0\t5\tACGTA,TTGCA\t2\t-\n"
    "chrT\t0\t9\tGGGAT\t2\t+\n"
    "chrT\t2\t22\tAAAAC,CCCCG\t3\t+\n"
    "chrT\t16\t36\tCATCA\t2\t-\n"
    "chrT\t25\t40\tACGTA,TTGCA\t2\t-\n"
    "chrT\t29\t40\tGGGAT\t2\t+\n";

const char kTipsTsv[] =
    "position_1based\tstrand\treads_at_site\tentropy\ttip\treads_with_tip\tread_names\n"
    "3\t+\t3\t0.6365\tAAAAC\t2\trA1,rA3\n"
    "3\t+\t3\t0.6365\tCCCCG\t1\trA2\n"
    "5\t-\t2\t0.6931\tACGTA\t1\trD1\n"
    "5\t-\t2\t0.6931\tTTGCA\t1\trD2\n"
    "30\t+\t2\t0.0000\tGGGAT\t2\trB1,rB2\n"
    "36\t-\t2\t0.0000\tCATCA\t2\trC1,rC2\n";

std::vector<std::string> fLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

std::vector<std::string> fFields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  std::string field;
  while (std::getline(in, field, '\t')) fields.push_back(field);
  return fields;
}

// Rows of the native site table and of tips.tsv, without the names, in one
// layout: position, strand, reads at site, entropy, tip, reads with the tip.
std::vector<std::string> fNativeRows(const std::string& table, int32_t immut) {
  std::vector<std::string> rows;
  std::vector<std::string> lines = fLines(table);
  for (size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> f = fFields(lines[i]);
    std::string tip = f[4].substr(static_cast<size_t>(immut));
    for (char& c : tip) c = static_cast<char>(c - 'a' + 'A');
    rows.push_back(f[0] + "\t" + f[3] + "\t" + f[1] + "\t" + f[2] + "\t" + tip + "\t" + f[5]);
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<std::string> fStandardRows(const std::string& tips) {
  std::vector<std::string> rows;
  std::vector<std::string> lines = fLines(tips);
  for (size_t i = 1; i < lines.size(); ++i) rows.push_back(lines[i].substr(0, lines[i].rfind('\t')));
  std::sort(rows.begin(), rows.end());
  return rows;
}

class RandExtStandard : public ::testing::Test {
 protected:
  void SetUp() override {
    ConsoleOn = false;
    fInitCodingTables();
    MaxLineLength = kLineBufferSize;
    folder_.write("g.txt", kGenome);
  }
  void TearDown() override {
    ReadNotes.fClose();
    std::free(InputLine);
    std::free(WorkLine);
    InputLine = WorkLine = nullptr;
    ConsoleOn = true;
  }
  void fNewLines() {
    std::free(InputLine);
    std::free(WorkLine);
    InputLine = static_cast<char*>(std::malloc(kLineBufferSize));
    WorkLine = static_cast<char*>(std::malloc(kLineBufferSize));
  }

  // The planted reads as FASTQ, or as a raw letters file (names read + line).
  std::string fWriteReads(bool fastq) {
    std::string text;
    for (const Planted& read : kPlanted) {
      std::string letters = read.name == nullptr ? "" : read.strand == 'N' ? "ACGTNACGTACGTACGTACGTACGC" : fRead(read);
      if (!fastq) {
        text += letters + "\n";
        continue;
      }
      text += "@" + std::string(read.name != nullptr ? read.name : "rEmpty") + " planted\n" + letters + "\n+\n" +
              std::string(letters.size(), 'I') + "\n";
    }
    folder_.write(fastq ? "r.fq" : "r.txt", text);
    return folder_.path(fastq ? "r.fq" : "r.txt");
  }

  StandardRun fRun(const ReadsOrigin& reads) {
    StandardRun run;
    run.directory = folder_.dir() + "/";
    run.shownOut = "out";
    run.genomeStem = "g";
    run.chromosome = Chromosome{"chrT", GenomeLength};
    run.readsStem = "r";
    run.reads = reads;
    run.notesPath = folder_.path("notes.bin");
    run.experiment = "x";
    run.immutSz = kImmut;
    run.tipSz = kTip;
    run.misNu = 1;
    return run;
  }

  // RandExt on `readsPath` (the file the procedure reads) with the notes on.
  Outcome fRandExt(const std::string& readsPath) {
    folder_.params("p.txt", {{"diRes", folder_.dir()},
                             {"pthGnm", folder_.path("g.txt")},
                             {"pthReads", readsPath},
                             {"experimentId", "x"},
                             {"immutSz", std::to_string(kImmut)},
                             {"mutTipSz", std::to_string(kTip)},
                             {"misNu", "1"}});
    fNewLines();
    EXPECT_TRUE(ReadNotes.fOpen(folder_.path("notes.bin")));
    Outcome outcome = fCutRnaWithReplacedEnd(folder_.path("p.txt"));
    EXPECT_TRUE(ReadNotes.fClose());
    return outcome;
  }

  RunFolder folder_;
};

TEST_F(RandExtStandard, SitesLandOnTheirBasesOnBothStrandsAndAcrossTheOriginWithTheirReadsNamed) {
  struct Case {
    bool fastq;
    // Names as the reads file gives them: FASTQ headers, or "read" + line.
    std::vector<std::pair<std::string, std::string>> renamed;
  } cases[] = {
      {false,
       {{"rA1", "read1"}, {"rB1", "read2"}, {"rC1", "read4"}, {"rA2", "read5"}, {"rD1", "read6"}, {"rB2", "read8"},
        {"rC2", "read10"}, {"rA3", "read11"}, {"rD2", "read12"}}},
#ifdef VANTRELS_HAVE_HTSLIB
      {true, {}},
#endif
  };
  for (const Case& c : cases) {
    const std::string userReads = fWriteReads(c.fastq);
    ReadsOrigin origin{userReads, c.fastq ? InputKind::kFastq : InputKind::kRawLetters, Encoding::kLetters};
    std::string handed = userReads;
    if (c.fastq) {
      PreparedInput prepared;
      std::string problem;
      ASSERT_EQ(fPrepareReads(userReads, Encoding::kLetters, folder_.dir(), prepared, problem), 0) << problem;
      handed = prepared.path;
    }
    Outcome outcome = fRandExt(handed);
    ASSERT_EQ(outcome.status, RunStatus::kCompleted) << outcome.file;
    std::string problem;
    ASSERT_EQ(fWriteRandextStandard(fRun(origin), outcome, problem), 0) << problem;

    std::string tips = kTipsTsv;
    for (const auto& name : c.renamed) {
      size_t at = tips.find(name.first);
      ASSERT_NE(at, std::string::npos) << name.first;
      tips.replace(at, name.first.size(), name.second);
    }
    EXPECT_EQ(folder_.read("g.genome"), "chrT\t40\n");
    EXPECT_EQ(folder_.read("r.randext.x_20-5-1.sites.bed"), kSitesBed) << (c.fastq ? "FASTQ" : "raw");
    EXPECT_EQ(folder_.read("r.randext.x_20-5-1.tips.tsv"), tips) << (c.fastq ? "FASTQ" : "raw");
    EXPECT_TRUE(outcome.fSucceeded());
    for (const char* name : {"g.genome", "r.randext.x_20-5-1.tips.tsv", "r.randext.x_20-5-1.sites.bed"})
      EXPECT_NE(std::find(outcome.written.begin(), outcome.written.end(), folder_.path(name)), outcome.written.end())
          << name;
  }
}

// Whatever the hand-made expectations say, the bases under each BED line,
// read on the line's strand, must be the immutable part of the site's reads.
TEST_F(RandExtStandard, TheBasesUnderEverySiteAreTheImmutablePartOfItsReads) {
  Outcome outcome = fRandExt(fWriteReads(false));
  std::string problem;
  ASSERT_EQ(fWriteRandextStandard(fRun({folder_.path("r.txt"), InputKind::kRawLetters, Encoding::kLetters}), outcome,
                                  problem),
            0)
      << problem;
  std::vector<std::string> lines = fLines(folder_.read("r.randext.x_20-5-1.sites.bed"));
  ASSERT_EQ(lines.size(), 6u);
  // A site split at the origin is its piece ending at L, then its piece from 0.
  std::vector<std::string> covered;
  std::vector<std::string> sites;
  for (const std::string& line : lines) {
    std::vector<std::string> f = fFields(line);
    int64_t start = std::stoll(f[1]), end = std::stoll(f[2]);
    std::string bases = kGenome.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
    std::string site = f[3] + f[5];
    auto earlier = std::find(sites.begin(), sites.end(), site);
    if (earlier == sites.end()) {
      sites.push_back(site);
      covered.push_back(bases);
    } else if (start == 0) {
      covered[static_cast<size_t>(earlier - sites.begin())] += bases;
    } else {
      covered[static_cast<size_t>(earlier - sites.begin())].insert(0, bases);
    }
  }
  for (size_t i = 0; i < sites.size(); ++i) {
    const char strand = sites[i].back();
    const std::string firstTip = sites[i].substr(0, kTip);
    const Planted* planted = std::find_if(std::begin(kPlanted), std::end(kPlanted), [&](const Planted& read) {
      return read.tip != nullptr && read.strand == strand && firstTip == read.tip;
    });
    ASSERT_NE(planted, std::end(kPlanted)) << sites[i];
    std::string onStrand = strand == '+' ? covered[i] : fReverseComplement(covered[i]);
    EXPECT_EQ(onStrand, fRead(*planted).substr(0, kImmut)) << sites[i];
  }
}

TEST_F(RandExtStandard, BedtoolsTakesTheSitesWithTheGenomeFile) {
  SKIP_WITHOUT_BEDTOOLS();
  Outcome outcome = fRandExt(fWriteReads(false));
  std::string problem;
  ASSERT_EQ(fWriteRandextStandard(fRun({folder_.path("r.txt"), InputKind::kRawLetters, Encoding::kLetters}), outcome,
                                  problem),
            0)
      << problem;
  fCheckWithBedtools(folder_, "r.randext.x_20-5-1.sites.bed", "g.genome");
}

// The standard table and the native one describe the same sites: every
// position, strand, count, entropy digit and tip agrees.
TEST_F(RandExtStandard, TipsAgreeWithTheNativeSiteTableForEveryTaskOfAList) {
  // The reads of the end-replacement tests, with tips at many positions.
  folder_.write("r.txt", randext_test::kReads);
  folder_.write("t.txt", "1\n2\n3\n4\n5\n6\nrun.1\nsizes\n20\t5\t1\n20\t5\t4\n16\t9\t2\n");
  folder_.params("p.txt", {{"diRes", folder_.dir()},
                           {"pthGnm", folder_.path("g.txt")},
                           {"pthReads", folder_.path("r.txt")},
                           {"pthTaskList", folder_.path("t.txt")}});
  const int32_t sizes[][3] = {{20, 5, 1}, {20, 5, 4}, {16, 9, 2}};
  fNewLines();
  ASSERT_TRUE(ReadNotes.fOpen(folder_.path("notes.bin")));
  int standardDone = 0;
  // As the command line runs a list: each task's notes are closed, turned
  // into its standard files, and the notes begin anew for the next task.
  Outcome list = fRunTaskList(folder_.path("p.txt"), [&](const Outcome& task, int index) {
    EXPECT_TRUE(ReadNotes.fClose());
    Outcome written = task;
    StandardRun run = fRun({folder_.path("r.txt"), InputKind::kRawLetters, Encoding::kLetters});
    run.experiment = "run_1";
    run.immutSz = sizes[index][0];
    run.tipSz = sizes[index][1];
    run.misNu = sizes[index][2];
    std::string problem;
    EXPECT_EQ(fWriteRandextStandard(run, written, problem), 0) << problem;
    standardDone += 1;
    EXPECT_TRUE(ReadNotes.fOpen(folder_.path("notes.bin")));
    return true;
  });
  ASSERT_EQ(list.status, RunStatus::kCompleted) << list.file;
  ASSERT_EQ(standardDone, 3);
  for (const auto& size : sizes) {
    const std::string native = "run_1_" + std::to_string(size[0]) + "!" + std::to_string(size[1]) + "!" +
                               std::to_string(size[2]) + "!.txt";
    const std::string standard = "r.randext.run_1_" + std::to_string(size[0]) + "-" + std::to_string(size[1]) + "-" +
                                 std::to_string(size[2]) + ".tips.tsv";
    std::vector<std::string> nativeRows = fNativeRows(folder_.read(native), size[0]);
    EXPECT_FALSE(nativeRows.empty()) << native;
    EXPECT_EQ(fStandardRows(folder_.read(standard)), nativeRows) << standard;
  }
}

TEST_F(RandExtStandard, WithoutNotesTheFilesHoldNoSiteAndAMissingReadsFileIsAnInputError) {
  struct Case {
    std::string notes, notesContent, reads;
    int code;
    const char* problem;
  } cases[] = {
      {"", "", "r.txt", 0, ""},
      {"notes.bin", std::string(16, '\0') + "cut", "r.txt", 3, "notes"},
      {"missing.bin", "", "r.txt", 3, "notes"},
      // Two reads at upper position 1 make a site whose names must be read.
      {"notes.bin", std::string("\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\1\0\0\0\1\0\0\0\2\0\0\0\0\0\0\0", 32), "gone.txt", 2,
       "open"},
  };
  folder_.write("r.txt", "ACGT\nACGT\n");
  GenomeLength = 40;
  for (const Case& c : cases) {
    StandardRun run = fRun({folder_.path(c.reads), InputKind::kRawLetters, Encoding::kLetters});
    run.notesPath = c.notes.empty() ? "" : folder_.path(c.notes);
    if (c.notes == "notes.bin") folder_.write(c.notes, c.notesContent);
    Outcome outcome;
    std::string problem;
    EXPECT_EQ(fWriteRandextStandard(run, outcome, problem), c.code) << c.notes;
    EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    if (c.code != 0) continue;
    EXPECT_EQ(folder_.read("r.randext.x_20-5-1.sites.bed"), "");
    EXPECT_EQ(folder_.read("r.randext.x_20-5-1.tips.tsv"),
              "position_1based\tstrand\treads_at_site\tentropy\ttip\treads_with_tip\tread_names\n");
  }
}

}  // namespace
