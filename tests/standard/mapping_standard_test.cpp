// The standard files of the read-mapping commands: reads planted on both
// strands of a small circular genome, some across its origin, run in the
// process with the read notes on, as the command line runs them, and read
// back by name from FASTQ, raw letters or raw code bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "driver/loaders.h"
#include "driver/notes.h"
#include "mapping/mapping.h"
#include "standard/mapping_outputs.h"
#include "standard/standard_support.h"
#include "support/direct_run.h"
#include "support/sequences.h"

namespace {

constexpr int64_t L = 200;
const std::string kRepeat = fRandomLetters(20, 802);
// 200 random bases, with kRepeat at 100 and 150 on the upper strand.
const std::string kGenome = [] {
  std::string genome = fRandomLetters(L, 801);
  fPlace(genome, 100, kRepeat);
  fPlace(genome, 150, kRepeat);
  return genome;
}();
const char kWithN[] = "ACGTACGTACGTNACGTACGTACGTACGTA";

// Places of a read on the circle, on both strands.
int fPlaces(const std::string& genome, const std::string& read) {
  const std::string circle = genome + genome.substr(0, read.size());
  int places = 0;
  for (const std::string& text : {read, fReverseComplement(read)})
    for (size_t p = 0; p < genome.size(); ++p) places += circle.compare(p, text.size(), text) == 0;
  return places;
}

// One base changed, so the read is no longer the genome's.
std::string fChanged(std::string letters, size_t at) {
  letters[at] = letters[at] == 'A' ? 'C' : 'A';
  return letters;
}

// Raw code bytes always; FASTQ and raw letters where they reach the procedure.
std::vector<Given> fGivens(bool lettersNeedConversion) {
#ifdef VANTRELS_HAVE_HTSLIB
  return {Given::kRawCoded, Given::kFastq, Given::kRawLetters};
#endif
  if (lettersNeedConversion) return {Given::kRawCoded};
  return {Given::kRawCoded, Given::kRawLetters};
}
const char* fGivenName(Given given) {
  static const char* const kNames[] = {"FASTQ", "raw letters", "raw codes"};
  return kNames[static_cast<int>(given)];
}

// A read's name as the standard files give it: its FASTQ name, or "read" + its line.
std::string fNameOf(const std::vector<NamedRead>& reads, size_t index, Given given) {
  return given == Given::kFastq ? reads[index].name : "read" + std::to_string(index + 1);
}

// The record a FASTQ or FASTA file of chosen reads holds for a read.
std::string fRecord(const std::vector<NamedRead>& reads, size_t index, Given given) {
  const std::string& letters = reads[index].letters;
  if (given == Given::kFastq) return "@" + reads[index].name + "\n" + letters + "\n+\n" + fQuality(letters.size(), index) + "\n";
  return ">" + fNameOf(reads, index, given) + "\n" + letters + "\n";
}

// A bedGraph file spread out to its bases (1-based), in hundredths.
std::map<int64_t, int64_t> fPerBase(const std::string& text) {
  std::map<int64_t, int64_t> weights;
  std::istringstream in(text);
  std::string chrom;
  int64_t start, end;
  double value;
  while (in >> chrom >> start >> end >> value)
    for (int64_t p = start + 1; p <= end; ++p) weights[p] += std::llround(value * 100);
  return weights;
}

// The weights of a native table: "position TAB weight" lines, in hundredths.
std::map<int64_t, int64_t> fNativeWeights(const std::string& table) {
  std::map<int64_t, int64_t> weights;
  std::istringstream in(table);
  int64_t position;
  for (double weight; in >> position >> weight;)
    if (std::llround(weight * 100) != 0) weights[position] = std::llround(weight * 100);
  return weights;
}

class MappingStandard : public DirectRun {
 protected:
  void SetUp() override {
    DirectRun::SetUp();
    fUseGenome(kGenome);
  }
  void TearDown() override {
    ReadNotes.fClose();
    DirectRun::TearDown();
  }
  void fUseGenome(const std::string& genome) {
    length_ = static_cast<int64_t>(genome.size());
    folder_.write("g.bin", fCodes(genome));
    folder_.write("g.txt", genome);
  }
  void fScope(int32_t minSize, int32_t maxSize) {
    MinReadSize = minSize;
    MaxReadSize = maxSize;
    SizeScopeWidth = fSizeScopeWidth(minSize, maxSize);
  }

