// The standard files of parted, circrna and parted-rate: reads planted as
// rotations of segments of a small circular genome, on both strands, across
// its origin and across its end, run in the process with the read notes on,
// as the command line runs them.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "driver/notes.h"
#include "parted/circle.h"
#include "parted/parted.h"
#include "parted/parted_notes.h"
#include "standard/parted_outputs.h"
#include "standard/standard_support.h"
#include "support/direct_run.h"

namespace {
using namespace circle;

std::string fRotatedLower(int pos, int left, int right) { return fReverseComplement(fRotated(pos, left, right)); }

// Parted (head seed only). sameA and sameB start at one place of the circle,
// base 91, but sameB's seed lies past the origin, so its native position is
// -5; loOrig's segment crosses the origin on the lower strand. The line with
// an N is left out when letters are converted to codes: a read number off by
// one names the wrong reads after it.
const std::vector<NamedRead> kPartedReads = {
    {"up", fRotated(20, 6, 10)},    {"whole", fStretch(40, 70)},     {"lo", fRotatedLower(50, 8, 8)},
    {"rN", "ACGTNACGTACGTACGTACG"}, {"sameA", fRotated(91, 4, 10)},  {"sameB", fRotated(-5, 6, 8)},
    {"loOrig", fRotatedLower(-10, 14, 4)},
};

const char kPartedBed[] =
    "chrT\t0\t19\tloOrig\t1\t-\n"
    "chrT\t0\t20\tsameA\t2\t+\n"
    "chrT\t0\t20\tsameB\t2\t+\n"
    "chrT\t19\t47\tup\t1\t+\n"
    "chrT\t49\t77\tlo\t1\t-\n"
    "chrT\t85\t96\tloOrig\t1\t-\n"
    "chrT\t90\t96\tsameA\t2\t+\n"
    "chrT\t90\t96\tsameB\t2\t+\n";

const std::string kTsvHeader =
    "read_name\tstrand\tsegment_start_1based\tsegment_end_1based\tleft_part_length\tright_part_length\tsegment_text\n";

const std::string kPartedTsv = kTsvHeader +                                            //
                               "up\t+\t20\t47\t6\t22\t" + fSegment(20, 6, 10) + "\n" +    //
                               "sameA\t+\t91\t20\t4\t22\t" + fSegment(91, 4, 10) + "\n" + //
                               "sameB\t+\t91\t20\t6\t20\t" + fSegment(-5, 6, 8) + "\n" +  //
                               "lo\t-\t50\t77\t8\t20\t" + fSegment(50, 8, 8) + "\n" +     //
                               "loOrig\t-\t86\t19\t14\t16\t" + fSegment(-10, 14, 4) + "\n";

// Circular RNA (head and end seeds): xy is found from both seeds at one
// position; head6 only from its end seed; loOrig from its head seed at native
// position -10, across the origin, and from its end seed at 85: base 19 equals
// base 85, so the read is a rotation of that segment too. endCross crosses the
// genome's end. The N read is defective, and kept by the conversion.
const std::vector<NamedRead> kCircularReads = {
    {"xy", fRotated(20, 14, 8)},       {"head6", fStretch(30, 35) + fStretch(10, 29)},
    {"whole", fStretch(60, 89)},       {"rN", "ACGTNACGTACGTACGT"},
    {"endCross", fRotated(85, 5, 10)}, {"loOrig", fRotatedLower(-10, 14, 4)},
};

const char kCircularBed[] =
    "chrT\t0\t15\tendCross\t1\t+\n"
    "chrT\t0\t18\tloOrig\t1\t-\n"
    "chrT\t0\t19\tloOrig\t1\t-\n"
    "chrT\t9\t35\thead6\t1\t+\n"
    "chrT\t19\t53\txy\t2\t+\n"
    "chrT\t19\t53\txy\t2\t+\n"
    "chrT\t84\t96\tendCross\t1\t+\n"
    "chrT\t84\t96\tloOrig\t1\t-\n"
    "chrT\t85\t96\tloOrig\t1\t-\n";

const std::string kCircularTsv = kTsvHeader +                                                //
                                 "head6\t+\t10\t35\t20\t6\t" + fSegment(10, 8, 6) + "\n" +     //
                                 "xy\t+\t20\t53\t14\t20\t" + fSegment(20, 14, 8) + "\n" +      //
                                 "xy\t+\t20\t53\t14\t20\t" + fSegment(20, 2, 20) + "\n" +      //
                                 "endCross\t+\t85\t15\t5\t22\t" + fSegment(85, 5, 10) + "\n" + //
                                 "loOrig\t-\t85\t18\t15\t15\t" + fSegment(85, 3, 15) + "\n" +  //
                                 "loOrig\t-\t86\t19\t14\t16\t" + fSegment(-10, 14, 4) + "\n";

// Parted reads code bytes, circrna letters.
struct Command {
  const char* name;
  bool parted;
  const std::vector<NamedRead>& reads;
  std::string bed;
  const std::string& tsv;
};
const Command kParted{"parted", true, kPartedReads, kPartedBed, kPartedTsv};
const Command kCircular{"circrna", false, kCircularReads, kCircularBed, kCircularTsv};

class PartedStandard : public DirectRun {
 protected:
  void TearDown() override {
    ReadNotes.fClose();
    DirectRun::TearDown();
  }

