// The standard files of parted, circrna and parted-rate: reads planted as
// rotations of segments of a small circular genome, on both strands, across
// its origin and across its end, run in the process with the read notes on,
// as the command line runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/inputs.h"
#include "driver/notes.h"
#include "parted/circle.h"
#include "parted/parted.h"
#include "parted/parted_notes.h"
#include "standard/bedtools_check.h"
#include "standard/parted_outputs.h"
#include "support/direct_run.h"
#include "support/run_folder.h"

namespace {
using namespace circle;

struct Planted {
  const char* name;
  std::string letters;
};

std::string fRotatedLower(int pos, int left, int right) { return fReverseComplement(fRotated(pos, left, right)); }

// Parted (head seed only). sameA and sameB start at one place of the circle,
// base 91, but sameB's seed lies past the origin, so its native position is
// -5; loOrig's segment crosses the origin on the lower strand. The line with
// an N is left out when letters are converted to codes: a read number off by
// one names the wrong reads after it.
const std::vector<Planted> kPartedReads = {
    {"up", fRotated(20, 6, 10)},          {"whole", fStretch(40, 70)},        {"lo", fRotatedLower(50, 8, 8)},
    {"rN", "ACGTNACGTACGTACGTACG"},       {"sameA", fRotated(91, 4, 10)},     {"sameB", fRotated(-5, 6, 8)},
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

const std::string kPartedTsv = kTsvHeader +                                                 //
                               "up\t+\t20\t47\t6\t22\t" + fSegment(20, 6, 10) + "\n" +        //
                               "sameA\t+\t91\t20\t4\t22\t" + fSegment(91, 4, 10) + "\n" +     //
                               "sameB\t+\t91\t20\t6\t20\t" + fSegment(-5, 6, 8) + "\n" +      //
                               "lo\t-\t50\t77\t8\t20\t" + fSegment(50, 8, 8) + "\n" +         //
                               "loOrig\t-\t86\t19\t14\t16\t" + fSegment(-10, 14, 4) + "\n";

// Circular RNA (head and end seeds): xy is found from both seeds at one
// position; head6 only from its end seed; loOrig from its head seed at native
// position -10, across the origin, and from its end seed at 85: base 19 equals
// base 85, so the read is a rotation of that segment too. endCross crosses the
// genome's end. The N read is defective, and kept by the conversion.
const std::vector<Planted> kCircularReads = {
    {"xy", fRotated(20, 14, 8)},          {"head6", fStretch(30, 35) + fStretch(10, 29)},
    {"whole", fStretch(60, 89)},          {"rN", "ACGTNACGTACGTACGT"},
    {"endCross", fRotated(85, 5, 10)},    {"loOrig", fRotatedLower(-10, 14, 4)},
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

const std::string kCircularTsv = kTsvHeader +                                                 //
                                 "head6\t+\t10\t35\t20\t6\t" + fSegment(10, 8, 6) + "\n" +      //
                                 "xy\t+\t20\t53\t14\t20\t" + fSegment(20, 14, 8) + "\n" +       //
                                 "xy\t+\t20\t53\t14\t20\t" + fSegment(20, 2, 20) + "\n" +       //
                                 "endCross\t+\t85\t15\t5\t22\t" + fSegment(85, 5, 10) + "\n" +  //
                                 "loOrig\t-\t85\t18\t15\t15\t" + fSegment(85, 3, 15) + "\n" +   //
                                 "loOrig\t-\t86\t19\t14\t16\t" + fSegment(-10, 14, 4) + "\n";

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

std::string fUpper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// How the reads reach the procedure, and the names the files give them.
enum class Given { kRaw, kFastq, kRawLettersToCodes };

class PartedStandard : public DirectRun {
 protected:
  void TearDown() override {
    ReadNotes.fClose();
    DirectRun::TearDown();
  }

  // The planted reads as the user gives them; the path the procedure reads.
  std::string fGiveReads(const std::vector<Planted>& reads, Given given, bool codes, ReadsOrigin& origin) {
    std::string text;
    const bool dropN = given == Given::kRaw && codes;  // a code-byte file can't hold an N
    for (const Planted& read : reads) {
      std::string letters = dropN && read.letters.find('N') != std::string::npos ? "ACGT" : read.letters;
      text += given == Given::kFastq ? "@" + std::string(read.name) + " planted\n" + letters + "\n+\n" +
                                           std::string(letters.size(), 'I') + "\n"
                                     : (given == Given::kRaw && codes ? fCodes(letters) : letters) + "\n";
    }
    const std::string name = given == Given::kFastq ? "r.fq" : given == Given::kRaw && codes ? "r.bin" : "r.txt";
    folder_.write(name, text);
    const Encoding encoding = codes ? Encoding::kCodes : Encoding::kLetters;
    origin = ReadsOrigin{folder_.path(name),
                         given == Given::kFastq ? InputKind::kFastq
                         : given == Given::kRaw && codes ? InputKind::kRawCoded
                                                         : InputKind::kRawLetters,
                         encoding};
    if (given == Given::kRaw) return folder_.path(name);
    const std::string work = folder_.path("work");
    std::filesystem::create_directories(work);
    PreparedInput prepared;
    std::string problem;
    EXPECT_EQ(fPrepareReads(folder_.path(name), encoding, work, prepared, problem), 0) << problem;
    return prepared.path;
  }

  Outcome fParted(const std::string& readsPath) {
    folder_.write("g.bin", fCodes(kGenome));
    MinReadSize = 16;
    MaxReadSize = 40;
    EXPECT_TRUE(ReadNotes.fOpen(folder_.path("notes.bin")));
    Outcome outcome = fMatchReadsT_VarSzParted(folder_.dir() + "/", readsPath, folder_.path("g.bin"), 0);
    EXPECT_TRUE(ReadNotes.fClose());
    return outcome;
  }

  Outcome fCircular(const std::string& readsPath) {
    folder_.write("g.txt", kGenome);
    folder_.params("p.txt", {{"diRes", folder_.dir()}, {"pthGnm", folder_.path("g.txt")},
                             {"pthReads", readsPath}, {"rMinSz", "8"}, {"rMaxSz", "40"}});
    EXPECT_TRUE(ReadNotes.fOpen(folder_.path("notes.bin")));
    Outcome outcome = fIdentifyCircularRna(folder_.path("p.txt"));
    EXPECT_TRUE(ReadNotes.fClose());
    return outcome;
  }

  StandardRun fRun(const ReadsOrigin& reads, const Outcome& outcome) {
    StandardRun run;
    run.directory = folder_.dir() + "/";
    run.shownOut = "out";
    run.genomeStem = "g";
    run.chromosome = Chromosome{"chrT", kN};
    run.readsStem = "r";
    run.reads = reads;
    run.notesPath = folder_.path("notes.bin");
    run.nativeFiles = outcome.written;
    return run;
  }

  RunFolder folder_;
};

struct Command {
  const char* name;
  bool parted;
  const std::vector<Planted>* reads;
  const char* bed;
  const std::string* tsv;
};
const Command kCommands[] = {
    {"parted", true, &kPartedReads, kPartedBed, &kPartedTsv},
    {"circrna", false, &kCircularReads, kCircularBed, &kCircularTsv},
};

// Every row's read, on its strand, is the segment's right part followed by
// its left part: the bases the row names are those the read came from.
void fExpectRotations(const std::string& tsv, const std::vector<Planted>& reads, const std::string& what) {
  std::map<std::string, std::string> letters;
  for (const Planted& read : reads) letters[read.name] = read.letters;
  const std::vector<std::string> lines = fLines(tsv);
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> f = fFields(lines[i]);
    ASSERT_EQ(f.size(), 7u) << lines[i];
    const int start = std::stoi(f[2]), left = std::stoi(f[4]), right = std::stoi(f[5]);
    const std::string bases = fStretch(start, start + left + right - 1);
    EXPECT_EQ(bases, fUpper(f[6])) << what << ": " << lines[i];
    const std::string leftPart = bases.substr(0, static_cast<size_t>(left));
    const std::string rightPart = bases.substr(static_cast<size_t>(left));
    const std::string read =
        f[1] == "+" ? rightPart + leftPart : fReverseComplement(leftPart) + fReverseComplement(rightPart);
    EXPECT_EQ(read, letters[f[0]]) << what << ": " << lines[i];
  }
}

TEST_F(PartedStandard, HitsLandOnTheirBasesOnBothStrandsAcrossTheOriginAndTheEndWithTheirReadsNamed) {
  struct Case {
    Given given;
    // The names of the reads file: "read" + the line, of the user's file.
    std::map<std::string, std::string> parted, circular;
  } cases[] = {
      {Given::kRaw,
       {{"up", "read1"}, {"lo", "read3"}, {"sameA", "read5"}, {"sameB", "read6"}, {"loOrig", "read7"}},
       {{"xy", "read1"}, {"head6", "read2"}, {"endCross", "read5"}, {"loOrig", "read6"}}},
#ifdef VANTRELS_HAVE_HTSLIB
      {Given::kFastq, {}, {}},
      // The line with an N is not converted, and keeps its line number.
      {Given::kRawLettersToCodes,
       {{"up", "read1"}, {"lo", "read3"}, {"sameA", "read5"}, {"sameB", "read6"}, {"loOrig", "read7"}},
       {}},
#endif
  };
  for (const Case& c : cases) {
    for (const Command& command : kCommands) {
      if (c.given == Given::kRawLettersToCodes && !command.parted) continue;
      const std::string what = std::string(command.name) + (c.given == Given::kFastq ? ", FASTQ" : ", raw");
      ReadsOrigin origin;
      const std::string handed = fGiveReads(*command.reads, c.given, command.parted, origin);
      Outcome outcome = command.parted ? fParted(handed) : fCircular(handed);
      ASSERT_EQ(outcome.status, RunStatus::kCompleted) << what << ": " << outcome.file;
      std::string problem;
      const int code = command.parted ? fWritePartedStandard(fRun(origin, outcome), outcome, problem)
                                      : fWriteCircrnaStandard(fRun(origin, outcome), outcome, problem);
      ASSERT_EQ(code, 0) << what << ": " << problem;

      std::string bed = command.bed, tsv = *command.tsv;
      std::vector<Planted> named = *command.reads;
      for (const auto& name : command.parted ? c.parted : c.circular) {
        for (std::string* text : {&bed, &tsv})
          for (size_t at = text->find(name.first + "\t"); at != std::string::npos;
               at = text->find(name.first + "\t", at + 1))
            text->replace(at, name.first.size(), name.second);
        for (Planted& read : named)
          if (name.first == read.name) read.name = name.second.c_str();
      }
      const std::string stem = std::string("r.") + command.name;
      EXPECT_EQ(folder_.read("g.genome"), "chrT\t96\n") << what;
      EXPECT_EQ(folder_.read(stem + ".bed"), bed) << what;
      EXPECT_EQ(folder_.read(stem + ".tsv"), tsv) << what;
      fExpectRotations(folder_.read(stem + ".tsv"), named, what);
      for (const std::string& name : {std::string("g.genome"), stem + ".bed", stem + ".tsv"})
        EXPECT_NE(std::find(outcome.written.begin(), outcome.written.end(), folder_.path(name)), outcome.written.end())
            << what << ": " << name;
    }
  }
}

// When the hit limit stops the reading, the files hold the hits of the native
// table: those of the reads up to the one that took the upper count above it.
TEST_F(PartedStandard, AfterTheHitLimitTheFilesHoldTheHitsTheNativeTableKept) {
  struct Case {
    bool parted;
    int32_t limit;
    RunStatus status;
    std::vector<std::string> names;  // of the TSV's rows, in order
  } cases[] = {
      {true, 1, RunStatus::kStoppedAtHitLimit, {"read1", "read5", "read3"}},
      {true, 0, RunStatus::kCompleted, {"read1", "read5", "read6", "read3", "read7"}},
      {false, 2, RunStatus::kStoppedAtHitLimit, {"read2", "read1", "read1"}},
      {false, 3, RunStatus::kStoppedAtHitLimit, {"read2", "read1", "read1", "read5"}},
  };
  for (const Case& c : cases) {
    HitStopLimit = c.limit;
    ReadsOrigin origin;
    const std::string handed = fGiveReads(c.parted ? kPartedReads : kCircularReads, Given::kRaw, c.parted, origin);
    Outcome outcome = c.parted ? fParted(handed) : fCircular(handed);
    ASSERT_EQ(outcome.status, c.status) << c.limit;
    std::string problem;
    const int code = c.parted ? fWritePartedStandard(fRun(origin, outcome), outcome, problem)
                              : fWriteCircrnaStandard(fRun(origin, outcome), outcome, problem);
    ASSERT_EQ(code, 0) << problem;
    std::vector<std::string> names;
    for (const std::string& line : fLines(folder_.read(c.parted ? "r.parted.tsv" : "r.circrna.tsv")))
      names.push_back(line.substr(0, line.find('\t')));
    names.erase(names.begin());
    EXPECT_EQ(names, c.names) << (c.parted ? "parted " : "circrna ") << c.limit;
  }
}

TEST_F(PartedStandard, RatingsBecomeABedGraphWithNeighboursOfOneRatingMerged) {
  // Position 20 in both files; 21 and 22 in the first only; 50 from a lower-strand read.
  folder_.write("a.bin", fCodes(fRotated(20, 6, 10) + "\n" + fRotated(21, 6, 10) + "\n" + fRotated(22, 6, 10) + "\n"));
  folder_.write("b.bin", fCodes(fRotated(20, 6, 10) + "\n" + fRotatedLower(50, 8, 8) + "\n" + fStretch(1, 30) + "\n"));
  folder_.write("list.txt", "a.bin\nb.bin\n");
  folder_.write("g.bin", fCodes(kGenome));
  MinReadSize = 16;
  MaxReadSize = 40;
  Outcome outcome = fMatchReadsT_VarSzPartedRate(folder_.dir() + "/", folder_.dir() + "/", folder_.path("g.bin"), 0,
                                                 folder_.path("list.txt"));
  ASSERT_EQ(outcome.status, RunStatus::kCompleted) << outcome.file;
  StandardRun run = fRun(ReadsOrigin{}, outcome);
  run.readsStem = "list";
  std::string problem;
  ASSERT_EQ(fWritePartedRateStandard(run, outcome, problem), 0) << problem;
  EXPECT_EQ(folder_.read("list.parted-rate.bedGraph"), "chrT\t19\t20\t2\nchrT\t20\t22\t1\nchrT\t49\t50\t1\n");
  EXPECT_EQ(outcome.written.back(), folder_.path("list.parted-rate.bedGraph"));
}

TEST_F(PartedStandard, BedtoolsTakesTheHitsAndTheRatings) {
  SKIP_WITHOUT_BEDTOOLS();
  for (const Command& command : kCommands) {
    ReadsOrigin origin;
    const std::string handed = fGiveReads(*command.reads, Given::kRaw, command.parted, origin);
    Outcome outcome = command.parted ? fParted(handed) : fCircular(handed);
    std::string problem;
    const int code = command.parted ? fWritePartedStandard(fRun(origin, outcome), outcome, problem)
                                    : fWriteCircrnaStandard(fRun(origin, outcome), outcome, problem);
    ASSERT_EQ(code, 0) << problem;
    fCheckWithBedtools(folder_, std::string("r.") + command.name + ".bed", "g.genome");
  }
  folder_.write("r.bin", fCodes(fRotated(20, 6, 10) + "\n" + fRotated(21, 6, 10) + "\n" + fRotated(-5, 6, 8) + "\n"));
  folder_.write("list.txt", "r.bin\n");
  Outcome outcome = fMatchReadsT_VarSzPartedRate(folder_.dir() + "/", folder_.dir() + "/", folder_.path("g.bin"), 0,
                                                 folder_.path("list.txt"));
  StandardRun run = fRun(ReadsOrigin{}, outcome);
  run.readsStem = "list";
  std::string problem;
  ASSERT_EQ(fWritePartedRateStandard(run, outcome, problem), 0) << problem;
  fCheckWithBedtools(folder_, "list.parted-rate.bedGraph", "g.genome");
}

// Notes and native tables that don't belong together, or can't be read, are
// told and write no standard table.
TEST_F(PartedStandard, NotesThatDisagreeWithTheNativeTableAreAnError) {
  ReadsOrigin origin;
  const std::string handed = fGiveReads(kPartedReads, Given::kRaw, true, origin);
  Outcome outcome = fParted(handed);
  ASSERT_EQ(outcome.status, RunStatus::kCompleted);
  const std::string notes = folder_.read("notes.bin");
  const std::string table = folder_.read("r[16-40]g_Parted.txt");
  ASSERT_EQ(notes.size(), 5 * sizeof(PartedNote));
  struct Case {
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
  for (const Case& c : cases) {
    folder_.write("notes.bin", c.notes);
    folder_.write("r[16-40]g_Parted.txt", c.table);
    Outcome written;
    StandardRun run = fRun(origin, outcome);
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