  // The procedure on the coded genome with the notes on.
  Outcome fRun(Outcome (*procedure)(std::string, std::string, std::string, int32_t), const std::string& reads) {
    int32_t length = 0;
    EXPECT_EQ(fLoadCodedGenome(folder_.path("g.bin"), false, MaxReadSize, 0, length), GenomeLoad::kLoaded);
    GenomeLength = length;
    Outcome outcome =
        fWithNotes(folder_, [&] { return procedure(folder_.dir() + "/", reads, folder_.path("g.bin"), length); });
    fReleaseGenome();
    EXPECT_TRUE(outcome.fSucceeded()) << outcome.file;
    return outcome;
  }
  StandardRun fStandard(const ReadsOrigin& origin, const Outcome& outcome) {
    return fStandardRun(folder_, length_, origin, outcome);
  }

  // Coverage, with the depth or without, of reads given as code bytes.
  Outcome fCoverage(const std::vector<NamedRead>& reads, bool depth) {
    ReadsOrigin origin;
    const std::string handed = fGiveReads(folder_, reads, Given::kRawCoded, Encoding::kCodes, origin);
    CoverageCapture capture(depth);
    Outcome outcome = fRun(fMatchReadsT_VarSzO, handed);
    std::string problem;
    EXPECT_EQ(fWriteCoverageStandard(fStandard(origin, outcome), capture, outcome, problem), 0) << problem;
    return outcome;
  }