  // The command on its reads as given, with the notes on, then its standard files.
  Outcome fRunCommand(const Command& command, Given given) {
    ReadsOrigin origin;
    const std::string reads =
        fGiveReads(folder_, command.reads, given, command.parted ? Encoding::kCodes : Encoding::kLetters, origin);
    folder_.write("g.bin", fCodes(kGenome));
    folder_.write("g.txt", kGenome);
    folder_.params("p.txt", {{"diRes", folder_.dir()}, {"pthGnm", folder_.path("g.txt")}, {"pthReads", reads},
                             {"rMinSz", "8"}, {"rMaxSz", "40"}});
    MinReadSize = 16;
    MaxReadSize = 40;
    Outcome outcome = fWithNotes(folder_, [&] {
      return command.parted ? fMatchReadsT_VarSzParted(folder_.dir() + "/", reads, folder_.path("g.bin"), 0)
                            : fIdentifyCircularRna(folder_.path("p.txt"));
    });
    origin_ = origin;
    if (outcome.status != RunStatus::kCompleted && outcome.status != RunStatus::kStoppedAtHitLimit) return outcome;
    std::string problem;
    const int code = command.parted ? fWritePartedStandard(fRun(outcome), outcome, problem)
                                    : fWriteCircrnaStandard(fRun(outcome), outcome, problem);
    EXPECT_EQ(code, 0) << command.name << ": " << problem;
    return outcome;
  }

  StandardRun fRun(const Outcome& outcome) { return fStandardRun(folder_, kN, origin_, outcome); }

  RunFolder folder_;
  ReadsOrigin origin_;
};

TEST_F(PartedStandard, HitsLandOnTheirBasesOnBothStrandsAcrossTheOriginAndTheEndWithTheirReadsNamed) {
  // The names of the reads files: "read" + the line of the user's file.
  const std::map<std::string, std::string> partedLines = {
      {"up", "read1"}, {"lo", "read3"}, {"sameA", "read5"}, {"sameB", "read6"}, {"loOrig", "read7"}};
  const std::map<std::string, std::string> circularLines = {
      {"xy", "read1"}, {"head6", "read2"}, {"endCross", "read5"}, {"loOrig", "read6"}};
  const std::map<std::string, std::string> asInFastq;
  const struct {
    const Command& command;
    Given given;
    const std::map<std::string, std::string>& names;
  } cases[] = {
      {kParted, Given::kRawCoded, partedLines},
      {kCircular, Given::kRawLetters, circularLines},
#ifdef VANTRELS_HAVE_HTSLIB
      {kParted, Given::kFastq, asInFastq},
      {kCircular, Given::kFastq, asInFastq},
      // The line with an N is not converted, and keeps its line number.
      {kParted, Given::kRawLetters, partedLines},
#endif
  };
  for (const auto& c : cases) {
    const std::string what = std::string(c.command.name) + (c.given == Given::kFastq ? ", FASTQ" : ", raw");
    Outcome outcome = fRunCommand(c.command, c.given);
    ASSERT_EQ(outcome.status, RunStatus::kCompleted) << what << ": " << outcome.file;
    const std::string stem = std::string("r.") + c.command.name;
    EXPECT_EQ(folder_.read("g.genome"), "chrT\t96\n") << what;
    EXPECT_EQ(folder_.read(stem + ".bed"), fRenamed(c.command.bed, c.names)) << what;
    EXPECT_EQ(folder_.read(stem + ".tsv"), fRenamed(c.command.tsv, c.names)) << what;
    if (fHaveBedtools()) fCheckWithBedtools(folder_, stem + ".bed", "g.genome");
  }
}

// When the hit limit stops the reading, the files hold the hits of the native
// table: those of the reads up to the one that took the upper count above it.
TEST_F(PartedStandard, AfterTheHitLimitTheFilesHoldTheHitsTheNativeTableKept) {
  const struct {
    const Command& command;
    int32_t limit;
    RunStatus status;
    std::vector<std::string> names;  // of the TSV's rows, in order
  } cases[] = {
      {kParted, 1, RunStatus::kStoppedAtHitLimit, {"read1", "read5", "read3"}},
      {kParted, 0, RunStatus::kCompleted, {"read1", "read5", "read6", "read3", "read7"}},  // 0: no limit
      {kCircular, 2, RunStatus::kStoppedAtHitLimit, {"read2", "read1", "read1"}},
      {kCircular, 3, RunStatus::kStoppedAtHitLimit, {"read2", "read1", "read1", "read5"}},
  };
  for (const auto& c : cases) {
    HitStopLimit = c.limit;
    Outcome outcome = fRunCommand(c.command, c.command.parted ? Given::kRawCoded : Given::kRawLetters);
    ASSERT_EQ(outcome.status, c.status) << c.limit;
    std::vector<std::string> names;
    for (const std::string& line : fSplit(folder_.read(std::string("r.") + c.command.name + ".tsv")))
      names.push_back(line.substr(0, line.find('\t')));
    names.erase(names.begin());
    EXPECT_EQ(names, c.names) << c.command.name << " " << c.limit;
  }
}

TEST_F(PartedStandard, RatingsBecomeABedGraphWithNeighboursOfOneRatingMerged) {
  // Position 20 in both files; 21 and 22 in the first only; 50 from a
  // lower-strand read; -5, a seed past the origin, is base 91.
  folder_.write("a.bin", fCodes(fRotated(20, 6, 10) + "\n" + fRotated(21, 6, 10) + "\n" + fRotated(22, 6, 10) + "\n"));
  folder_.write("b.bin", fCodes(fRotated(20, 6, 10) + "\n" + fRotatedLower(50, 8, 8) + "\n" + fStretch(1, 30) + "\n" +
                                fRotated(-5, 6, 8) + "\n"));
  folder_.write("list.txt", "a.bin\nb.bin\n");
  folder_.write("g.bin", fCodes(kGenome));
  MinReadSize = 16;
  MaxReadSize = 40;
  Outcome outcome = fMatchReadsT_VarSzPartedRate(folder_.dir() + "/", folder_.dir() + "/", folder_.path("g.bin"), 0,
                                                 folder_.path("list.txt"));
  ASSERT_EQ(outcome.status, RunStatus::kCompleted) << outcome.file;
  StandardRun run = fStandardRun(folder_, kN, ReadsOrigin{}, outcome);
  run.readsStem = "list";
  std::string problem;
  ASSERT_EQ(fWritePartedRateStandard(run, outcome, problem), 0) << problem;
  EXPECT_EQ(folder_.read("list.parted-rate.bedGraph"), "chrT\t19\t20\t2\nchrT\t20\t22\t1\nchrT\t49\t50\t1\nchrT\t90\t91\t1\n");
  if (fHaveBedtools()) fCheckWithBedtools(folder_, "list.parted-rate.bedGraph", "g.genome");
}

// Notes and native tables that don't belong together, or can't be read, are
// told and write no standard table.
TEST_F(PartedStandard, NotesThatDisagreeWithTheNativeTableAreAnError) {
  Outcome outcome = fRunCommand(kParted, Given::kRawCoded);
  ASSERT_EQ(outcome.status, RunStatus::kCompleted);
  const std::string notes = folder_.read("notes.bin");
  const std::string table = folder_.read("r[16-40]g_Parted.txt");
  ASSERT_EQ(notes.size(), 5 * sizeof(PartedNote));
  const struct {
    const char* what;
    std::string notes, table;
    bool listed;  // the native table among the run's files
    int code;
    const char* problem;
  } cases[] = {
      {"one note short", notes.substr(0, 4 * sizeof(PartedNote)), table, true, 3, "disagree"},
      {"a note cut short", notes.substr(0, notes.size() - 3), table, true, 3, "notes"},
      {"a table row short", notes, table.substr(0, table.rfind('\n')), true, 3, "disagree"},
      {"a position changed", notes, std::string(table).replace(table.find("\n20\n"), 4, "\n21\n"), true, 3,
       "disagree"},
      {"a table that breaks", notes, table + "\n#", true, 3, "native"},
      {"no native table", notes, table, false, 3, "native"},
      {"no notes and no hits", "", "upper strand\t0\n\nlower strand\t0", true, 0, ""},
  };
  for (const auto& c : cases) {
    folder_.write("notes.bin", c.notes);
    folder_.write("r[16-40]g_Parted.txt", c.table);
    Outcome written;
    StandardRun run = fRun(outcome);
    if (!c.listed) run.nativeFiles.clear();
    std::string problem;
    EXPECT_EQ(fWritePartedStandard(run, written, problem), c.code) << c.what;
    EXPECT_NE(problem.find(c.problem), std::string::npos) << c.what << ": " << problem;
    if (c.code == 0) {
      EXPECT_EQ(folder_.read("r.parted.tsv"), kTsvHeader) << c.what;
    }
  }
}

}  // namespace