  RunFolder folder_;
  int64_t length_ = 0;
};

TEST_F(MappingStandard, AbsentNamesTheReadsFoundOnNeitherStrandInInputOrder) {
  fScope(20, 60);
  const std::vector<NamedRead> reads = {
      {"p_up", fAt(kGenome, 10, 30)}, {"a_random", fRandomLetters(30, 803)}, {"p_origin", fAt(kGenome, 185, 30)},
      {"n_defective", kWithN}, {"a_origin", fChanged(fAt(kGenome, 190, 25), 12)},
      {"p_lower_origin", fReverseComplement(fAt(kGenome, 180, 40))}, {"short", fAt(kGenome, 70, 10)},
      {"a_lower", fReverseComplement(fChanged(fAt(kGenome, 60, 30), 20))}, {"", ""}, {"a_last", fRandomLetters(40, 804)}};
  for (Given given : fGivens(false)) {
    ReadsOrigin origin;
    const bool codes = given == Given::kRawCoded;
    const std::string handed = fGiveReads(folder_, reads, given, codes ? Encoding::kCodes : Encoding::kLetters, origin);
    Outcome outcome = fWithNotes(folder_, [&] {
      return codes ? fReadsOutOfSeq(folder_.dir() + "/", handed, folder_.path("g.bin"))
                   : fGetReadsThatOutOfSeq(folder_.dir() + "/", handed, folder_.path("g.txt"));
    });
    ASSERT_TRUE(outcome.fSucceeded()) << outcome.file;

    std::string problem;
    ASSERT_EQ(fWriteAbsentStandard(fStandard(origin, outcome), outcome, problem), 0) << problem;
    const std::string name = given == Given::kFastq ? "r.absent.fastq" : "r.absent.fasta";
    // The reads of the scope, of bases only, found on neither strand: the a_ reads.
    EXPECT_EQ(folder_.read(name), fRecord(reads, 1, given) + fRecord(reads, 4, given) + fRecord(reads, 7, given) +
                                      fRecord(reads, 9, given))
        << fGivenName(given);
  }
}

TEST_F(MappingStandard, OncePlacesItsReadsAndClustersOnTheCircleAndNamesTheManyPlacedOnes) {
  fScope(16, 60);
  const std::vector<NamedRead> reads = {
      {"o1", fAt(kGenome, 50, 30)}, {"m1", kRepeat}, {"o2", fAt(kGenome, 185, 30)},
      {"x_lower", fReverseComplement(fAt(kGenome, 20, 25))}, {"n_dropped", kWithN}, {"o3", fAt(kGenome, 60, 30)},
      {"o4", fAt(kGenome, 120, 20)}, {"m1b", kRepeat}};
  enum : size_t { kO1, kM1, kO2, kXLower, kNDropped, kO3, kO4, kM1b };
  // The native cluster table these reads give: 50..89 (o1, o3), 120..139, 185..214.
  const char kNativeClusters[] = "\nclPos\tclEnd\tclLength\tgap\n50\t89\t40\n120\t139\t20\t31\n185\t214\t30\t46";
  const char kClustersBed[] =
      "chrT\t0\t14\tcluster3\t1\t+\n"
      "chrT\t49\t89\tcluster1\t2\t+\n"
      "chrT\t119\t139\tcluster2\t1\t+\n"
      "chrT\t184\t200\tcluster3\t1\t+\n";
  // Lines sorted in memory, or through sorted runs of one and of two lines.
  for (Given given : fGivens(true)) {
    for (size_t linesInMemory : {size_t(1) << 21, size_t(1), size_t(2)}) {
      auto line = [&](const char* start, const char* end, size_t index) {
        return std::string("chrT\t") + start + "\t" + end + "\t" + fNameOf(reads, index, given) + "\t0\t+\n";
      };
      ReadsOrigin origin;
      Outcome outcome = fRun(fMapReadsOneInSeq, fGiveReads(folder_, reads, given, Encoding::kCodes, origin));
      ASSERT_EQ(folder_.read("r[One]g_Clust.txt"), kNativeClusters) << fGivenName(given);
      std::string problem;
      ASSERT_EQ(fWriteOnceStandard(fStandard(origin, outcome), outcome, problem, linesInMemory), 0) << problem;

      const std::string what = std::string(fGivenName(given)) + ", lines in memory " + std::to_string(linesInMemory);
      EXPECT_EQ(folder_.read("r.once.bed"), line("0", "14", kO2) + line("49", "79", kO1) + line("59", "89", kO3) +
                                                line("119", "139", kO4) + line("184", "200", kO2))
          << what;
      EXPECT_EQ(folder_.read("r.clusters.bed"), kClustersBed) << what;
      const std::string many = given == Given::kFastq ? "r.many.fastq" : "r.many.fasta";
      EXPECT_EQ(folder_.read(many), fRecord(reads, kM1, given) + fRecord(reads, kM1b, given)) << what;
      EXPECT_EQ(folder_.read("g.genome"), "chrT\t200\n");
      // The sorted runs are scratch: gone, and not among the results.
      for (const std::string& file : folder_.files()) EXPECT_EQ(file.find(".once.part"), std::string::npos) << file;
    }
  }
}

TEST_F(MappingStandard, StretchesNameTheReadOfEveryKeptStretchInTheOrderOfTheKeptFile) {
  fScope(16, 60);
  // Stretches start at a read's fourth base; 26 bases or more are kept.
  const std::vector<NamedRead> reads = {
      {"s_up", "ACG" + fAt(kGenome, 20, 40)},
      {"s_short", "ACG" + fAt(kGenome, 70, 25)},
      {"s_lower_origin", fReverseComplement("CCC" + fAt(kGenome, 178, 32))},
      {"s_25", "ACG" + fAt(kGenome, 30, 25) + fChanged(fAt(kGenome, 55, 1), 0) + fAt(kGenome, 56, 5)},
      {"s_end", "TTT" + fAt(kGenome, 128, 30)},
  };
  for (Given given : fGivens(true)) {
    ReadsOrigin origin;
    Outcome outcome = fRun(fMapReadsOnToSeq, fGiveReads(folder_, reads, given, Encoding::kCodes, origin));
    std::string problem;
    ASSERT_EQ(fWriteStretchesStandard(fStandard(origin, outcome), outcome, problem), 0) << problem;
    EXPECT_EQ(folder_.read("r.stretches.tsv"), "read_name\tread_length\tstretch_length\n" +      //
                                                   fNameOf(reads, 0, given) + "\t43\t40\n" +  //
                                                   fNameOf(reads, 2, given) + "\t35\t32\n" +  //
                                                   fNameOf(reads, 4, given) + "\t33\t30\n")
        << fGivenName(given);
  }
}

TEST_F(MappingStandard, AssemblyTestNamesTheReadsItCountsAsNotCorrect) {
  fScope(16, 60);
  // The second of two reads at one position is never correct.
  const std::vector<NamedRead> reads = {
      {"u1", fAt(kGenome, 30, 20)}, {"u2", fAt(kGenome, 30, 20)}, {"a", fRandomLetters(30, 805)}, {"r", kRepeat}};
  ReadsOrigin origin;
  Outcome outcome = fRun(fTestGenomeSborka, fGiveReads(folder_, reads, Given::kRawCoded, Encoding::kCodes, origin));
  std::string problem;
  ASSERT_EQ(fWriteAssemblyTestStandard(fStandard(origin, outcome), outcome, problem), 0) << problem;
  // The counts are those of the native log.
  EXPECT_EQ(folder_.read("g.assembly-test.tsv"),
            "key\tvalue\ngenome\tchrT\nsqsize\t200\nremax\t21\nrepnu/sqsize\t0.500\n"
            "rinput_multylocation_reads\t4\nnoncorrect_assembly_reads\t1\n");
  EXPECT_EQ(folder_.read("r.assembly-test.noncorrect.tsv"), "read_name\tposition_1based\nread2\t30\n");
}

TEST_F(MappingStandard, CoverageShowsTheWeightedStartsOfTheNativeTablesAndTheDepthOnTheCircle) {
  fScope(20, 40);
  // The repeat also lies reversed at 20: three places, a third each.
  std::string genome = kGenome;
  fPlace(genome, 20, fReverseComplement(kRepeat));
  fUseGenome(genome);
  const std::vector<NamedRead> reads = {{"r3", kRepeat}, {"origin", fAt(genome, 185, 30)},
      {"lower", fReverseComplement(fAt(genome, 60, 25))}, {"twice1", fAt(genome, 120, 20)},
      {"twice2", fAt(genome, 120, 20)}, {"short", fAt(genome, 70, 10)}};
  const struct {
    const char *name, *text;
  } files[] = {
      {"r.coverage.plus.bedGraph",
       "chrT\t99\t100\t0.33\nchrT\t119\t120\t2.00\nchrT\t149\t150\t0.33\nchrT\t184\t185\t1.00\n"},
      {"r.coverage.minus.bedGraph", "chrT\t19\t20\t0.33\nchrT\t59\t60\t1.00\n"},
      {"r.depth.plus.bedGraph",
       "chrT\t0\t14\t1.00\nchrT\t99\t119\t0.33\nchrT\t119\t139\t2.00\nchrT\t149\t169\t0.33\nchrT\t184\t200\t1.00\n"},
      {"r.depth.minus.bedGraph", "chrT\t19\t39\t0.33\nchrT\t59\t84\t1.00\n"},
  };
  for (bool depth : {false, true}) {
    for (const auto& file : files) std::remove(folder_.path(file.name).c_str());
    fCoverage(reads, depth);
    for (const auto& file : files) {
      const bool written = depth || std::string(file.name).find("depth") == std::string::npos;
      EXPECT_EQ(folder_.read(file.name), written ? file.text : "<missing " + std::string(file.name) + ">")
          << file.name;
    }
  }
}

// Reads of random places, lengths and strands on a larger genome, each with one
// place on the two strands together, a sixth starting in the last 40 bases (most
// of those cross the origin), and reads of its repeats, placed many times, which
// give weights below one. The native tables' weights whatever they are, and
// bedtools' view of every file: its genome coverage of once's reads is the upper
// strand's depth.
TEST_F(MappingStandard, CoverageEqualsTheNativeTablesAndBedtoolsTakesEveryFile) {
  fScope(20, 40);
  std::string genome = fRandomLetters(3000, 811);
  const std::string repeat = fRandomLetters(45, 812);
  for (int32_t at : {400, 1700}) fPlace(genome, at, repeat);
  fPlace(genome, 2500, fReverseComplement(repeat));
  fUseGenome(genome);
  std::vector<NamedRead> placedOnce, reads;
  std::mt19937 random(813);
  while (placedOnce.size() < 300) {
    const int64_t first = random() % 6 == 0 ? 2961 + random() % 40 : 1 + random() % 3000;
    std::string letters = fAt(genome, first, 20 + random() % 21);
    if (random() & 1) letters = fReverseComplement(letters);
    reads.push_back({"s" + std::to_string(reads.size()), letters});
    if (fPlaces(genome, letters) == 1) placedOnce.push_back(reads.back());
  }
  ASSERT_GT(reads.size(), placedOnce.size());
  fCoverage(reads, false);
  for (const char* strand : {"plus", "minus"}) {
    const auto native = fNativeWeights(folder_.read(std::string("r[20-40]g_") + (strand[0] == 'p' ? "Up" : "Lw") + "1.txt"));
    EXPECT_EQ(fPerBase(folder_.read(std::string("r.coverage.") + strand + ".bedGraph")), native) << strand;
    int64_t nativeSum = 0;
    for (const auto& weight : native) nativeSum += weight.second;
    EXPECT_NE(nativeSum % 100, 0) << strand << ": the sample gives no weight below one";
  }

  SKIP_WITHOUT_BEDTOOLS();
  fCoverage(placedOnce, true);
  ReadsOrigin origin;
  Outcome outcome = fRun(fMapReadsOneInSeq, fGiveReads(folder_, placedOnce, Given::kRawCoded, Encoding::kCodes, origin));
  std::string problem;
  ASSERT_EQ(fWriteOnceStandard(fStandard(origin, outcome), outcome, problem), 0) << problem;
  for (const char* name : {"r.clusters.bed", "r.coverage.plus.bedGraph", "r.coverage.minus.bedGraph",
                           "r.depth.plus.bedGraph", "r.depth.minus.bedGraph"})
    fCheckWithBedtools(folder_, name, "g.genome");
  // Reads share starts, and bedtools sort orders by start alone, putting lines
  // of one start in no set order: its order of starts must be ours.
  auto starts = [](const std::string& bed) {
    std::vector<std::string> kept;
    for (const std::string& line : fSplit(bed)) kept.push_back(line.substr(0, line.find('\t', line.find('\t') + 1)));
    return kept;
  };
  const std::string once = "'" + folder_.path("r.once.bed") + "'";
  std::string out, err;
  ASSERT_EQ(fBedtools(folder_, "sort -i " + once, out, err), 0) << err;
  EXPECT_EQ(starts(out), starts(folder_.read("r.once.bed")));
  EXPECT_EQ(fBedtools(folder_, "merge -i " + once, out, err), 0) << err;
  ASSERT_EQ(fBedtools(folder_, "genomecov -bg -i " + once + " -g '" + folder_.path("g.genome") + "'", out, err), 0)
      << err;
  EXPECT_GT(fPerBase(out).size(), 1000u);
  EXPECT_EQ(fPerBase(out), fPerBase(folder_.read("r.depth.plus.bedGraph")));
}

TEST_F(MappingStandard, MissingNotesOrReadsAreReportedWithTheirExitCode) {
  fScope(20, 60);
  ReadsOrigin origin;
  const std::string handed = fGiveReads(folder_, {{"a", fRandomLetters(30, 806)}}, Given::kRawCoded, Encoding::kCodes, origin);
  Outcome outcome = fWithNotes(folder_, [&] { return fReadsOutOfSeq(folder_.dir() + "/", handed, folder_.path("g.bin")); });
  const struct {
    const char* what;
    std::string notes, notesContent, reads;
    int code;
    const char* problem;
  } cases[] = {
      {"no notes: nothing absent", "", "", "r.bin", 0, ""},
      {"notes cut short", "cut.bin", "\1\0", "r.bin", 3, "notes"},
      {"notes missing", "missing.bin", "", "r.bin", 3, "notes"},
      {"reads gone", "notes.bin", "", "gone.bin", 2, "open"},
      {"fewer reads than noted", "many.bin", std::string("\7\0\0\0", 4), "r.bin", 2, "fewer reads"},
  };
  for (const auto& c : cases) {
    StandardRun run = fStandard(origin, outcome);
    run.reads.path = folder_.path(c.reads);
    run.notesPath = c.notes.empty() ? "" : folder_.path(c.notes);
    if (!c.notesContent.empty()) folder_.write(c.notes, c.notesContent);
    Outcome written;
    std::string problem;
    EXPECT_EQ(fWriteAbsentStandard(run, written, problem), c.code) << c.what;
    EXPECT_NE(problem.find(c.problem), std::string::npos) << c.what << ": " << problem;
  }
  // Without the procedure's tables there is nothing to show.
  CoverageCapture idle(false);
  std::string problem;
  EXPECT_EQ(fWriteCoverageStandard(fStandard(origin, outcome), idle, outcome, problem), 3);
}

}  // namespace
